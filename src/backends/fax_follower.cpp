// Following the faxes sent.
#include "backends/fax_follower.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <set>

#include "app/sent_faxes.h"
#include "backends/availability.h"
#include "backends/hylafax.h"
#include "base/errors.h"
#include "base/flag_while.h"
#include "base/text.h"

namespace telvora {
namespace {

using Object = std::shared_ptr<AutomationObject>;

bool onItsWay(FaxState state) {
    return state == FaxState::Queued || state == FaxState::Dialling || state == FaxState::Sending ||
           state == FaxState::Retrying;
}

std::string reasonInWords(std::int32_t code, const std::string& text) {
    using namespace extendedstatus;
    switch (code) {
    case Busy: return "the line was busy";
    case NoAnswer: return "there was no answer";
    case BadAddress: return "the number is not a fax number that can be dialled";
    case NoDialTone: return "there was no dial tone";
    case LineUnavailable: return "no fax line was free";
    case Disconnected: return "the call was cut off";
    case FatalError: return "the fax device failed";
    case CallDelayed: return "the call was delayed";
    case CallBlacklisted: return "the number is blocked";
    case NotFaxCall: return "a person or another machine answered, not a fax";
    case CallAborted: return "the call was aborted";
    default: return text;
    }
}

std::int32_t readLong(AutomationObject& object, const char* member) { return object.get(member).toInt32(); }

}  // namespace

JobReport readJobStatus(std::int32_t status, std::int32_t code, const std::string& extendedText) {
    using namespace jobstatus;
    JobReport report;
    report.reason = reasonInWords(code, extendedText);
    if (status & Completed) {
        report.state = FaxState::Sent;
        report.reason.clear();
    } else if (status & (Canceled | Canceling)) {
        report.state = FaxState::Cancelled;
        if (report.reason.empty()) report.reason = "the fax was cancelled";
    } else if (status & (Failed | RetriesExceeded)) {
        report.state = FaxState::Failed;
        if (report.reason.empty()) report.reason = "the fax service gave up";
        if (status & RetriesExceeded) report.reason += "; no retries are left";
    } else if (status & Retrying) {
        report.state = FaxState::Retrying;
    } else if (status & InProgress) {
        report.state = code == extendedstatus::Transmitting ? FaxState::Sending : FaxState::Dialling;
        report.reason.clear();
    } else {
        report.state = FaxState::Queued;
        report.reason.clear();
    }
    return report;
}

namespace {

// A fax service's server object (`progId`), connected to `server`.
Object connectedFaxServer(Addin& addin, const char* progId, const std::string& server) {
    Object faxServer = addin.automation().create(progId);
    faxServer->perform("Connect", {Variant(server)});
    return faxServer;
}

// The job `jobId` in the outgoing queue of the extended fax service's `folders`; raises what the
// service raises for a job that has left the queue.
Object queuedJob(AutomationObject& folders, const std::string& jobId) {
    return folders.get("OutgoingQueue").toObject()->call("GetJob", {Variant(jobId)}).toObject();
}

}  // namespace

std::optional<JobReport> askExtendedFaxJob(Addin& addin, const std::string& server, const std::string& jobId) {
    const Object folders = connectedFaxServer(addin, progid::ExtendedFaxServer, server)->get("Folders").toObject();
    Object job;
    if (succeeded(addin.diagnostics(), [&] { job = queuedJob(*folders, jobId); })) {
        JobReport report = readJobStatus(readLong(*job, "Status"), readLong(*job, "ExtendedStatusCode"),
                                         job->get("ExtendedStatus").toString());
        report.currentPage = readLong(*job, "CurrentPage");
        report.pages = readLong(*job, "Pages");
        report.retries = readLong(*job, "Retries");
        return report;
    }
    // Gone from the queue: a job the archive holds was sent.
    Object message;
    if (!succeeded(addin.diagnostics(), [&] {
            message = folders->get("OutgoingArchive").toObject()->call("GetMessage", {Variant(jobId)}).toObject();
        }))
        return std::nullopt;
    JobReport report;
    report.state = FaxState::Sent;
    report.pages = readLong(*message, "Pages");
    report.currentPage = report.pages;
    report.retries = readLong(*message, "Retries");
    return report;
}

JobReport readLegacyQueueStatus(const std::string& queueStatus) {
    // The fax service of Windows 2000 tells a queued job's state only in words, in the system's
    // language; the English ones are recognised, any other is shown as the service wrote it.
    JobReport report;
    const std::string status = lowerAscii(queueStatus);
    if (status == "pending" || status == "paused" || status.empty()) {
        report.state = FaxState::Queued;
    } else if (status == "in progress") {
        report.state = FaxState::Sending;
    } else if (status == "no line") {
        report.state = FaxState::Queued;
        report.reason = "no fax line was free";
    } else if (status == "retrying") {
        report.state = FaxState::Retrying;
        report.reason = "the last attempt failed";
    } else if (status == "retries exceeded") {
        report.state = FaxState::Failed;
        report.reason = "the fax service gave up; no retries are left";
    } else if (status == "failed") {
        report.state = FaxState::Failed;
        report.reason = "the fax service gave up";
    } else if (status == "deleting") {
        report.state = FaxState::Cancelled;
        report.reason = "the fax was cancelled";
    } else {
        report.state = FaxState::Queued;
        report.reason = queueStatus;
    }
    return report;
}

namespace {

// The job `jobId` in the job list of the fax service of Windows 2000 on `server`; none once it
// has left the queue (the service keeps no other list).
Object legacyFaxJob(Addin& addin, const std::string& server, const std::string& jobId) {
    const Object jobs = connectedFaxServer(addin, progid::FaxServer, server)->call("GetJobs", {}).toObject();
    const std::int32_t count = readLong(*jobs, "Count");
    for (std::int32_t i = 1; i <= count; ++i) {
        Object job = jobs->get("Item", {Variant(i)}).toObject();
        if (std::to_string(readLong(*job, "JobId")) == jobId) return job;
    }
    return nullptr;
}

// The HylaFAX server that took the fax, reached as the user is set up to reach it.
HylafaxServer hylafaxServerOf(Addin& addin, const FaxRecord& record) {
    const HylafaxSetting setting = addin.settings().hylafax();
    return {record.server, setting.port, setting.user};
}

}  // namespace

std::optional<JobReport> askLegacyFaxJob(Addin& addin, const std::string& server, const std::string& jobId) {
    const Object job = legacyFaxJob(addin, server, jobId);
    if (!job) return std::nullopt;
    JobReport report = readLegacyQueueStatus(job->get("QueueStatus").toString());
    report.pages = readLong(*job, "PageCount");
    return report;
}

JobReport readHylafaxJob(const std::string& state, const std::string& status, int pagesSent, int pagesTotal) {
    JobReport report;
    report.pages = pagesTotal;
    report.currentPage = pagesSent + 1;
    report.reason = status;
    if (state == "DONE") {
        report.state = FaxState::Sent;
        report.reason.clear();
    } else if (state == "FAILED") {
        report.state = FaxState::Failed;
        if (report.reason.empty()) report.reason = "the fax server gave up";
    } else if (state == "ACTIVE") {
        report.state = pagesTotal > 0 ? FaxState::Sending : FaxState::Dialling;
        report.reason.clear();
    } else if (state == "SLEEPING" && !status.empty()) {
        // Waiting for its next attempt after one that failed.
        report.state = FaxState::Retrying;
    } else {
        report.state = FaxState::Queued;
        report.reason.clear();
    }
    return report;
}

std::string faxStatusLine(const FaxRecord& record, const std::string& at) {
    std::string line = "Fax to " + (record.recipient.empty() ? record.number : record.recipient) + ": ";
    switch (record.state) {
    case FaxState::Queued: return line + "waiting in the queue";
    case FaxState::Dialling: return line + "dialling";
    case FaxState::Sending:
        return line + "sending page " + std::to_string(record.pagesSent + 1) + " of " + std::to_string(record.pagesTotal);
    case FaxState::Retrying:
        return line + "failed: " + record.reason + "; retry " + std::to_string(record.retries + 1) + " to come";
    case FaxState::Sent: return line + "sent at " + at;
    case FaxState::Failed: return line + "failed: " + record.reason;
    case FaxState::Cancelled: return line + "cancelled" + (record.reason.empty() ? "" : ": " + record.reason);
    case FaxState::HandedOn: return line + "handed to the fax software";
    }
    return line;
}

bool FaxFollower::follow(FaxRecord& record) {
    if (record.software == FaxSoftwareKind::WinFax || record.jobIds.empty()) {
        // WinFax tells nothing of its jobs: recorded as handed to it, and no longer asked.
        record.state = FaxState::HandedOn;
        return true;
    }
    // One job per recipient, and the add-in gives one recipient: the first job is the fax.
    const std::string& jobId = record.jobIds[0];
    const auto server = std::make_pair(record.software, record.server);
    const LocalTime now = addin_.platform().now();
    if (const auto rest = resting_.find(server); rest != resting_.end()) {
        if (now < rest->second) return false;
        resting_.erase(rest);
    }
    std::optional<JobReport> report;
    const bool asked = succeeded(addin_.diagnostics(), [&] {
        switch (record.software) {
        case FaxSoftwareKind::ExtendedFaxService: report = askExtendedFaxJob(addin_, record.server, jobId); break;
        case FaxSoftwareKind::LegacyFaxService: report = askLegacyFaxJob(addin_, record.server, jobId); break;
        case FaxSoftwareKind::Hylafax: {
            const HylafaxJobStatus job =
                queryHylafaxJob(addin_.network(), hylafaxServerOf(addin_, record), jobId, kHylafaxWhileWordWaits);
            report = readHylafaxJob(job.state, job.status, job.pagesSent, job.pagesTotal);
            break;
        }
        case FaxSoftwareKind::WinFax: break;
        }
    });
    if (!asked) {
        resting_[server] = now + kUnansweredServerRest;
        return false;
    }
    if (!report && record.software == FaxSoftwareKind::LegacyFaxService) {
        // The fax service of Windows 2000 lists only the jobs in its queue and keeps no archive:
        // once the fax has left the queue nothing tells whether it arrived.
        record.state = FaxState::HandedOn;
        record.reason = "the fax has left the fax service's queue; this fax service does not tell whether it arrived";
        return true;
    }
    if (!report) {
        record.state = FaxState::Failed;
        record.reason = "the fax service no longer knows the fax";
        return true;
    }
    const FaxRecord before = record;
    record.state = report->state;
    record.reason = report->reason;
    record.retries = report->retries;
    if (report->pages > 0) record.pagesTotal = report->pages;
    record.pagesSent = report->state == FaxState::Sent ? record.pagesTotal
                                                       : std::max(0, report->currentPage - 1);
    return record.state != before.state || record.reason != before.reason || record.retries != before.retries ||
           record.pagesSent != before.pagesSent || record.pagesTotal != before.pagesTotal;
}

void tellOnStatusBar(Addin& addin, const FaxRecord& record) {
    if (!addin.hasWord()) return;
    ignoreErrors(addin.diagnostics(), [&] {
        std::string at;
        if (record.state == FaxState::Sent) {
            const LocalTime now = addin.platform().now();
            const auto day = std::chrono::floor<std::chrono::days>(now);
            const std::chrono::hh_mm_ss<std::chrono::seconds> time(now - day);
            char hhmm[8];
            std::snprintf(hhmm, sizeof hhmm, "%02d:%02d", static_cast<int>(time.hours().count()),
                          static_cast<int>(time.minutes().count()));
            at = hhmm;
        }
        const std::string line = faxStatusLine(record, at);
        addin.word().setStatusBar(line);
        addin.statusBarShown = line;
    });
}

void FaxFollower::tell(const FaxRecord& record) {
    if (!addin_.hasWord()) return;
    bool othersShown = false;
    // Something else on the bar since the add-in wrote it is the user's or Word's: left alone.
    ignoreErrors(addin_.diagnostics(), [&] {
        othersShown = !addin_.statusBarShown.empty() && addin_.word().statusBarText() != addin_.statusBarShown;
    });
    if (!othersShown) tellOnStatusBar(addin_, record);
}

namespace {

// One extended fax service's server events, while the subscription lasts: the sink advised on the
// server's connection point, and the server listening for the outgoing queue and archive.
class ServerEvents {
public:
    // Raises what the service raises when it refuses (no events, no connection point, Advise or
    // ListenToServerEvents refused); nothing is left subscribed then.
    ServerEvents(Addin& addin, const std::string& server, AutomationEvents::Handler handler) : addin_(addin) {
        server_ = connectedFaxServer(addin, progid::ExtendedFaxServer, server);
        auto* source = dynamic_cast<EventSource*>(server_.get());
        if (!source) throw RuntimeError::standard(err::MemberNotFound, progid::ExtendedFaxServer);
        events_ = source->events(kFaxServerNotifyInterface);
        events_->subscribe(std::move(handler));
        try {
            server_->perform("ListenToServerEvents",
                             {Variant(serverevents::OutgoingQueue | serverevents::OutgoingArchive)});
        } catch (...) {
            events_->unsubscribe();
            throw;
        }
    }
    ~ServerEvents() {
        events_->unsubscribe();
        ignoreErrors(addin_.diagnostics(), [&] { server_->perform("ListenToServerEvents", {Variant(serverevents::None)}); });
    }
    ServerEvents(const ServerEvents&) = delete;
    ServerEvents& operator=(const ServerEvents&) = delete;

private:
    Addin& addin_;
    std::shared_ptr<AutomationObject> server_;
    std::shared_ptr<AutomationEvents> events_;
};

// Following on the add-in's timer, helped by the server events of the extended fax services.
class Following : public std::enable_shared_from_this<Following> {
public:
    Following(Addin& addin, Timer& timer) : addin_(addin), timer_(timer), follower_(addin) {}

    void start() {
        timer_.start(kFollowEvery, tickOf(weak_from_this()));
        every_ = kFollowEvery;
        settle(true);
    }

private:
    // The timer holds the only owning reference: stopping it ends following, subscriptions included.
    static std::function<void()> tickOf(std::weak_ptr<Following> weak) {
        auto self = weak.lock();
        return [self] {
            // Kept alive through the round even when the round stops the timer.
            const auto keep = self;
            if (keep->asking_) return;
            bool more = false;
            {
                const FlagWhile asking(keep->asking_);
                more = keep->follower_.poll();
            }
            keep->settle(more);
        };
    }

    void onEvent(const std::string& server, const Args& args) {
        // Every job and message event names the server first and the job second (an archived
        // message keeps its job's identifier); the other events carry no job and are of no use here.
        if (args.size() < 2 || !args[1].is<std::string>()) return;
        // A shared server tells every user's jobs: only the ones followed here are asked after.
        const std::string jobId = args[1].toString();
        if (!followed_.contains({server, jobId})) return;
        // A change told while the job is being asked after is the one being read.
        if (asking_) return;
        {
            const FlagWhile asking(asking_);
            follower_.pollJob(server, jobId);
        }
        settle(true);
    }

    // Subscribes to the services of the faxes on their way, ends what nothing needs any more, and
    // sets how often the timer asks; stops the timer when nothing is left on its way.
    void settle(bool mayBeMore) {
        std::set<std::string> servers;
        bool unheard = false;
        followed_.clear();
        if (mayBeMore) {
            for (const FaxRecord& record : RecentFaxes(addin_)) {
                if (!onItsWay(record.state)) continue;
                if (record.software == FaxSoftwareKind::ExtendedFaxService && !record.jobIds.empty()) {
                    servers.insert(record.server);
                    followed_.emplace(record.server, record.jobIds[0]);
                } else {
                    unheard = true;
                }
            }
        }
        std::erase_if(subscriptions_, [&](const auto& entry) { return !servers.contains(entry.first); });
        if (!mayBeMore || (servers.empty() && !unheard)) {
            timer_.stop();
            return;
        }
        for (const std::string& server : servers) {
            if (subscriptions_.contains(server) || refused_.contains(server)) continue;
            std::weak_ptr<Following> weak = weak_from_this();
            const bool subscribed = succeeded(addin_.diagnostics(), [&] {
                subscriptions_.emplace(server, std::make_unique<ServerEvents>(addin_, server,
                                                                              [weak, server](MemberId, const Args& args) {
                                                                                  if (auto self = weak.lock())
                                                                                      self->onEvent(server, args);
                                                                              }));
            });
            // A service that will not tell is asked after on the timer; it is not asked again.
            if (!subscribed) refused_.insert(server);
        }
        for (const std::string& server : servers) unheard = unheard || !subscriptions_.contains(server);
        const std::chrono::seconds every = unheard ? kFollowEvery : kFollowEveryWithEvents;
        if (every != every_) {
            every_ = every;
            timer_.start(every, tickOf(weak_from_this()));
        }
    }

    Addin& addin_;
    Timer& timer_;
    FaxFollower follower_;
    std::chrono::seconds every_{0};
    bool asking_ = false;
    std::map<std::string, std::unique_ptr<ServerEvents>> subscriptions_;
    std::set<std::string> refused_;
    // The jobs on their way at the extended fax services, by server.
    std::set<std::pair<std::string, std::string>> followed_;
};

}  // namespace

void FollowFaxes(Addin& addin) {
    Timer* timer = addin.timer();
    if (!timer || !addin.history() || timer->running()) return;
    std::make_shared<Following>(addin, *timer)->start();
}

void StopFollowing(Addin& addin) {
    if (Timer* timer = addin.timer()) timer->stop();
}

bool FaxFollower::poll() {
    return pollWhere([](const FaxRecord&) { return true; });
}

void FaxFollower::pollJob(const std::string& server, const std::string& jobId) {
    (void)pollWhere([&](const FaxRecord& record) {
        return record.software == FaxSoftwareKind::ExtendedFaxService && !record.jobIds.empty() &&
               record.jobIds[0] == jobId && equalsIgnoringCase(record.server, server);
    });
}

template <class Wanted> bool FaxFollower::pollWhere(Wanted wanted) {
    bool onTheWay = false;
    bool changed = false;
    for (FaxRecord& record : RecentFaxes(addin_)) {
        if (!onItsWay(record.state)) continue;
        if (wanted(record) && follow(record)) {
            UpdateFax(addin_, record);
            tell(record);
            changed = true;
        }
        onTheWay = onTheWay || onItsWay(record.state);
    }
    if (changed && addin_.faxesChanged) {
        // A copy: the window it calls may close and let go of it meanwhile.
        const std::function<void()> show = addin_.faxesChanged;
        ignoreErrors(addin_.diagnostics(), show);
    }
    return onTheWay;
}

bool canCancel(const FaxRecord& record) {
    return onItsWay(record.state) && record.software != FaxSoftwareKind::WinFax && !record.jobIds.empty();
}

void cancelFaxJob(Addin& addin, const FaxRecord& record) {
    if (!canCancel(record))
        throw RuntimeError(err::InvalidProcedureCall, "The fax is no longer in its fax software's queue.");
    // One job per recipient, and the add-in gives one recipient: the first job is the fax.
    const std::string& jobId = record.jobIds.front();
    switch (record.software) {
    case FaxSoftwareKind::ExtendedFaxService: {
        const Object folders =
            connectedFaxServer(addin, progid::ExtendedFaxServer, record.server)->get("Folders").toObject();
        queuedJob(*folders, jobId)->perform("Cancel", {});
        return;
    }
    case FaxSoftwareKind::LegacyFaxService: {
        const Object job = legacyFaxJob(addin, record.server, jobId);
        if (!job)
            throw RuntimeError(err::InvalidProcedureCall,
                               "The fax has already left the queue of the fax service on " + record.server + ".");
        job->perform("SetStatus", {Variant(kLegacyJobDelete)});
        return;
    }
    case FaxSoftwareKind::Hylafax:
        killHylafaxJob(addin.network(), hylafaxServerOf(addin, record), jobId, kHylafaxWhileWordWaits);
        return;
    case FaxSoftwareKind::WinFax: break;
    }
}

}  // namespace telvora
