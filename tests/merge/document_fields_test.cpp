// The merge document's field check: a reference field stops the merge before anything is sent.
#include "merge/document_fields.h"

#include <gtest/gtest.h>

#include "sim/word/document_builder.h"
#include "sim/word/word_model.h"
#include "sim/word/word_processor.h"
#include "support/sim_addin.h"

namespace telvora {
namespace {

using sim::DocumentBuilder;

class DocumentFieldsTest : public testing::SimAddinTest {
protected:
    DocumentFieldsTest() { addin.setWord(wp); }
    std::shared_ptr<sim::WordProcessor> wp = std::make_shared<sim::WordProcessor>();
};

TEST_F(DocumentFieldsTest, AReferenceFieldStopsTheMergeWithOneMessage) {
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

TEST_F(DocumentFieldsTest, MergeFieldsOrNoFieldsPassSilently) {
    wp->open(DocumentBuilder("Merge.doc").text("Dear ").mergeField("Name").build());
    EXPECT_TRUE(CheckDocumentFields(addin));
    wp->open(DocumentBuilder("Plain.doc").text("Hello").build());
    EXPECT_TRUE(CheckDocumentFields(addin));
    EXPECT_TRUE(user.messages().empty());
}

TEST_F(DocumentFieldsTest, WithNoDocumentOpenTheErrorReachesTheCaller) {
    EXPECT_THROW(CheckDocumentFields(addin), RuntimeError);
    EXPECT_TRUE(user.messages().empty());
}

}  // namespace
}  // namespace telvora
