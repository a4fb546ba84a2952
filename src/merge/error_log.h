// The error log of a fax merge: one line per record that cannot be faxed, in tab-padded columns,
// shown in "Error Log" (frmErrorLog) in columns under their headings, where the user sorts it by any
// column, prints it, saves it as a text file, and then faxes the valid records anyway or goes back
// to the field choice.
#pragma once

#include <string>
#include <vector>

#include "app/addin.h"
#include "forms/form.h"

namespace telvora {

inline constexpr const char* kInvalidNumberReason = "Invalid Fax Number.";
inline constexpr const char* kNoNumberReason = "N.";
// What the subject column of a record without a number shows.
inline constexpr const char* kNoNumberSubject = "a";

// The text cut to `width` characters, or padded with one tab for every started ten characters it
// falls short; one blank follows in every case.
std::string PadColumn(const std::string& text, int width);

// A log line: reason, recipient name, company, subject and fax number in their columns.
std::string ErrorLogEntry(const std::string& reason, const std::string& name, const std::string& company,
                          const std::string& subject, const std::string& faxNumber);

// The five texts of a log line, as they were before padding (a text longer than its column, cut
// to it): what the dialog shows in its columns. A line that is no log line is one text.
std::vector<std::string> ErrorLogTexts(const std::string& line);

// The saved file's first two lines: the column headings and a rule of hyphens.
std::string ErrorLogHeading();
std::string ErrorLogRule();

// The characters a column heading sorts by: fixed positions of the line (1-based start, length),
// which the tab padding does not always keep inside one column.
struct LogSlice {
    int start;
    int length;
};
inline constexpr LogSlice kReasonSlice{1, 21};
inline constexpr LogSlice kNameSlice{22, 33};
inline constexpr LogSlice kCompanySlice{55, 39};
inline constexpr LogSlice kSubjectSlice{95, 23};
inline constexpr LogSlice kFaxNumberSlice{118, 17};

// Sorts the lines by their slices, compared character code by character code, in exactly the
// order of an exchange sort that, for every position from the first, exchanges the line there
// with each later line that belongs before it; equal slices end up in that sort's order too.
void SortListDescending(std::vector<std::string>& lines, LogSlice slice);
void SortListAscending(std::vector<std::string>& lines, LogSlice slice);

// The result of the log after it closes: "Fax" (fax the valid records), "Cancel" (back to the
// field choice), "" (closed from its window frame, which counts as Cancel).
namespace errorlog {
inline constexpr const char* Fax = "Fax";
inline constexpr const char* Cancel = "Cancel";
}  // namespace errorlog

inline constexpr const char* kErrorLogFileName = "Telvora.rtf";
inline constexpr const char* kSaveErrorLogTitle = "Save Errorlog As";

class frmErrorLog final : public Form {
public:
    explicit frmErrorLog(Addin& addin);

    Control& Label1 = add(ControlKind::Label, "Label1", "Cannot Send fax to the following recipients:", {7, 7, 300, 8});
    // The list shows each line's texts in columns under these headings (whatever a text's width
    // in the dialog's font); the lines themselves keep their tabs for the printed and saved log.
    Control& cmdError = add(ControlKind::Button, "cmdError", "ERROR REASON", {7, 20, 81, 12});
    Control& cmdName = add(ControlKind::Button, "cmdName", "RECIPIENT NAME", {88, 20, 121, 12});
    Control& cmdCompany = add(ControlKind::Button, "cmdCompany", "RECIPIENT COMPANY", {209, 20, 120, 12});
    Control& cmdSubject = add(ControlKind::Button, "cmdSubject", "SUBJECT", {329, 20, 80, 12});
    Control& cmdFaxnumber = add(ControlKind::Button, "cmdFaxnumber", "FAX NUMBER", {409, 20, 64, 12});
    Control& lstLog = add(ControlKind::ListBox, "lstLog", "", {7, 32, 466, 150});
    Control& cmdPrint = add(ControlKind::Button, "cmdPrint", "&Print", {7, 190, 60, 14});
    Control& cmdSaveAs = add(ControlKind::Button, "cmdSaveAs", "&Save As", {73, 190, 60, 14});
    Control& cmdFaxAnyWay = add(ControlKind::Button, "cmdFaxAnyWay", "&Fax Anyway", {347, 190, 60, 14});
    Control& cmdCancel = add(ControlKind::Button, "cmdCancel", "&Cancel", {413, 190, 60, 14});

    // The heading buttons: the first click on a column sorts it descending, the next ascending,
    // and so on; a click on another column starts that one again descending.
    void cmdError_Click() { sortByColumn(0); }
    void cmdName_Click() { sortByColumn(1); }
    void cmdCompany_Click() { sortByColumn(2); }
    void cmdSubject_Click() { sortByColumn(3); }
    void cmdFaxnumber_Click() { sortByColumn(4); }
    void cmdPrint_Click();
    void cmdSaveAs_Click();
    void cmdFaxAnyWay_Click();
    void cmdCancel_Click();

protected:
    void Form_Load() override;
    void Form_Unload(int& cancel) override;

private:
    void sortByColumn(int column);
    // The lines of the list in its current order, each ended by CR LF, in the system's code page.
    std::string fileText(const std::string& heading) const;

    Addin& addin_;
    bool descending_[5] = {false, false, false, false, false};
};

}  // namespace telvora
