// Settings code using the floors below it: the build must compile this, so that the refusal of the
// up-arrow is the floors at work and not a broken probe.
#include "base/errors.h"
#include "ports/settings_store.h"
#include "core/settings.h"
