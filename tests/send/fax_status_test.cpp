// The Fax Status window: what it lists, how it follows the faxes while open, and sending a fax
// again or cancelling it from there.
#include <gtest/gtest.h>

#include "app/sent_faxes.h"
#include "history/sqlite_fax_history.h"
#include "send/fax_status.h"
#include "send/send_fax.h"
#include "support/faxing.h"

namespace telvora {
namespace {

using namespace std::chrono_literals;

class FaxStatusTest : public testing::FaxingTest {
protected:
    FaxStatusTest() {
        openLetter();
        job.faxNumber = "(02) 98 76";
        job.recipientName = "Ann Okafor";
        fax.reachableServers = {"FAXSRV"};
        save(keys::FaxType, "3");
        save(keys::ServerName, "FAXSRV");
        faxing.setWord(word);
    }
    std::vector<std::string> column(const frmFaxStatus& form, std::size_t k) {
        std::vector<std::string> texts;
        for (const auto& row : form.rows()) texts.push_back(row.texts.at(k));
        return texts;
    }

    // The list's item of the row `i` as the user chooses it.
    std::string item(std::size_t i) {
        const auto rows = FaxStatusRows(faxing, RecentFaxes(faxing));
        std::string line;
        for (const auto& text : rows.at(i).texts) line += (line.empty() ? "" : "\t") + text;
        return line;
    }

    FaxJob job;
    SqliteFaxHistory history{scratch.path() / "history.db", "C:\\Kept\\", platform.realPath("C:\\Kept\\")};
    Addin faxing{Ports{store, automation, user, platform, &machine.dateTimes, nullptr, nullptr, nullptr, &history, &machine.timer}};
};

TEST_F(FaxStatusTest, AMergeRunIsListedUnderOneHeadingCountingItsFaxesAtThePlaceOfItsNewest) {
    const auto fax = [&](std::string who, FaxState state, std::string run) {
        FaxRecord r;
        r.recipient = std::move(who);
        r.state = state;
        r.mergeRun = std::move(run);
        r.pagesTotal = 2;
        r.pagesSent = state == FaxState::Sent ? 2 : 0;
        platform.clock += 1min;
        ASSERT_TRUE(RecordFax(faxing, r));
    };
    fax("Ben", FaxState::Failed, "");
    fax("Cleo", FaxState::Sent, "Letters.docx 123");
    fax("Dan", FaxState::Cancelled, "Letters.docx 123");
    fax("Eve", FaxState::Sending, "Letters.docx 123");
    fax("Finn", FaxState::Failed, "Letters.docx 123");
    fax("Gus", FaxState::Queued, "");

    frmFaxStatus form(faxing);
    form.load();
    EXPECT_EQ(column(form, 1), (std::vector<std::string>{"Gus", "Merge: Letters.docx", "   Finn", "   Eve", "   Dan",
                                                          "   Cleo", "Ben"}));
    EXPECT_EQ(form.rows()[1].texts[4], "1 sent, 2 failed");
    EXPECT_EQ(form.rows()[1].texts[5], "1 on the way");
    EXPECT_EQ(column(form, 3)[5], "2 of 2");
    EXPECT_EQ(form.lstFaxes.listCount(), 7);
    form.lstFaxes.setListIndex(1);
    EXPECT_FALSE(form.cmdResend.enabled()) << "a heading is no fax to send again";
    form.lstFaxes.setListIndex(6);
    EXPECT_EQ(form.lblReason.caption(), "Fax to Ben: failed.");
    EXPECT_TRUE(form.cmdResend.enabled());
    EXPECT_FALSE(form.cmdCancelFax.enabled()) << "only a fax still waiting in the queue can be cancelled";
}

TEST_F(FaxStatusTest, TheOpenWindowFollowsAFailedFaxAndItsResendGoesToTheSameNumberWithTheSameImage) {
    fax.comingJobCourses = {{sim::JobEnding::Busy, 1, 1, 0}};
    fax.nextJobCourse = {sim::JobEnding::Sent, 1};
    ASSERT_TRUE(SendFax(faxing, job, "Now", "").sent());
    frmFaxStatus form(faxing);
    form.load();
    form.lstFaxes.setListIndex(0);
    EXPECT_TRUE(form.cmdCancelFax.enabled());
    EXPECT_EQ(column(form, 4), std::vector<std::string>{"queued"});

    machine.timer.elapse(30s);
    EXPECT_EQ(column(form, 4), std::vector<std::string>{"failed"}) << "the window shows what following stored";
    EXPECT_EQ(form.lblReason.caption(), "Fax to Ann Okafor: failed: the line was busy; no retries are left.");
    EXPECT_FALSE(form.cmdCancelFax.enabled());

    form.cmdResend.fireClick();
    ASSERT_EQ(fax.jobs.size(), 2u);
    EXPECT_EQ(std::tie(fax.jobs[1].number, fax.jobs[1].server, fax.jobs[1].schedule, fax.jobs[1].body),
              std::tie(fax.jobs[0].number, fax.jobs[0].server, fax.jobs[0].schedule, fax.jobs[0].body));
    machine.timer.elapse(30s);
    EXPECT_EQ(column(form, 4), (std::vector<std::string>{"sent", "failed"}));
    EXPECT_EQ(form.lstFaxes.listIndex(), 1) << "the fax chosen stays chosen";
    EXPECT_EQ(word->statusBar(), "Fax to Ann Okafor: sent at " + machine.dateTimes.format(platform.clock - 15s, DateTimePattern::Time24));

    // Once its kept image is gone a fax cannot be sent again, and the user is told why.
    platform.deleteFile(RecentFaxes(faxing)[1].keptImage);
    form.cmdResend.fireClick();
    EXPECT_EQ(fax.jobs.size(), 2u);
    expectMessage(onlyMessage(), kResendImageGoneMessage, MsgIcon::Exclamation);
    form.cmdClose.fireClick();
    EXPECT_FALSE(faxing.faxesChanged) << "a closed window is not called";
}

TEST_F(FaxStatusTest, AQueuedFaxChosenByTheUserIsCancelledAtTheFaxService) {
    fax.nextJobCourse = {sim::JobEnding::Sent, 3};
    ASSERT_TRUE(SendFax(faxing, job, "Now", "").sent());
    user.onForm("frmFaxStatus", {sim::choose("lstFaxes", item(0)), sim::click("cmdCancelFax"), sim::click("cmdClose")});
    ShowFaxStatus(faxing);
    ASSERT_EQ(fax.jobs.size(), 1u);
    EXPECT_EQ(fax.jobs[0].course.at(fax.jobs[0].step).status, 0x200) << "the job is cancelled in the queue";
    const FaxRecord cancelled = RecentFaxes(faxing).at(0);
    EXPECT_EQ(cancelled.state, FaxState::Cancelled);
    EXPECT_EQ(cancelled.reason, "you cancelled it");
}

}  // namespace
}  // namespace telvora
