// The checks of marked fields that talk to the user.
#pragma once

#include <string>

#include "host/addin.h"

namespace telvora {

// Tells the user the fax number (as they last saw it) looks wrong and how to put it right.
void ShowInvalidFaxNumber(Addin& addin, const std::string& number);
// False, after saying so, when the active document holds a reference field, which a fax merge
// cannot fill. Lets errors through to the merge command's own report.
bool CheckDocumentFields(Addin& addin);

}  // namespace telvora
