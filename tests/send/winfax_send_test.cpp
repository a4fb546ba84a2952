// Faxing through WinFax: what WinFax is told and in which order, the document printed to it while
// it waits and the filing copies after, the user's printer back on every path, and what the user
// sees when WinFax cannot be reached or given the fax.
#include "send/winfax_send.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/fax_calls.h"
#include "support/faxing.h"

namespace telvora {
namespace {

using Lines = std::vector<std::string>;
using testing::kUsersPrinter;

class WinFaxSendTest : public testing::FaxingTest {
protected:
    WinFaxSendTest() {
        save(keys::FaxType, "2");
        save(keys::Printer, testing::kWinFaxPrinter);
        letter = openLetter();
        job.faxNumber = "(09) 123-4567";
        job.recipientName = "Ann\rOkafor";
        job.recipientCompany = "Okafor & Sons";
        job.subject = "Quote 42\r";
    }
    // The calls made to WinFax, without the object's name.
    Lines winFaxCalls() const {
        Lines lines;
        for (const auto& call : fax.calls) {
            const std::string line = testing::describeFaxCall(call);
            lines.push_back(line.substr(line.find(' ') + 1));
        }
        return lines;
    }
    Lines scheduleCalls() const {
        Lines lines = winFaxCalls();
        std::erase_if(lines, [](const std::string& l) {
            return !l.starts_with("call SetOffPeak") && !l.starts_with("call SetDate") && !l.starts_with("call SetTime");
        });
        return lines;
    }

    std::shared_ptr<sim::DocumentModel> letter;
    FaxJob job;
};

TEST_F(WinFaxSendTest, WinFaxIsToldTheFaxThenGetsTheDocumentPrintedAndTheCopiesFollow) {
    save(keys::DialOutLine, "9");
    job.filing = FilingCopies{true, testing::kCopyPrinter, 2};
    fax.winFaxPollsBeforeReady = 1;
    fax.winFaxPollsBeforeFiled = 1;
    // 25 December 2008, 14:30, as the confirmation dialog writes it.
    (void)WinFaxSendFax(addin, job, "25-Dec-2008 02:30 PM");

    EXPECT_TRUE(user.messages().empty());
    EXPECT_EQ(winFaxCalls(), (Lines{"created", "call SetClientID(BSTR:Client Name)", "call SetDate(BSTR:12/25/08)",
                                    "call SetTime(BSTR:14:30:00)", "call SetNumber(BSTR:9091234567)",
                                    "call SetSubject(BSTR:Quote 42)", "call SetCompany(BSTR:Okafor & Sons)",
                                    "call SetTo(BSTR:AnnOkafor)", "call AddRecipient", "call SetPrintFromApp(I2:1)",
                                    "call ShowSendScreen(I2:0)", "call Send(I2:1)", "call IsReadyToPrint",
                                    "call IsReadyToPrint", "call IsEntryIDReady(I2:0)", "call IsEntryIDReady(I2:0)",
                                    "call IsEntryIDReady(I2:0)"}));
    EXPECT_EQ(fax.calls.front().object, "WinFax.SDKSend8.0");
    ASSERT_EQ(fax.jobs.size(), 1u);
    EXPECT_EQ(fax.jobs[0].printedDocument, "Letter.doc") << "printed while WinFax waited for it";
    EXPECT_EQ(fax.jobs[0].schedule, "12/25/08 14:30:00");
    EXPECT_EQ(printLines(), (Lines{"WinFax: Letter.doc printed", "Filing Copier: Copies:=I2:2, PrintToFile:=BOOL:False, "
                                                                "Range:=I4:0, Background:=BOOL:False"}));
    EXPECT_EQ(word->activePrinter(), kUsersPrinter);
    EXPECT_EQ(letter->fieldUpdates, 1) << "the fax shows the fields as they are now";
}

TEST_F(WinFaxSendTest, AnyAnswerButZeroMeansWinFaxIsReady) {
    fax.winFaxReadyAnswer = -1;
    (void)WinFaxSendFax(addin, job, "Now");
    EXPECT_TRUE(user.messages().empty()) << "no wait for an answer of exactly 1";
    ASSERT_EQ(fax.jobs.size(), 1u);
    EXPECT_EQ(fax.jobs[0].printedDocument, "Letter.doc");
    EXPECT_EQ(winFaxCalls().back(), "call IsEntryIDReady(I2:0)");
}

TEST_F(WinFaxSendTest, NowSetsNoTimeAndTheDiscountPeriodOnlyTheOffPeakRate) {
    (void)WinFaxSendFax(addin, job, "Now");
    EXPECT_EQ(scheduleCalls(), Lines{});
    fax.calls.clear();
    (void)WinFaxSendFax(addin, job, "Discount");
    EXPECT_EQ(scheduleCalls(), Lines{"call SetOffPeak(I2:1)"});
    ASSERT_EQ(fax.jobs.size(), 2u);
    EXPECT_EQ(fax.jobs[0].schedule, "Now");
    EXPECT_EQ(fax.jobs[1].schedule, "Discount");
    EXPECT_EQ(printLines(), (Lines{"WinFax: Letter.doc printed", "WinFax: Letter.doc printed"})) << "no copies asked for";
    EXPECT_TRUE(user.messages().empty());
}

TEST_F(WinFaxSendTest, WhatGoesWrongIsShownWithItsNumberAndTheUsersPrinterIsBack) {
    const struct {
        const char* what;
        const char* schedule;
        const char* failingPrinter;
        const char* shown;
        std::size_t prints;
    } cases[] = {
        {"a send time that is no date", "the day after tomorrow", nullptr, "Error Number: 13\r\nType mismatch", 0},
        {"the WinFax printer fails", "Now", testing::kWinFaxPrinter,
         "Error Number: 4198\r\nThe printer is not responding.", 0},
        {"the copy printer fails", "Now", testing::kCopyPrinter, "Error Number: 4198\r\nThe printer is not responding.",
         1},
    };
    job.filing = FilingCopies{true, testing::kCopyPrinter, 1};
    for (const auto& c : cases) {
        if (c.failingPrinter) failingPrinter = c.failingPrinter;
        const std::size_t printsBefore = word->prints().size();
        const std::size_t messagesBefore = user.messages().size();
        (void)WinFaxSendFax(addin, job, c.schedule);
        ASSERT_EQ(user.messages().size(), messagesBefore + 1) << c.what;
        expectMessage(user.messages().back(), c.shown, MsgIcon::Exclamation);
        EXPECT_EQ(word->prints().size(), printsBefore + c.prints) << c.what;
        EXPECT_EQ(word->activePrinter(), kUsersPrinter) << c.what;
    }
}

TEST_F(WinFaxSendTest, AUserWhoStopsTheWaitForASilentWinFaxGetsNothingPrinted) {
    fax.winFaxPollsBeforeReady = 1000000;
    user.answer(MsgResult::Cancel);
    (void)WinFaxSendFax(addin, job, "Now");
    ASSERT_EQ(user.messages().size(), 1u) << "stopping is the user's choice: no error follows";
    EXPECT_EQ(user.messages()[0].buttons, MsgButtons::RetryCancel);
    EXPECT_TRUE(word->prints().empty());
    EXPECT_EQ(word->activePrinter(), kUsersPrinter);
}

}  // namespace
}  // namespace telvora
