// The message that stops a fax to a number the fax software cannot dial.
#include "send/invalid_number.h"

#include <gtest/gtest.h>

#include "support/sim_addin.h"

namespace telvora {
namespace {

using InvalidNumberTest = testing::SimAddinTest;

TEST_F(InvalidNumberTest, AnInvalidNumberIsShownAsTheUserSawItWithTheWayToPutItRight) {
    ShowInvalidFaxNumber(addin, "555-FAX\r");
    const sim::MessageRecord m = onlyMessage();
    EXPECT_EQ(m.prompt,
              "The fax number that you have chosen to fax to appears to be invalid:\r\n"
              "Fax Number: 555-FAX\r\r\n"
              "Fax number can only contain numbers, brackets and spaces.\r\n\r\n"
              "Please go back to the document and correct the fax number or\r\n"
              "Select the correct fax number if you had chosen the wrong text for your fax number.");
    EXPECT_EQ(m.icon, MsgIcon::Exclamation);
    EXPECT_EQ(m.buttons, MsgButtons::OK);
    EXPECT_EQ(m.title, "Telvora");
}

}  // namespace
}  // namespace telvora
