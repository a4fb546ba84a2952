// The two checks that speak to the user: an invalid fax number, and a merge document holding a
// reference field.
#include "fields/field_checks.h"

#include <gtest/gtest.h>

#include "sim/document_builder.h"
#include "sim/word_model.h"
#include "sim/word_processor.h"
#include "support/sim_addin.h"

namespace telvora {
namespace {

using sim::DocumentBuilder;

class FieldChecksTest : public testing::SimAddinTest {
protected:
    FieldChecksTest() { addin.setWord(wp); }
    std::shared_ptr<sim::WordProcessor> wp = std::make_shared<sim::WordProcessor>();
};

TEST_F(FieldChecksTest, AnInvalidNumberIsShownAsTheUserSawItWithTheWayToPutItRight) {
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

TEST_F(FieldChecksTest, AReferenceFieldStopsTheMergeWithOneMessage) {
    wp->open(DocumentBuilder("Merge.doc")
                 .mergeField("Name")
                 .mergeField("Fax")
                 .field(word::wdFieldRef, "REF Total", "42")
                 .field(word::wdFieldRef, "REF Other", "7")
                 .build());
    EXPECT_FALSE(CheckDocumentFields(addin));
    const sim::MessageRecord m = onlyMessage();
    EXPECT_EQ(m.prompt, "Invalid field found! Faxing cancelled ...\r\n\r\nPlease correct the fields to continue.");
    EXPECT_EQ(m.icon, MsgIcon::Exclamation);
    EXPECT_EQ(m.title, "Telvora");
}

TEST_F(FieldChecksTest, MergeFieldsOrNoFieldsPassSilently) {
    wp->open(DocumentBuilder("Merge.doc").text("Dear ").mergeField("Name").build());
    EXPECT_TRUE(CheckDocumentFields(addin));
    wp->open(DocumentBuilder("Plain.doc").text("Hello").build());
    EXPECT_TRUE(CheckDocumentFields(addin));
    EXPECT_TRUE(user.messages().empty());
}

TEST_F(FieldChecksTest, WithNoDocumentOpenTheErrorReachesTheCaller) {
    EXPECT_THROW(CheckDocumentFields(addin), RuntimeError);
    EXPECT_TRUE(user.messages().empty());
}

}  // namespace
}  // namespace telvora
