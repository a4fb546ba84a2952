// The invalid-number message.
#include "send/invalid_number.h"

#include "app/reports.h"

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

}  // namespace telvora
