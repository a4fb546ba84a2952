// The gallery's samples of these dialogs load cleanly: a sample that shows a load error or names
// the wrong class would put a wrong picture in the gallery.
#include "support/dialog_samples.h"

#include <gtest/gtest.h>

#include "sim/scripted_user.h"

namespace telvora::testing {
namespace {

TEST(DialogSamples, EachLoadsAsItsOwnClassWithoutAMessage) {
    std::vector<std::string> names;
    for (const auto& sample : dialogSamples()) {
        sim::ScriptedUser user;
        SampleMachine machine(user);
        const auto form = sample.make(machine);
        ASSERT_NE(form, nullptr) << sample.formName;
        EXPECT_EQ(form->name(), sample.formName);
        EXPECT_TRUE(form->loaded()) << sample.formName;
        EXPECT_EQ(user.transcript(), std::vector<std::string>{}) << sample.formName << " " << sample.variant;
        names.push_back(sample.formName);
        // The shared fax sample is there to show the delivery line the other faxes never show.
        if (sample.formName == "frmSendConfirm") {
            EXPECT_EQ(form->control("lblDelNote").visible(), sample.variant == "shared-fax");
        }
    }
    for (const char* name : {"frmPrinter", "frmFaxPrinterSetupMessage", "frmSettings", "frmAbout", "frmSendConfirm",
                             "frmQuickFaxConfirm", "frmScheduleType", "frmDeliveryNote"})
        EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << name;
}

}  // namespace
}  // namespace telvora::testing
