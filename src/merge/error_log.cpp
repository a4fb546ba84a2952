// The error log of a fax merge.
#include "merge/error_log.h"

#include <algorithm>
#include <cstdint>
#include <numeric>

#include "app/reports.h"
#include "base/errors.h"
#include "base/text.h"
#include "merge/file_dialogs.h"
#include "send/send_fax.h"

namespace telvora {
namespace {

bool startsCharacter(char byte) noexcept { return (static_cast<unsigned char>(byte) & 0xC0) != 0x80; }

// The byte offset where character `count` (0-based) of the text begins; its size when the text
// has fewer characters.
std::size_t byteOffsetOf(std::string_view text, std::size_t count) noexcept {
    std::size_t seen = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!startsCharacter(text[i])) continue;
        if (seen == count) return i;
        ++seen;
    }
    return text.size();
}

// The characters from the 1-based start, at most `length` of them; empty past the end. Compared
// byte by byte, UTF-8 orders as the character codes do.
std::string_view sliceOf(std::string_view line, LogSlice slice) noexcept {
    const std::size_t from = byteOffsetOf(line, static_cast<std::size_t>(slice.start - 1));
    const std::string_view rest = line.substr(from);
    return rest.substr(0, byteOffsetOf(rest, static_cast<std::size_t>(slice.length)));
}

// The exchange sort runs on ranks of the slices (equal slices, equal ranks), so each of its n²/2
// steps is one comparison of two numbers; which line ends where, ties included, is the same as
// comparing the slices themselves.
void exchangeSort(std::vector<std::string>& lines, LogSlice slice, bool descending) {
    const std::size_t n = lines.size();
    if (n < 2) return;
    std::vector<std::string_view> keys(n);
    for (std::size_t i = 0; i < n; ++i) keys[i] = sliceOf(lines[i], slice);
    std::vector<std::uint32_t> byKey(n);
    std::iota(byKey.begin(), byKey.end(), 0u);
    std::sort(byKey.begin(), byKey.end(), [&](std::uint32_t a, std::uint32_t b) { return keys[a] < keys[b]; });
    std::vector<std::int32_t> rank(n);
    std::int32_t next = 0;
    for (std::size_t k = 0; k < n; ++k) {
        if (k > 0 && keys[byKey[k - 1]] < keys[byKey[k]]) ++next;
        rank[byKey[k]] = descending ? -next : next;
    }
    // Descending is ascending over the negated ranks: one loop serves both.
    std::vector<std::uint32_t> order(n);
    std::iota(order.begin(), order.end(), 0u);
    std::int32_t* r = rank.data();
    std::uint32_t* o = order.data();
    for (std::size_t i = 0; i + 1 < n; ++i) {
        std::int32_t held = r[i];
        for (std::size_t j = i + 1; j < n; ++j) {
            if (held > r[j]) {
                r[i] = r[j];
                r[j] = held;
                held = r[i];
                const std::uint32_t line = o[i];
                o[i] = o[j];
                o[j] = line;
            }
        }
    }
    std::vector<std::string> sorted(n);
    for (std::size_t i = 0; i < n; ++i) sorted[i] = std::move(lines[o[i]]);
    lines = std::move(sorted);
}

}  // namespace

std::string PadColumn(const std::string& text, int width) {
    const std::size_t w = static_cast<std::size_t>(std::max(width, 0));
    std::size_t n = characterCount(text);
    std::string column;
    if (n > w) {
        column = text.substr(0, byteOffsetOf(text, w));
    } else {
        column = text;
        for (; n < w; n += 10) column += '\t';
    }
    return column + ' ';
}

// The widths ErrorLogEntry pads its five texts to.
constexpr std::size_t kEntryWidths[] = {19, 33, 39, 24, 17};

std::string ErrorLogEntry(const std::string& reason, const std::string& name, const std::string& company,
                          const std::string& subject, const std::string& faxNumber) {
    const std::string* texts[] = {&reason, &name, &company, &subject, &faxNumber};
    std::string line;
    for (std::size_t i = 0; i < 5; ++i) line += PadColumn(*texts[i], static_cast<int>(kEntryWidths[i]));
    return line;
}

std::vector<std::string> ErrorLogTexts(const std::string& line) {
    // Each column is a text of n characters and then, when n falls short of the width, one tab
    // for every started ten, and a blank. A text holding tabs or blanks of its own can make more
    // than one reading fit a column; the first that fits the whole line is taken, and a position
    // that led nowhere is not tried again.
    const auto characters = splitCharacters(line);
    const std::size_t size = characters.size();
    std::vector<std::string> texts(5);
    std::vector<std::vector<bool>> dead(5, std::vector<bool>(size + 1, false));
    const auto read = [&](auto& self, std::size_t column, std::size_t at) -> bool {
        if (column == 5) return at == size;
        if (dead[column][at]) return false;
        const std::size_t width = kEntryWidths[column];
        for (std::size_t n = 0; n <= width && at + n < size; ++n) {
            const std::size_t tabs = n < width ? (width - n + 9) / 10 : 0;
            std::size_t end = at + n;
            while (end < at + n + tabs && end < size && characters[end] == "\t") ++end;
            if (end != at + n + tabs || end >= size || characters[end] != " ") continue;
            if (!self(self, column + 1, end + 1)) continue;
            texts[column].clear();
            for (std::size_t k = at; k < at + n; ++k) texts[column] += characters[k];
            return true;
        }
        dead[column][at] = true;
        return false;
    };
    if (!read(read, 0, 0)) return {line};
    return texts;
}

std::string ErrorLogHeading() {
    return PadColumn("ERROR REASON", 21) + PadColumn("RECIPIENT NAME", 32) + PadColumn("RECIPIENT COMPANY", 39) +
           PadColumn("SUBJECT", 24) + PadColumn("FAX NUMBER", 17);
}

std::string ErrorLogRule() { return std::string(133, '-'); }

void SortListDescending(std::vector<std::string>& lines, LogSlice slice) { exchangeSort(lines, slice, true); }
void SortListAscending(std::vector<std::string>& lines, LogSlice slice) { exchangeSort(lines, slice, false); }

frmErrorLog::frmErrorLog(Addin& addin) : Form("frmErrorLog", "Error Log", {0, 0, 480, 211}), addin_(addin) {
    Control::Columns columns{{}, ErrorLogTexts};
    for (Control* heading : {&cmdError, &cmdName, &cmdCompany, &cmdSubject, &cmdFaxnumber}) {
        heading->setFont({"Arial", 8, true});
        columns.starts.push_back(heading->geometry().x - lstLog.geometry().x);
    }
    lstLog.setColumns(std::move(columns));
    cmdCancel.setCancel(true);
    cmdError.onClick = [this] { cmdError_Click(); };
    cmdName.onClick = [this] { cmdName_Click(); };
    cmdCompany.onClick = [this] { cmdCompany_Click(); };
    cmdSubject.onClick = [this] { cmdSubject_Click(); };
    cmdFaxnumber.onClick = [this] { cmdFaxnumber_Click(); };
    cmdPrint.onClick = [this] { cmdPrint_Click(); };
    cmdSaveAs.onClick = [this] { cmdSaveAs_Click(); };
    cmdFaxAnyWay.onClick = [this] { cmdFaxAnyWay_Click(); };
    cmdCancel.onClick = [this] { cmdCancel_Click(); };
}

void frmErrorLog::Form_Load() {
    trapAndReport([&] { addin_.setHelpFile(PopUpHelpFilePath(addin_)); },
                  [&](const RuntimeError& e) { ReportError(addin_, e); });
}

void frmErrorLog::Form_Unload(int&) {
    addin_.setHelpFile("");
    if (tag() != errorlog::Fax && tag() != errorlog::Cancel) setTag("");
}

void frmErrorLog::sortByColumn(int column) {
    static constexpr LogSlice slices[5] = {kReasonSlice, kNameSlice, kCompanySlice, kSubjectSlice, kFaxNumberSlice};
    lstLog.setFocus();
    std::vector<std::string> lines = lstLog.items();
    const bool descending = !descending_[column];
    if (descending) {
        SortListDescending(lines, slices[column]);
    } else {
        SortListAscending(lines, slices[column]);
    }
    for (int i = 0; i < 5; ++i) descending_[i] = i == column && descending;
    for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
        if (lstLog.items()[static_cast<std::size_t>(i)] != lines[static_cast<std::size_t>(i)])
            lstLog.setItem(i, lines[static_cast<std::size_t>(i)]);
    }
}

std::string frmErrorLog::fileText(const std::string& heading) const {
    std::string text = heading;
    for (const auto& line : lstLog.items()) text += line + "\r\n";
    return addin_.platform().systemCodePageBytes(text);
}

void frmErrorLog::cmdPrint_Click() {
    trapAndReport(
        [&] {
            Platform& platform = addin_.platform();
            const std::string path = GetTempFolder(addin_) + kErrorLogFileName;
            // The printed copy is the only one wanted: the file goes whether the print worked or not.
            struct Remove {
                Platform& platform;
                Diagnostics& log;
                const std::string& path;
                // Deleting what is not there is no error; asking first could only leave it there.
                ~Remove() {
                    ignoreErrors(log, [&] { platform.deleteFile(path); });
                }
            } remove{platform, addin_.diagnostics(), path};
            platform.writeFile(path, fileText(""));
            addin_.word().printFile(path);
        },
        [&](const RuntimeError& e) { ReportError(addin_, e); });
}

void frmErrorLog::cmdSaveAs_Click() {
    trapAndReport(
        [&] {
            const std::string path = ShowFileDialog(addin_, addin_.platform().documentsFolder(), kSaveErrorLogTitle,
                                                    BuildFilter({"Text File", "*.txt"}), "txt", false);
            if (path.empty()) return;
            addin_.platform().writeFile(path, fileText(ErrorLogHeading() + "\r\n" + ErrorLogRule() + "\r\n"));
        },
        [&](const RuntimeError& e) { ReportError(addin_, e); });
}

void frmErrorLog::cmdFaxAnyWay_Click() {
    setTag(errorlog::Fax);
    hide();
}

void frmErrorLog::cmdCancel_Click() {
    hide();
    setTag(errorlog::Cancel);
}

}  // namespace telvora
