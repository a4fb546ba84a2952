// The error log: its columns, its sorts (exactly the order of the exchange sort users have always
// seen, ties included), printing and saving in the system's code page, and the file dialogs.
#include "merge/error_log.h"

#include <gtest/gtest.h>

#include <random>

#include "merge/file_dialogs.h"
#include "support/faxing.h"

namespace telvora {
namespace {

using Lines = std::vector<std::string>;
using namespace std::string_literals;

TEST(PadColumn, CutsLongTextsAndPadsShortOnesWithOneTabPerStartedTenCharacters) {
    EXPECT_EQ(PadColumn("Invalid Fax Number.", 19), "Invalid Fax Number. ");
    EXPECT_EQ(PadColumn("Ann Okafor", 33), "Ann Okafor\t\t\t ");
    EXPECT_EQ(PadColumn("", 17), "\t\t ");
    EXPECT_EQ(PadColumn("Okafor & Lindqvist Architects Ltd", 10), "Okafor & L ");
    // Characters, not bytes: "Zoë" is three characters wide.
    EXPECT_EQ(PadColumn("Zo\xC3\xAB", 13), "Zo\xC3\xAB\t ");
    EXPECT_EQ(PadColumn("Zo\xC3\xAB", 14), "Zo\xC3\xAB\t\t ");
    EXPECT_EQ(PadColumn("\xC3\xA9\xC3\xA9\xC3\xA9", 2), "\xC3\xA9\xC3\xA9 ");
}

TEST(ErrorLogTexts, GiveBackTheTextsOfEachColumnWhateverTheirLength) {
    using Texts = std::vector<std::string>;
    const Texts cases[] = {
        {kNoNumberReason, "Ann Okafor", "Okafor & Sons", kNoNumberSubject, ""},
        {kInvalidNumberReason, "", "", "Spring prices", "call office"},
        // Exactly a column's width, and longer than it (cut to it).
        {"", std::string(33, 'N'), std::string(45, 'C'), std::string(24, 'S'), "0893351234 ext 12345"},
        {"Zo\xC3\xAB", "J\xC3\xB6rg M\xC3\xBCller", "M\xC3\xBCller GmbH", "\xC3\x9C" "bersicht", "+49 30 1234"},
        // Tabs and blanks of a text's own.
        {"a\t b", " ", "\t", "x \t\t y", " \t "}};
    for (const auto& texts : cases) {
        Texts expected = texts;
        expected[2] = expected[2].substr(0, 39);
        expected[4] = expected[4].substr(0, 17);
        EXPECT_EQ(ErrorLogTexts(ErrorLogEntry(texts[0], texts[1], texts[2], texts[3], texts[4])), expected) << texts[1];
    }
    EXPECT_EQ(ErrorLogTexts("no log line"), Texts{"no log line"});
}

// The sort exactly as it has always been written: every pair (i, j > i), exchanged when out of order.
std::string slice(const std::string& line, LogSlice s) {
    const auto characters = splitCharacters(line);
    std::string text;
    for (int k = s.start - 1; k < s.start - 1 + s.length && k < static_cast<int>(characters.size()); ++k)
        text += characters[static_cast<std::size_t>(k)];
    return text;
}
void transcribedSort(Lines& list, LogSlice s, bool descending) {
    const std::size_t n = list.size();
    for (std::size_t i = 0; i + 1 < n; ++i) {
        for (std::size_t j = i + 1; j < n; ++j) {
            const std::string a = slice(list[i], s), b = slice(list[j], s);
            if (descending ? a < b : a > b) std::swap(list[i], list[j]);
        }
    }
}

TEST(ErrorLogSort, GivesExactlyTheExchangeSortsOrderTiesIncludedOnRandomLists) {
    std::mt19937 random(20260314);
    const Lines names = {"Ann", "Bo", "Zo\xC3\xAB", "", "Ann", "Cy Tran"};
    const Lines numbers = {"", "call", "12", "12", "x\xE2\x86\x92"};
    const LogSlice slices[] = {kReasonSlice, kNameSlice, kCompanySlice, kSubjectSlice, kFaxNumberSlice, {3, 2}, {200, 5}};
    for (int round = 0; round < 300; ++round) {
        Lines list;
        const std::size_t n = random() % 12;
        for (std::size_t k = 0; k < n; ++k) {
            const bool missing = random() % 2;
            // Each line remembers where it came from, so equal slices of different lines can be told apart.
            list.push_back(ErrorLogEntry(missing ? kNoNumberReason : kInvalidNumberReason, names[random() % names.size()],
                                         "Co " + std::to_string(random() % 3), missing ? "a" : "Prices",
                                         numbers[random() % numbers.size()]) +
                           "#" + std::to_string(k));
        }
        for (const LogSlice s : slices) {
            for (const bool descending : {true, false}) {
                Lines expected = list, actual = list;
                transcribedSort(expected, s, descending);
                if (descending) SortListDescending(actual, s); else SortListAscending(actual, s);
                ASSERT_EQ(actual, expected) << "round " << round << " slice " << s.start << (descending ? " desc" : " asc");
            }
        }
    }
}

class ErrorLogTest : public testing::FaxingTest {
protected:
    ErrorLogTest() {
        openLetter();
        log.load();
        for (const auto& line : entries) log.lstLog.addItem(line);
    }
    ~ErrorLogTest() override { (void)log.unload(); }

    const Lines entries = {ErrorLogEntry(kNoNumberReason, "Bo Lind", "Lind AB", kNoNumberSubject, ""),
                           ErrorLogEntry(kInvalidNumberReason, "Zo\xC3\xAB \xE2\x86\x92 Brennan", "Brennan", "Prices", "call"),
                           ErrorLogEntry(kInvalidNumberReason, "Ann Okafor", "Okafor", "Prices", "x1")};
    frmErrorLog log{addin};
};

TEST_F(ErrorLogTest, HeadingClicksSortDescendingThenAscendingAndAnotherColumnStartsDescending) {
    EXPECT_EQ(addin.helpFile(), "C:\\Telvora\\Telvora.chm::/Telvora PopUp.txt");
    Lines expected = entries;
    transcribedSort(expected, kNameSlice, true);
    log.cmdName.fireClick();
    EXPECT_EQ(log.lstLog.items(), expected);
    transcribedSort(expected, kNameSlice, false);
    log.cmdName.fireClick();
    EXPECT_EQ(log.lstLog.items(), expected);
    log.cmdError.fireClick();
    EXPECT_EQ(log.lstLog.items().front(), entries[0]) << "\"N.\" sorts before \"Invalid...\" descending";
    log.cmdError.fireClick();
    EXPECT_EQ(log.lstLog.items().back(), entries[0]);
    EXPECT_EQ(log.cmdName.font().name, "Arial");
}

TEST_F(ErrorLogTest, SaveAsWritesHeadingRuleAndEntriesInTheSystemCodePageWithCrLf) {
    platform.fileDialogAnswers = {"C:\\Temp\\log.txt", std::nullopt};
    log.cmdSaveAs.fireClick();
    ASSERT_EQ(platform.fileDialogsShown.size(), 1u);
    const FileDialogRequest& asked = platform.fileDialogsShown[0];
    EXPECT_EQ(asked.title, "Save Errorlog As");
    // The user's Documents folder: an ordinary user cannot write in Word's program folder.
    EXPECT_EQ(asked.initialFolder, platform.documentsFolder());
    EXPECT_EQ(asked.defaultExtension, "txt");
    ASSERT_EQ(asked.filters.size(), 1u);
    EXPECT_EQ(asked.filters[0].description, "Text File");
    EXPECT_EQ(asked.filters[0].pattern, "*.txt");

    const std::string saved = platform.readFile("C:\\Temp\\log.txt");
    // "Zoë" in Windows-1252; the arrow, which it lacks, becomes the replacement character.
    EXPECT_EQ(saved, ErrorLogHeading() + "\r\n" + ErrorLogRule() + "\r\n" + entries[0] + "\r\n" +
                         "Invalid Fax Number. Zo\xEB ? Brennan\t\t Brennan\t\t\t\t Prices\t\t call\t\t \r\n" + entries[2] +
                         "\r\n");

    // Cancelled: nothing is written, nothing is said.
    platform.deleteFile("C:\\Temp\\log.txt");
    log.cmdSaveAs.fireClick();
    EXPECT_FALSE(platform.fileExists("C:\\Temp\\log.txt"));
    EXPECT_TRUE(user.messages().empty());
}

TEST_F(ErrorLogTest, PrintPrintsTheSortedEntriesWithoutHeadingAndLeavesNoFileBehind) {
    log.cmdName.fireClick();
    log.cmdPrint.fireClick();
    ASSERT_EQ(word->prints().size(), 1u);
    const sim::PrintRecord& print = word->prints()[0];
    EXPECT_EQ(print.kind, sim::PrintRecord::Kind::File);
    EXPECT_EQ(print.fileName, "C:\\Temp\\Telvora.rtf");
    EXPECT_EQ(print.fileContents, platform.systemCodePageBytes(log.lstLog.items()[0] + "\r\n" +
                                                               log.lstLog.items()[1] + "\r\n" +
                                                               log.lstLog.items()[2] + "\r\n"));
    EXPECT_FALSE(platform.fileExists("C:\\Temp\\Telvora.rtf"));
    EXPECT_TRUE(user.messages().empty());
}

TEST_F(ErrorLogTest, ClosingFromTheWindowFrameLeavesNoDecision) {
    log.cmdFaxAnyWay.fireClick();
    EXPECT_EQ(log.tag(), "Fax");
    log.setTag("Invalid");
    log.closeFromFrame();
    EXPECT_EQ(log.tag(), "");
    EXPECT_EQ(addin.helpFile(), "");
}

using FileDialogs = testing::SimAddinTest;

TEST_F(FileDialogs, FilterTextsEndInTwoNulsAndALoneDescriptionListsEveryFile) {
    EXPECT_EQ(BuildFilter({}), "");
    EXPECT_EQ(BuildFilter({"All Files"}), "All Files\0*.*\0\0"s);
    EXPECT_EQ(BuildFilter({"Text File", "*.txt"}), "Text File\0*.txt\0\0"s);
}

TEST_F(FileDialogs, TheChosenPathComesBackTrimmedAndCancelGivesNothing) {
    platform.fileDialogAnswers = {"  C:\\Temp\\a b.txt  ", std::nullopt};
    EXPECT_EQ(ShowFileDialog(addin, "C:\\", "Open", BuildFilter({"Logs", "*.log", "Any"}), "log", true),
              "C:\\Temp\\a b.txt");
    const auto& asked = platform.fileDialogsShown.at(0);
    ASSERT_EQ(asked.filters.size(), 2u);
    EXPECT_EQ(asked.filters[1].description, "Any");
    EXPECT_EQ(asked.filters[1].pattern, "*.*");
    EXPECT_EQ(ShowFileDialog(addin, "C:\\", "Save", "", "txt", false), "");
    EXPECT_TRUE(platform.fileDialogsShown.at(1).filters.empty()) << "no filter: the dialog lists every file";
}

}  // namespace
}  // namespace telvora
