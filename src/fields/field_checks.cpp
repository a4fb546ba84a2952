// The invalid-number message and the merge document's field check.
#include "fields/field_checks.h"

#include "host/reports.h"

namespace telvora {

void ShowInvalidFaxNumber(Addin& addin, const std::string& number) {
    ShowMessage(addin,
                "The fax number that you have chosen to fax to appears to be invalid:\r\n"
                "Fax Number: " + number + "\r\n"
                "Fax number can only contain numbers, brackets and spaces.\r\n\r\n"
                "Please go back to the document and correct the fax number or\r\n"
                "Select the correct fax number if you had chosen the wrong text for your fax number.",
                MsgIcon::Exclamation);
}

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
