// Following the faxes sent: the faxes of the history that are still on their way are asked after
// at the fax software, what changed is stored, and the latest change is told on Word's status bar.
// The extended fax service (local or shared) is asked for each job in its outgoing queue and,
// once the job has left the queue, in its outgoing archive; the fax service of Windows 2000 for its
// job list; a HylaFAX server for the job's state. WinFax tells nothing after the hand-over: its
// faxes are recorded as handed to the fax software and stay so.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>

#include "app/addin.h"
#include "backends/hylafax.h"
#include "ports/fax_history.h"

namespace telvora {

// What the extended fax service tells of one outgoing job.
struct JobReport {
    FaxState state = FaxState::Queued;
    std::int32_t currentPage = 0;  // the page being sent; 0 when none
    std::int32_t pages = 0;
    std::int32_t retries = 0;
    std::string reason;  // for a failure or a retry, in words
};

// The job's status values (FAX_JOB_STATUS_ENUM) and extended status codes
// (FAX_JOB_EXTENDED_STATUS_ENUM) as the extended fax service numbers them.
namespace jobstatus {
inline constexpr std::int32_t Pending = 0x1, InProgress = 0x2, Failed = 0x8, Paused = 0x10, NoLine = 0x20,
                              Retrying = 0x40, RetriesExceeded = 0x80, Completed = 0x100, Canceled = 0x200,
                              Canceling = 0x400, Routing = 0x800;
}  // namespace jobstatus
namespace extendedstatus {
inline constexpr std::int32_t None = 0, Disconnected = 1, Initializing = 2, Dialing = 3, Transmitting = 4,
                              LineUnavailable = 7, Busy = 8, NoAnswer = 9, BadAddress = 10, NoDialTone = 11,
                              FatalError = 12, CallDelayed = 13, CallBlacklisted = 14, NotFaxCall = 15,
                              CallCompleted = 18, CallAborted = 19;
}  // namespace extendedstatus

// The job's state from its status and extended status.
JobReport readJobStatus(std::int32_t status, std::int32_t extendedStatusCode, const std::string& extendedStatus);

// A job of the fax service of Windows 2000 from its queue status text ("Pending", "In Progress",
// "Retrying", "Retries Exceeded", ...).
JobReport readLegacyQueueStatus(const std::string& queueStatus);
// Asks the fax service of Windows 2000 on `server` after the job `jobId` in its job list; no answer
// once the job has left the queue. Raises what the fax service raises.
std::optional<JobReport> askLegacyFaxJob(Addin& addin, const std::string& server, const std::string& jobId);
// A HylaFAX job from the state the server names (PENDING, SLEEPING, READY, ACTIVE, DONE, FAILED, ...),
// its status text and its pages.
JobReport readHylafaxJob(const std::string& state, const std::string& status, int pagesSent, int pagesTotal);

// Asks the extended fax service on `server` ("" for this computer's) after the job `jobId`: in the
// outgoing queue, and in the outgoing archive once it has left the queue (then it was sent). No
// answer when the service knows the job in neither. Raises what the fax service raises otherwise.
std::optional<JobReport> askExtendedFaxJob(Addin& addin, const std::string& server, const std::string& jobId);

// Whether the fax can still be cancelled by the add-in: it is still in its fax software's queue,
// waiting or being sent, and that software lets the add-in reach its job (WinFax gives no hold on
// a fax once it has it).
bool canCancel(const FaxRecord& record);
// Cancels the fax's job in its fax software's queue: the extended fax service's outgoing job, the
// fax service of Windows 2000's job in its job list, the HylaFAX server's job. Raises what the
// fax software raises, or why it could not be asked (a job that has left the queue, a server that
// cannot be reached or refuses); the history is left to the caller.
void cancelFaxJob(Addin& addin, const FaxRecord& record);
// The fax service of Windows 2000's job command that cancels a job, queued or active (JC_DELETE).
inline constexpr std::int32_t kLegacyJobDelete = 1;

// Asking a HylaFAX server while Word waits for the answer: a server that is slow or gone holds
// Word no longer than this.
inline constexpr HylafaxLimits kHylafaxWhileWordWaits{std::chrono::seconds(3), std::chrono::seconds(5)};

// Puts the fax's one line on Word's status bar as the add-in's own (Addin::statusBarShown).
void tellOnStatusBar(Addin& addin, const FaxRecord& record);

// The one line the status bar shows for a fax: "Fax to Ann Okafor: sending page 2 of 3",
// "Fax to Ann Okafor: sent at 14:32", "Fax to Ann Okafor: failed: the line was busy; retry 1 to come".
std::string faxStatusLine(const FaxRecord& record, const std::string& at);

// How often the fax software is asked after the faxes on their way: no more often than this.
inline constexpr std::chrono::seconds kFollowEvery{5};
// While the extended fax service tells each change of the faxes followed as it happens, they are
// still asked after this often, in case a change was not told (a server restarted meanwhile).
inline constexpr std::chrono::seconds kFollowEveryWithEvents{60};
// The extended fax service's server events: their interface (_IFaxServerNotify2) and the kinds
// asked for, the outgoing queue (fsetOUT_QUEUE) and the outgoing archive (fsetOUT_ARCHIVE).
inline constexpr const char* kFaxServerNotifyInterface = "{EC9C69B9-5FE7-4805-9467-82FCD96AF903}";
namespace serverevents {
inline constexpr std::int32_t None = 0, OutgoingQueue = 0x2, OutgoingArchive = 0x40;
}  // namespace serverevents
// A fax server that could not be asked is left alone this long: asking waits on Word's thread, and
// a server that does not answer would hold Word at every round.
inline constexpr std::chrono::seconds kUnansweredServerRest{60};

class FaxFollower {
public:
    // A follower starts out telling: what was on the status bar before it is not left alone.
    explicit FaxFollower(Addin& addin) : addin_(addin) { addin_.statusBarShown.clear(); }

    // Asks after every fax still on its way and stores what changed; the latest change is put on
    // Word's status bar unless the user or Word has put something else there since the add-in last
    // wrote it. Answers whether any fax is still on its way (whether following should go on).
    bool poll();
    // Asks after the fax that is the job `jobId` of the extended fax service on `server`, when it
    // is still on its way, as poll does; nothing for a job not followed.
    void pollJob(const std::string& server, const std::string& jobId);

private:
    template <class Wanted> bool pollWhere(Wanted wanted);
    bool follow(FaxRecord& record);
    void tell(const FaxRecord& record);

    Addin& addin_;
    // The servers that did not answer, by fax software and name, with when they are asked again.
    std::map<std::pair<FaxSoftwareKind, std::string>, LocalTime> resting_;
};

}  // namespace telvora

namespace telvora {

// Starts following the faxes on their way on the add-in's timer, every kFollowEvery until none is
// left; nothing when it is going on already or the add-in has no timer or no history. The extended
// fax services that send them are asked for their server events: a fax is asked after as soon as
// its service tells it changed, and while every fax on its way is told of so, the timer asks only
// every kFollowEveryWithEvents. Following ends, and with it each subscription, when nothing is
// left on its way or the timer goes (the add-in unloads).
void FollowFaxes(Addin& addin);
// Ends following and every server event subscription with it (the add-in is unloading); the faxes
// on their way are followed again from where the history left them at the next FollowFaxes.
void StopFollowing(Addin& addin);

}  // namespace telvora
