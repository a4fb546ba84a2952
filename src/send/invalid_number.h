// The message that stops a fax whose number is not one the fax software can dial.
#pragma once

#include <string>

#include "app/addin.h"

namespace telvora {

// Tells the user the fax number (as they last saw it) looks wrong and how to put it right.
void ShowInvalidFaxNumber(Addin& addin, const std::string& number);

}  // namespace telvora
