// The merge document's field check.
#include "merge/document_fields.h"

#include "app/reports.h"

namespace telvora {

bool CheckDocumentFields(Addin& addin) {
    const auto fields = addin.word().activeDocument()->fields();
    const std::int32_t count = fields->count();
    for (std::int32_t i = 1; i <= count; ++i) {
        if (fields->item(i)->type() == word::wdFieldRef) {
            ShowMessage(addin, "Invalid field found! Faxing cancelled ...\r\n\r\nPlease correct the fields to continue.",
                        MsgIcon::Exclamation);
            return false;
        }
    }
    return true;
}

}  // namespace telvora
