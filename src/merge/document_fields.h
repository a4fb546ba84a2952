// The merge document's field check: a reference field cannot be filled record by record.
#pragma once

#include "app/addin.h"

namespace telvora {

// False, after saying so, when the active document holds a reference field, which a fax merge
// cannot fill. Lets errors through to the merge command's own report.
bool CheckDocumentFields(Addin& addin);

}  // namespace telvora
