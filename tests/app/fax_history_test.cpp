// The fax history: entries kept in their SQLite file as they were written, the kept period, and
// the send road recording each submission with its fax image, while a damaged or locked history
// file is reported once and never stops a fax.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <fstream>

#include "app/sent_faxes.h"
#include "backends/fax_follower.h"
#include "history/sqlite_fax_history.h"
#include "send/send_fax.h"
#include "support/faxing.h"

namespace telvora {
namespace {

using namespace std::chrono_literals;
constexpr const char* kKept = "C:\\Kept\\";

LocalTime day(int n) { return LocalTime(std::chrono::days(20000 + n)); }

class FaxHistoryTest : public testing::FaxingTest {
protected:
    FaxHistoryTest() {
        openLetter();
        job.faxNumber = "(02) 98 76";
        job.recipientName = "Ann Okafor";
        job.subject = "Quote 42";
        history_.setWord(word);
        platform.clock = day(40);
    }
    std::filesystem::path file() const { return scratch.path() / "history.db"; }
    FaxRecord entry(std::string recipient, int when) {
        FaxRecord r;
        r.submitted = day(when);
        r.recipient = std::move(recipient);
        return r;
    }

    FaxJob job;
    SqliteFaxHistory history{file(), kKept, platform.realPath(kKept), 50ms};
    Addin history_{Ports{store, automation, user, platform, &machine.dateTimes, nullptr, nullptr, nullptr, &history}};
};

TEST_F(FaxHistoryTest, EntriesComeBackAsWrittenNewestFirstAndTheOldOnesGo) {
    FaxRecord full = entry("Ann Okafor", 39);
    full.company = "Okafor & Sons";
    full.number = "0029876";
    full.pagesSent = 2;
    full.pagesTotal = 3;
    full.state = FaxState::Retrying;
    full.reason = "the line was busy";
    full.retries = 1;
    full.mergeRun = "Letters 7";
    full.software = FaxSoftwareKind::LegacyFaxService;
    full.server = "FAXSRV";
    full.jobIds = {"2001", "2002"};
    full.keptImage = "C:\\Kept\\fax-1.tif";
    full.schedule = "Discount";
    full.delivery = "Email: ann@okafor.example";
    full.id = history.add(full);
    const std::int64_t older = history.add(entry("Ben", 5));
    const std::int64_t newer = history.add(entry("Cleo", 40));

    full.state = FaxState::Sent;
    full.pagesSent = 3;
    history.update(full);
    const auto recent = history.since(day(10));
    ASSERT_EQ(recent.size(), 2u);
    EXPECT_EQ(recent[0].id, newer);
    const FaxRecord& back = recent[1];
    EXPECT_EQ(std::tie(back.id, back.submitted, back.recipient, back.company, back.number, back.pagesSent,
                       back.pagesTotal, back.state, back.reason, back.retries, back.mergeRun, back.software,
                       back.server, back.jobIds, back.keptImage, back.schedule, back.delivery),
              std::tie(full.id, full.submitted, full.recipient, full.company, full.number, full.pagesSent,
                       full.pagesTotal, full.state, full.reason, full.retries, full.mergeRun, full.software,
                       full.server, full.jobIds, full.keptImage, full.schedule, full.delivery));

    const auto removed = history.removeBefore(day(10));
    ASSERT_EQ(removed.size(), 1u);
    EXPECT_EQ(removed[0].id, older);
    EXPECT_EQ(history.since(day(0)).size(), 2u) << "the history is kept in its file across connections";
    SqliteFaxHistory reopened{file(), kKept, platform.realPath(kKept)};
    EXPECT_EQ(reopened.since(day(0)).size(), 2u);
}

TEST_F(FaxHistoryTest, EachSubmissionIsRecordedWithItsImageAndEntriesPastThirtyDaysLoseTheirImages) {
    fax.reachableServers = {"FAXSRV"};
    save(keys::FaxType, "3");
    save(keys::ServerName, "FAXSRV");
    // An entry of 31 days ago with its kept image: the next fax removes both.
    FaxRecord stale = entry("Old", 9);
    ASSERT_EQ(history.imageFolder(), kKept);
    platform.writeFile("C:\\Kept\\old.tif", "old image");
    stale.keptImage = "C:\\Kept\\old.tif";
    (void)history.add(stale);

    const SendOutcome outcome = SendFax(history_, job, "Now", "", 1, "Letters 7");

    ASSERT_TRUE(outcome.sent());
    const auto faxes = RecentFaxes(history_);
    ASSERT_EQ(faxes.size(), 1u);
    const FaxRecord& sent = faxes[0];
    EXPECT_EQ(sent.submitted, day(40));
    EXPECT_EQ(sent.recipient, "Ann Okafor");
    EXPECT_EQ(sent.number, "029876");
    EXPECT_EQ(sent.state, FaxState::Queued);
    EXPECT_EQ(sent.software, FaxSoftwareKind::ExtendedFaxService);
    EXPECT_EQ(sent.server, "FAXSRV");
    EXPECT_EQ(sent.jobIds, outcome.jobIds);
    EXPECT_EQ(sent.mergeRun, "Letters 7");
    EXPECT_EQ(sent.keptImage, "C:\\Kept\\fax-" + std::to_string(sent.id) + ".tif");
    EXPECT_EQ(platform.readFile(sent.keptImage), printedLetter()) << "the image kept is the one the fax software got";
    EXPECT_FALSE(platform.fileExists("C:\\Kept\\old.tif"));
    EXPECT_FALSE(platform.fileExists(testing::kFaxFile)) << "the temporary file still goes";
}

TEST_F(FaxHistoryTest, ARefusedSubmissionIsRecordedAsFailedWithTheReasonTheUserWasTold) {
    save(keys::FaxType, "3");
    save(keys::ServerName, "GONE");  // a server the machine cannot reach
    const SendOutcome outcome = SendFax(history_, job, "Now", "");
    ASSERT_FALSE(outcome.sent());
    const auto faxes = RecentFaxes(history_);
    ASSERT_EQ(faxes.size(), 1u);
    EXPECT_EQ(faxes[0].state, FaxState::Failed);
    EXPECT_EQ(faxes[0].reason, outcome.why);
    EXPECT_FALSE(faxes[0].keptImage.empty()) << "a fax that failed can be sent again";
}

TEST_F(FaxHistoryTest, ADamagedOrLockedFileIsReportedOnceAndTheFaxesGoOut) {
    const auto problemShown = [&](const std::string& why) {
        const std::string expected = std::string(kFaxHistoryProblem) + "\r\n\r\nThe fax history " + file().string() +
                                     " could not be " + why;
        std::size_t shown = 0;
        for (const auto& m : user.messages()) shown += m.prompt == expected ? 1 : 0;
        return shown;
    };
    struct Case {
        const char* name;
        std::function<void(sqlite3*&)> spoil;
        const char* why;
    };
    const Case cases[] = {
        {"not a database",
         [&](sqlite3*&) { std::ofstream(file(), std::ios::binary) << std::string(4096, 'x'); },
         "read: it is damaged."},
        {"held by another program",
         [&](sqlite3*& other) {
             ASSERT_EQ(sqlite3_open(file().string().c_str(), &other), SQLITE_OK);
             ASSERT_EQ(sqlite3_exec(other, "CREATE TABLE t (x); BEGIN EXCLUSIVE; INSERT INTO t VALUES (1)", nullptr,
                                    nullptr, nullptr),
                       SQLITE_OK);
         },
         "read: another program holds it."},
    };
    fax.reachableServers = {"FAXSRV"};
    save(keys::FaxType, "3");
    save(keys::ServerName, "FAXSRV");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(file());
        history_.historyProblemReported = false;
        sqlite3* other = nullptr;
        c.spoil(other);
        const std::size_t before = fax.jobs.size();
        for (int i = 0; i < 2; ++i) EXPECT_TRUE(SendFax(history_, job, "Now", "").sent());
        EXPECT_EQ(fax.jobs.size(), before + 2);
        EXPECT_EQ(problemShown(c.why), 1u) << "told once, not at every fax";
        sqlite3_close(other);
    }
}

class FollowingTest : public FaxHistoryTest {
protected:
    FollowingTest() {
        fax.reachableServers = {"FAXSRV"};
        save(keys::FaxType, "3");
        save(keys::ServerName, "FAXSRV");
        platform.clock = day(40) + 14h + 32min;
    }
    // Polls until nothing is on its way; answers what the status bar showed after each poll.
    std::vector<std::string> followToTheEnd(FaxFollower& follower) {
        std::vector<std::string> shown;
        for (int round = 0; round < 40; ++round) {
            const bool more = follower.poll();
            shown.push_back(word->statusBar());
            if (!more) break;
        }
        return shown;
    }
};

TEST_F(FollowingTest, EachStepOfTheJobIsStoredAndToldOnTheStatusBarUntilItIsOver) {
    using sim::JobEnding;
    const std::string to = "Fax to Ann Okafor: ";
    const struct {
        const char* name;
        sim::JobCourse course;
        std::vector<std::string> shown;
        FaxState final;
        std::int32_t pagesSent;
    } cases[] = {
        {"sent", {JobEnding::Sent, 2},
         {to + "dialling", to + "sending page 1 of 2", to + "sending page 2 of 2", to + "sent at 14:32"},
         FaxState::Sent, 2},
        {"busy", {JobEnding::Busy, 1, 1, 1},
         {to + "dialling", to + "failed: the line was busy; retry 1 to come", to + "dialling",
          to + "failed: the line was busy; no retries are left"},
         FaxState::Failed, 0},
        {"no answer", {JobEnding::NoAnswer, 1, 1, 0},
         {to + "dialling", to + "failed: there was no answer; no retries are left"}, FaxState::Failed, 0},
        {"stopped after page 1", {JobEnding::StoppedAfterPage, 3, 1},
         {to + "dialling", to + "sending page 1 of 3", to + "failed: the call was cut off"}, FaxState::Failed, 1},
        {"cancelled by the server", {JobEnding::CancelledByServer}, {to + "cancelled: the fax was cancelled"},
         FaxState::Cancelled, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fax.nextJobCourse = c.course;
        ASSERT_TRUE(SendFax(history_, job, "Now", "").sent());
        FaxFollower follower(history_);
        EXPECT_EQ(followToTheEnd(follower), c.shown);
        const FaxRecord latest = RecentFaxes(history_).front();
        EXPECT_EQ(latest.state, c.final);
        EXPECT_EQ(latest.pagesSent, c.pagesSent);
        EXPECT_EQ(latest.pagesTotal, c.course.pages);
        EXPECT_FALSE(follower.poll()) << "a fax that is over is not asked after again";
    }
}

TEST_F(FollowingTest, TheStatusBarIsLeftAloneOnceSomethingElseIsShownAndWinFaxIsNotAskedAfter) {
    fax.nextJobCourse = {sim::JobEnding::Sent, 2};
    ASSERT_TRUE(SendFax(history_, job, "Now", "").sent());
    FaxRecord winFax;
    winFax.software = FaxSoftwareKind::WinFax;
    winFax.jobIds = {"77"};
    ASSERT_TRUE(RecordFax(history_, winFax));

    FaxFollower follower(history_);
    ASSERT_TRUE(follower.poll());
    word->setStatusBar("Saving Letter.doc");
    while (follower.poll()) {
    }
    EXPECT_EQ(word->statusBar(), "Saving Letter.doc");
    const auto faxes = RecentFaxes(history_);
    ASSERT_EQ(faxes.size(), 2u);
    EXPECT_EQ(faxes[0].state, FaxState::HandedOn) << "WinFax tells nothing of its jobs";
    EXPECT_EQ(faxes[1].state, FaxState::Sent) << "the history follows on, whatever the status bar shows";
}

TEST_F(FollowingTest, TheLegacyServicesJobListIsFollowedUntilTheFaxLeavesItsQueueWhereNothingMoreIsKnown) {
    fax.extendedFaxInstalled = false;
    fax.faxServiceInstalled = true;
    save(keys::FaxType, "1");
    const std::string to = "Fax to Ann Okafor: ";
    const struct {
        sim::JobCourse course;
        std::vector<std::string> shown;
        FaxState final;
    } cases[] = {
        {{sim::JobEnding::Sent, 2}, {to + "sending page 1 of 2", to + "sending page 1 of 2", to + "sending page 1 of 2",
                                     to + "handed to the fax software"}, FaxState::HandedOn},
        {{sim::JobEnding::Busy, 1, 1, 0}, {to + "sending page 1 of 1", to + "failed: the fax service gave up; no retries are left"},
         FaxState::Failed},
    };
    for (const auto& c : cases) {
        fax.nextJobCourse = c.course;
        ASSERT_TRUE(SendFax(history_, job, "Now", "").sent());
        ASSERT_EQ(RecentFaxes(history_).front().software, FaxSoftwareKind::LegacyFaxService);
        FaxFollower follower(history_);
        EXPECT_EQ(followToTheEnd(follower), c.shown);
        EXPECT_EQ(RecentFaxes(history_).front().state, c.final);
    }
}

TEST_F(FollowingTest, AServerThatDoesNotAnswerIsLeftAloneForAMinuteSoWordIsNotHeldAtEveryRound) {
    FaxRecord gone;
    gone.server = "GONE";
    gone.jobIds = {"7"};
    ASSERT_TRUE(RecordFax(history_, gone));
    const auto connects = [&] {
        return std::count_if(fax.calls.begin(), fax.calls.end(), [](const auto& c) { return c.member == "Connect"; });
    };
    FaxFollower follower(history_);
    for (int round = 0; round < 3; ++round, platform.clock += kFollowEvery) EXPECT_TRUE(follower.poll());
    EXPECT_EQ(connects(), 1);
    platform.clock += kUnansweredServerRest;
    EXPECT_TRUE(follower.poll()) << "the fax is still on its way";
    EXPECT_EQ(connects(), 2);
}

TEST(JobReports, TheLegacyServicesWordsAndHylafaxStatesReadAsTheFaxsState) {
    const struct {
        JobReport report;
        FaxState state;
        const char* reason;
    } cases[] = {
        {readLegacyQueueStatus("No Line"), FaxState::Queued, "no fax line was free"},
        {readLegacyQueueStatus("Retrying"), FaxState::Retrying, "the last attempt failed"},
        {readLegacyQueueStatus("Deleting"), FaxState::Cancelled, "the fax was cancelled"},
        // Another language's words stay on their way, told as the service wrote them.
        {readLegacyQueueStatus("En cours de nouvelle tentative"), FaxState::Queued, "En cours de nouvelle tentative"},
        {readHylafaxJob("DONE", "", 3, 3), FaxState::Sent, ""},
        {readHylafaxJob("FAILED", "Busy signal detected", 0, 3), FaxState::Failed, "Busy signal detected"},
        {readHylafaxJob("ACTIVE", "", 1, 3), FaxState::Sending, ""},
        {readHylafaxJob("SLEEPING", "No answer from remote", 0, 3), FaxState::Retrying, "No answer from remote"},
        {readHylafaxJob("SLEEPING", "", 0, 0), FaxState::Queued, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        EXPECT_EQ(c.report.state, c.state);
        EXPECT_EQ(c.report.reason, c.reason);
    }
}

// Following on the timer, with the extended fax service's server events where it gives them.
TEST_F(FollowingTest, ServerEventsTellEachChangeAtOnceAndWithoutThemTheTimerAsksEveryFiveSeconds) {
    const std::string to = "Fax to Ann Okafor: ";
    fax.serverEventsServed = true;
    for (const bool refused : {false, true}) {
        SCOPED_TRACE(refused ? "listening refused" : "events");
        fax.serverEventsRefused = refused;
        fax.nextJobCourse = {sim::JobEnding::Sent, 1};
        Addin following{Ports{store, automation, user, platform, &machine.dateTimes, nullptr, nullptr, nullptr, &history,
                              &machine.timer}};
        following.setWord(word);
        ASSERT_TRUE(SendFax(following, job, "Now", "").sent());
        ASSERT_TRUE(machine.timer.running());
        const std::string jobId = fax.jobs.back().jobId;
        const std::size_t ticks = machine.timer.ticks();
        EXPECT_EQ(fax.eventListeners(), refused ? 0u : 1u);

        ASSERT_TRUE(fax.moveJob(jobId));
        if (refused) {
            EXPECT_NE(word->statusBar(), to + "dialling") << "nothing tells the move before the timer asks";
            machine.timer.elapse(kFollowEvery);
            EXPECT_EQ(machine.timer.ticks(), ticks + 1);
        } else {
            machine.timer.elapse(kFollowEveryWithEvents - 1s);
            EXPECT_EQ(machine.timer.ticks(), ticks) << "while events come the timer is only the safety net";
        }
        EXPECT_EQ(word->statusBar(), to + "dialling");
        if (refused) {
            StopFollowing(following);
            continue;
        }

        while (fax.moveJob(jobId)) {
        }
        EXPECT_EQ(word->statusBar(), to + "sent at 14:32");
        EXPECT_EQ(RecentFaxes(following).front().state, FaxState::Sent);
        EXPECT_FALSE(machine.timer.running()) << "nothing is left to follow";
        EXPECT_EQ(fax.eventListeners(), 0u);
        EXPECT_EQ(fax.calls.back().member, "ListenToServerEvents");
        EXPECT_EQ(fax.calls.back().args, Args{Variant(std::int32_t{0})});

        // Unloading ends the subscription of a fax still on its way.
        ASSERT_TRUE(SendFax(following, job, "Now", "").sent());
        ASSERT_EQ(fax.eventListeners(), 1u);
        StopFollowing(following);
        EXPECT_EQ(fax.eventListeners(), 0u);
        EXPECT_EQ(fax.calls.back().member, "ListenToServerEvents");

        // An add-in that goes while a fax is on its way takes its following with it.
        {
            Addin going{Ports{store, automation, user, platform, &machine.dateTimes, nullptr, nullptr, nullptr, &history,
                              &machine.timer}};
            going.setWord(word);
            ASSERT_TRUE(SendFax(going, job, "Now", "").sent());
            ASSERT_EQ(fax.eventListeners(), 1u);
        }
        EXPECT_FALSE(machine.timer.running());
        EXPECT_EQ(fax.eventListeners(), 0u);
    }
}

}  // namespace
}  // namespace telvora
