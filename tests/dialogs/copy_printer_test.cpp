// The copy printer box and the copies box every sending dialog shares: which printer is shown, what
// the copies box offers, and which numbers of copies are refused.
#include "dialogs/copy_printer.h"

#include <gtest/gtest.h>

#include "base/text.h"
#include "core/settings.h"
#include "support/sim_addin.h"

namespace telvora {
namespace {

class CopiesForm final : public Form, public CopyPrinterDialog {
public:
    CopiesForm() : Form("frmCopies", "Copies", {0, 0, 200, 60}) {}
    Control& cboCopyPrinter = add(ControlKind::ComboBox, "cboCopyPrinter", "", {7, 7, 150, 14});
    Control& txtCopies = add(ControlKind::TextBox, "txtCopies", "", {7, 25, 30, 14});
    Control& copyPrinterBox() override { return cboCopyPrinter; }
    Control& copiesBox() override { return txtCopies; }
};

class CopyPrinterTest : public testing::SimAddinTest {
protected:
    CopyPrinterTest() {
        machine.setPrinters({"Fax", "HP LaserJet 4250 PCL6", "Office Fax (Reception)"});
        FillCopyPrinters(addin, form);
    }

    CopiesForm form;
};


TEST_F(CopyPrinterTest, TheStoredCopyPrinterIsShownWithItsCopiesReadyToChangeOrNoCopyWithAFixedZero) {
    EXPECT_TRUE(SelectDefaultCopyPrinter(addin, form));
    EXPECT_EQ(form.cboCopyPrinter.text(), "Don't Print");
    EXPECT_EQ(form.txtCopies.text(), "0");
    EXPECT_TRUE(form.txtCopies.locked());
    EXPECT_EQ(form.txtCopies.backColor(), kButtonFace);

    save(keys::DefaultPrinter, "HP LaserJet 4250 PCL6");
    save(keys::DefaultCopies, "3");
    EXPECT_TRUE(SelectDefaultCopyPrinter(addin, form));
    EXPECT_EQ(form.cboCopyPrinter.text(), "HP LaserJet 4250 PCL6");
    EXPECT_EQ(form.txtCopies.text(), "3");
    EXPECT_FALSE(form.txtCopies.locked());
    EXPECT_EQ(form.txtCopies.backColor(), kWindowWhite);

    // A printer that was removed is not shown and nothing changes.
    save(keys::DefaultPrinter, "Old Laser");
    save(keys::DefaultCopies, "4");
    form.txtCopies.setText("7");
    EXPECT_FALSE(SelectDefaultCopyPrinter(addin, form));
    EXPECT_EQ(form.cboCopyPrinter.text(), "HP LaserJet 4250 PCL6");
    EXPECT_EQ(form.txtCopies.text(), "7");
}

TEST_F(CopyPrinterTest, CopiesFromOneTo32767PassAndAnythingElseIsExplainedAndSelected) {
    const struct {
        const char* text;
        const char* message;  // nullptr: accepted
    } cases[] = {
        {"1", nullptr},
        {"32767", nullptr},
        {"2.5", nullptr},
        {" 12 ", nullptr},
        {"0", "The number must be between 1 and 32767."},
        {"32768", "The number must be between 1 and 32767."},
        {"40000", "The number must be between 1 and 32767."},
        {"-3", "The number must be between 1 and 32767."},
        {"0.5", "The number must be between 1 and 32767."},
        {"two", "Please enter a valid number."},
        {"", "Please enter a valid number."},
        {"3 copies", "Please enter a valid number."},
        {"f\xC3\xBCnf", "Please enter a valid number."},
    };
    form.cboCopyPrinter.setFocus();
    for (const auto& c : cases) {
        form.txtCopies.setText(c.text);
        form.txtCopies.setSelStart(1);
        form.txtCopies.setSelLength(0);
        const std::size_t before = user.messages().size();
        EXPECT_EQ(CheckCopies(addin, form), c.message == nullptr) << '"' << c.text << '"';
        if (!c.message) {
            EXPECT_EQ(user.messages().size(), before) << '"' << c.text << '"';
            continue;
        }
        ASSERT_EQ(user.messages().size(), before + 1) << '"' << c.text << '"';
        expectMessage(user.messages().back(), c.message, MsgIcon::Exclamation, MsgButtons::OK);
        // The whole text is selected, counted in characters, so typing replaces it.
        EXPECT_EQ(form.txtCopies.selStart(), 0) << '"' << c.text << '"';
        EXPECT_EQ(form.txtCopies.selLength(), static_cast<int>(characterCount(c.text))) << '"' << c.text << '"';
        EXPECT_TRUE(form.txtCopies.hasFocus()) << '"' << c.text << '"';
    }
}

}  // namespace
}  // namespace telvora
