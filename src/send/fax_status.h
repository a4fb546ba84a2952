// "Fax Status" (frmFaxStatus): the faxes this user sent in the kept period, newest first, with
// what became of each (when, recipient, number, pages sent of total, state, reason); a merge run's
// faxes under one heading row that counts how many were sent and how many failed. The user sends a
// fax again from its kept image, cancels one still waiting in the queue, and reads the reason of
// the one chosen in words. The list follows each change while the window is open.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/addin.h"
#include "forms/form.h"
#include "ports/fax_history.h"

namespace telvora {

// One row of the list: a fax, or the heading of a merge run (then `fax` is unset, id 0).
struct FaxStatusRow {
    FaxRecord fax;
    std::string mergeRun;  // a heading's run
    std::vector<std::string> texts;  // when, recipient, number, pages, state, reason
};

// The history's faxes as the window lists them: newest first, a merge run's faxes together under
// a heading at the place of its newest fax. A heading counts the run's faxes sent, failed (failed
// or cancelled) and on their way.
std::vector<FaxStatusRow> FaxStatusRows(Addin& addin, const std::vector<FaxRecord>& faxes);

class frmFaxStatus final : public Form {
public:
    explicit frmFaxStatus(Addin& addin);
    ~frmFaxStatus() override;

    // The column headings come first in tab order so the list is named by the label just before it.
    Control& lblWhen = add(ControlKind::Label, "lblWhen", "When", {7, 20, 66, 8});
    Control& lblRecipient = add(ControlKind::Label, "lblRecipient", "Recipient", {73, 20, 96, 8});
    Control& lblNumber = add(ControlKind::Label, "lblNumber", "Number", {169, 20, 66, 8});
    Control& lblPages = add(ControlKind::Label, "lblPages", "Pages", {235, 20, 30, 8});
    Control& lblState = add(ControlKind::Label, "lblState", "State", {265, 20, 72, 8});
    Control& lblReasonHeading = add(ControlKind::Label, "lblReasonHeading", "Reason", {337, 20, 128, 8});
    Control& lblFaxes = add(ControlKind::Label, "lblFaxes", "&Faxes sent in the last 30 days:", {7, 7, 300, 8});
    Control& lstFaxes = add(ControlKind::ListBox, "lstFaxes", "", {7, 30, 458, 136});
    Control& lblReason = add(ControlKind::Label, "lblReason", "", {7, 171, 458, 18});
    Control& cmdResend = add(ControlKind::Button, "cmdResend", "&Resend", {7, 194, 60, 14});
    Control& cmdCancelFax = add(ControlKind::Button, "cmdCancelFax", "Cancel &Fax", {73, 194, 60, 14});
    Control& cmdClose = add(ControlKind::Button, "cmdClose", "Close", {405, 194, 60, 14});

    void lstFaxes_Click();
    void cmdResend_Click();
    void cmdCancelFax_Click();
    void cmdClose_Click() { (void)unload(); }

    // Lists the history again, keeping the chosen fax chosen: what the window does when following
    // stored a change.
    void refresh();
    const std::vector<FaxStatusRow>& rows() const noexcept { return rows_; }

protected:
    void Form_Load() override;
    void Form_Unload(int& cancel) override;

private:
    // The fax of the chosen row; null for none or a heading.
    const FaxRecord* chosen() const;
    void showChoice();

    Addin& addin_;
    std::vector<FaxStatusRow> rows_;
};

// Shows the Fax Status window and follows the faxes still on their way while it is open.
void ShowFaxStatus(Addin& addin);

inline constexpr const char* kCancelRefusedMessage = "The fax could not be cancelled: ";

}  // namespace telvora
