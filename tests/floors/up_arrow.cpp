// Settings code reaching up into the marking commands: the build must refuse to compile this.
#include "fields/marking.h"
