// The Fax Status window: what it lists, how it follows the faxes while open, and sending a fax
// again or cancelling it from there.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "app/sent_faxes.h"
#include "backends/fax_follower.h"
#include "history/sqlite_fax_history.h"
#include "send/fax_status.h"
#include "send/send_fax.h"
#include "support/faxing.h"

namespace telvora {
namespace {

using namespace std::chrono_literals;

// A HylaFAX server as its client meets it through the network: the greeting, then for each command
// line the reply of the first key the line starts with; the lines the client sent are kept.
class ScriptedHylafax final : public Network {
public:
    std::map<std::string, std::string> replies{{"USER", "230 User logged in."}, {"QUIT", "221 Goodbye."}};
    std::vector<std::string> commands;

    std::unique_ptr<Connection> connect(const std::string&, std::uint16_t, std::chrono::milliseconds) override {
        struct Line final : Connection {
            explicit Line(ScriptedHylafax& to) : server(to) {}
            void send(std::string_view line, std::chrono::milliseconds) override {
                server.commands.emplace_back(line.substr(0, line.find('\r')));
                for (const auto& [key, reply] : server.replies)
                    if (server.commands.back().starts_with(key)) waiting += reply + "\r\n";
            }
            std::string receive(std::size_t, std::chrono::milliseconds) override { return std::exchange(waiting, ""); }
            void finishSending() override {}
            ScriptedHylafax& server;
            std::string waiting = "220 fax.example server (HylaFAX (tm) Version 6.0.7) ready.\r\n";
        };
        return std::make_unique<Line>(*this);
    }
};

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
    ScriptedHylafax hylafax;
    Addin faxing{Ports{store, automation, user, platform, &machine.dateTimes, nullptr, &hylafax, nullptr, &history, &machine.timer}};
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
    EXPECT_EQ(column(form, 4), std::vector<std::string>{"queued"});

    machine.timer.elapse(30s);
    EXPECT_EQ(column(form, 4), std::vector<std::string>{"failed"}) << "the window shows what following stored";
    EXPECT_EQ(form.lblReason.caption(), "Fax to Ann Okafor: failed: the line was busy; no retries are left.");

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

// Cancel Fax reaches the job at each fax software that gives the add-in a hold on it, while the fax
// waits or is being sent; a refusal is told with the fax software's reason and the fax stays as it
// was; a fax out of reach (WinFax's, one that has left the queue) cannot be chosen for it.
TEST_F(FaxStatusTest, AFaxOnItsWayIsCancelledAtItsFaxSoftwareAndOneOutOfReachIsNot) {
    const auto send = [&](bool extended, sim::JobEnding ending, int rounds, bool sentUnseen = false) {
        return [=, this] {
            fax.extendedFaxInstalled = extended;
            fax.faxServiceInstalled = !extended;
            save(keys::FaxType, extended ? "3" : "1");
            fax.nextJobCourse = {ending, 2};
            ASSERT_TRUE(SendFax(faxing, job, "Now", "").sent());
            machine.timer.elapse(kFollowEvery * rounds);
            if (sentUnseen) fax.jobs.back().step = fax.jobs.back().course.size() - 1;
        };
    };
    const auto record = [&](FaxSoftwareKind software, FaxState state) {
        return [=, this] {
            FaxRecord r;
            std::tie(r.recipient, r.state, r.software, r.server, r.jobIds) =
                std::tuple(job.recipientName, state, software, "127.0.0.1", std::vector<std::string>{"42"});
            ASSERT_TRUE(RecordFax(faxing, r));
        };
    };
    using enum FaxState;
    const struct {
        std::function<void()> put;  // the newest fax in the history
        FaxState before;
        std::string jobKill;  // the HylaFAX server's reply to the kill
        bool cancellable;
        std::string refusal;  // the end of what the user is told; "" when the fax is cancelled
    } cases[] = {
        {send(true, sim::JobEnding::Sent, 1), Dialling, "", true, ""},
        {send(false, sim::JobEnding::Sent, 1), Sending, "", true, ""},
        {send(false, sim::JobEnding::Sent, 0), Queued, "", true, ""},
        {record(FaxSoftwareKind::Hylafax, Sending), Sending, "200 Job 42 killed.", true, ""},
        {send(false, sim::JobEnding::Sent, 0, true), Queued, "", true, "has already left the queue of the fax service on " +
                                                                           platform.environment("computername") + "."},
        {record(FaxSoftwareKind::Hylafax, Queued), Queued, "504 Job 42 not killed; already done.", true,
         "did not cancel the fax job 42: 504 Job 42 not killed; already done."},
        {record(FaxSoftwareKind::LegacyFaxService, HandedOn), HandedOn, "", false, ""},
        {record(FaxSoftwareKind::WinFax, Queued), Queued, "", false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("row " + std::to_string(&c - cases));
        hylafax.replies["JKILL"] = c.jobKill;
        hylafax.commands.clear();
        c.put();
        ASSERT_EQ(RecentFaxes(faxing).front().state, c.before);
        const std::size_t told = user.messages().size();
        frmFaxStatus form(faxing);
        std::vector steps{sim::choose("lstFaxes", item(0)), sim::click("cmdCancelFax"), sim::click("cmdClose")};
        if (!c.cancellable) steps.erase(steps.begin() + 1);
        user.onForm("frmFaxStatus", steps);
        form.showModal(user);
        const FaxRecord after = RecentFaxes(faxing).front();
        EXPECT_EQ(form.cmdCancelFax.enabled(), !c.refusal.empty()) << "only a fax on its way can be cancelled";
        if (!c.refusal.empty()) {
            EXPECT_EQ(after.state, c.before);
            ASSERT_EQ(user.messages().size(), told + 1);
            EXPECT_TRUE(user.messages().back().prompt.starts_with(kCancelRefusedMessage));
            EXPECT_TRUE(user.messages().back().prompt.ends_with(c.refusal)) << user.messages().back().prompt;
        } else if (c.cancellable) {
            EXPECT_EQ(after.reason, "you cancelled it");
            EXPECT_EQ(form.rows().at(0).texts.at(4), "cancelled") << "the open window shows it";
            EXPECT_EQ(word->statusBar(), "Fax to Ann Okafor: cancelled: you cancelled it");
            EXPECT_TRUE(c.jobKill.empty() ? fax.jobs.back().course.at(fax.jobs.back().step).status == 0x200
                                          : hylafax.commands.at(1) == "JKILL 42")
                << "the job is cancelled in the fax software's queue";
        }
    }
    EXPECT_EQ(user.finish(), "") << "Cancel Fax was there to click exactly for the faxes on their way";
    // The bar shows the add-in's own line, so following goes on telling there.
    machine.timer.elapse(kFollowEvery);
    EXPECT_NE(word->statusBar(), "Fax to Ann Okafor: cancelled: you cancelled it");
}

}  // namespace
}  // namespace telvora
