// Simulated fax software: the Windows fax service's fax server object, the extended fax service's
// server and document, and the WinFax SDK send object, served by the simulated automation under
// their programmatic identifiers with the members the add-in calls. Each records every creation,
// read, assignment and call with its arguments as they arrive (types intact), keeps every fax it
// accepted as a job (with a copy of the body file, which the sender deletes afterwards), and fails
// the way the real software does where a switch says so.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/errors.h"
#include "base/variant.h"
#include "ports/automation.h"
#include "ports/platform.h"

namespace telvora::sim {

class SimAutomation;
class SimPlatform;

// The failures the fax software reports, as the signed numbers run-time errors carry.
namespace fax_error {
inline constexpr std::int32_t FileNotFound = static_cast<std::int32_t>(0x80070002);
inline constexpr std::int32_t InvalidData = static_cast<std::int32_t>(0x8007000D);
inline constexpr std::int32_t InvalidParameter = static_cast<std::int32_t>(0x80070057);
inline constexpr std::int32_t UnsupportedType = static_cast<std::int32_t>(0x8007065E);
inline constexpr std::int32_t NoAssociation = static_cast<std::int32_t>(0x80070483);
inline constexpr std::int32_t RpcServerUnavailable = static_cast<std::int32_t>(0x800706BA);
inline constexpr std::int32_t AccessDenied = static_cast<std::int32_t>(0x80070005);
inline constexpr std::int32_t NoInterface = static_cast<std::int32_t>(0x80004002);
inline constexpr std::int32_t NotConnected = static_cast<std::int32_t>(0x800708CA);
}  // namespace fax_error

// The run-time error an automation object raises for an HRESULT, with Windows' text for it.
RuntimeError faxError(std::int32_t hresult, std::string source);

// The programmatic identifiers, as the fax software registers them.
namespace fax_progid {
inline constexpr const char* FaxServer = "FaxServer.FaxServer";
inline constexpr const char* ExtendedServer = "FAXCOMEX.FaxServer";
inline constexpr const char* ExtendedDocument = "FAXCOMEX.FaxDocument";
inline constexpr const char* WinFax8 = "WinFax.SDKSend8.0";
inline constexpr const char* WinFax = "WinFax.SDKSend";
}  // namespace fax_progid

enum class FaxCallKind { Create, Get, Put, Call };

struct FaxCall {
    std::string object;  // the class: a programmatic identifier or the class of a returned object
    int instance = 0;    // which object of the run, counted from 1 in order of creation
    FaxCallKind kind = FaxCallKind::Call;
    std::string member;  // as the caller spelled it; empty for a creation
    Args args;           // positional arguments, or the assigned value of a Put
    NamedArgs named;
};

enum class ReceiptKind { None, Email, PopUp };

// The cover page a job goes with: the cover page file (a personal one by its path on the machine,
// a server one by its name among the server's), the note on it, and who sends the fax.
struct SubmittedCoverPage {
    std::string file;
    bool onServer = false;
    std::string note;
    std::string sender;
};

// How a job of the extended fax service goes once accepted.
enum class JobEnding {
    Sent,               // dialled, every page sent
    Busy,               // the line is busy at every attempt, until the retries are used up
    NoAnswer,           // nobody answers at any attempt, until the retries are used up
    StoppedAfterPage,   // the call breaks off after some pages
    CancelledByServer,  // the server's administrator cancels it while it waits
};
struct JobCourse {
    JobEnding ending = JobEnding::Sent;
    std::int32_t pages = 1;
    std::int32_t stoppedAfterPage = 1;  // for StoppedAfterPage
    std::int32_t retries = 3;           // the attempts the server makes after the first one fails
};

// One moment of a job in the outgoing queue, as the job object tells it.
struct JobStep {
    std::int32_t status = 0x1;  // FAX_JOB_STATUS_ENUM
    std::int32_t extendedStatusCode = 0;
    std::int32_t currentPage = 0;
    std::int32_t retries = 0;
    bool leftQueue = false;  // sent: the job is in the outgoing archive now
};

// One fax the software accepted.
struct SubmittedFax {
    std::string software;  // the programmatic identifier the sender created
    std::string server;    // the computer whose fax service took it
    std::string number;
    std::string recipient;
    std::string company;
    std::string subject;
    std::string schedule;  // "Now", "Discount", or the send time as the sender gave it
    ReceiptKind receipt = ReceiptKind::None;
    std::string receiptAddress;
    std::string bodyFile;  // the file the sender named; "" when WinFax takes a print instead
    std::string body;      // that file's bytes when the job was accepted
    bool bodyPrintedByApplication = false;  // WinFax waits for the document to be printed to it
    std::string printedDocument;            // the document printed to WinFax for it, once it was
    std::optional<SubmittedCoverPage> coverPage;  // none when the fax goes without one
    std::string jobId;
    LocalTime submitted{};  // the machine's clock when the software accepted the job
    // The extended fax service's jobs: the steps the job goes through and the one it is at. Each
    // time the job is asked after it has moved one step on, so every step is seen.
    std::int32_t pages = 1;
    std::vector<JobStep> course;
    std::size_t step = 0;
    // The job moved on by itself (FaxSoftware::moveJob) since it was last asked: the next ask
    // finds it where it is, so no step goes unseen.
    bool movedUnasked = false;
};

// The extended fax service's server events (_IFaxServerNotify2), numbered by their place in the
// interface; the add-in tells them apart by their arguments.
namespace fax_event {
inline constexpr const char* Interface = "{EC9C69B9-5FE7-4805-9467-82FCD96AF903}";
inline constexpr MemberId OutgoingJobRemoved = 5, OutgoingJobChanged = 6, OutgoingMessageAdded = 9;
}  // namespace fax_event

// A connected server object's event sink and the kinds of events it listens for
// (FAX_SERVER_EVENTS_TYPE_ENUM bits), on the server it is connected to.
struct ServerEventListener {
    std::string server;
    std::int32_t kinds = 0;
    AutomationEvents::Handler handler;
    std::weak_ptr<AutomationObject> source;  // the server object, the events' first argument
};

// The steps a job of `pages` pages goes through to its ending.
std::vector<JobStep> jobSteps(const JobCourse& course);

class FaxSoftware {
public:
    // Serves the five programmatic identifiers through `automation`; files named by the senders
    // are read from `platform`'s drive, and "the local computer" is its computer name.
    FaxSoftware(SimPlatform& platform, SimAutomation& automation);
    FaxSoftware(const FaxSoftware&) = delete;
    FaxSoftware& operator=(const FaxSoftware&) = delete;

    // What is installed; the objects of software that is not cannot be created (429).
    bool faxServiceInstalled = false;   // "FaxServer.FaxServer", the fax service of Windows 2000
    bool extendedFaxInstalled = false;  // "FAXCOMEX.FaxServer" and "FAXCOMEX.FaxDocument"
    bool winFaxInstalled = false;       // "WinFax.SDKSend8.0" and "WinFax.SDKSend"

    // The local computer's fax service: its fax devices, and whether it answers a connection
    // at all (0x800706BA when it does not).
    int localFaxDevices = 1;
    bool localServiceAnswers = true;
    // Shared fax servers that answer (names compare without regard to case); a connection to any
    // other computer is refused with 0x800706BA. Each has one fax device.
    std::vector<std::string> reachableServers;
    // The server has delivery notifications turned off: a submission asking for a receipt is
    // refused with 0x8007065E; the same submission without one goes through.
    bool receiptsRefused = false;
    // The cover pages every fax server keeps for its users (file names, compared without regard to
    // case). A cover page that is neither one of these nor a file on the machine is refused with
    // 0x80070002, as the fax service cannot render a cover page it cannot find.
    std::vector<std::string> serverCoverPages;
    // The cover page the job asks for, checked as the fax service checks it: kind 0 none, 1 a
    // personal cover page file, 2 one of the server's; raises with `source` what the service raises.
    std::optional<SubmittedCoverPage> coverPage(std::int32_t kind, const std::string& file, const std::string& note,
                                                const std::string& source) const;
    // Every submission is refused with this HRESULT (0x8007000D for a body that is no fax image,
    // 0x80070483, or any other).
    std::optional<std::int32_t> submissionRefused;
    // After "Send", WinFax answers "IsReadyToPrint" with 0 this many times before it answers 1, and
    // "IsEntryIDReady" likewise.
    int winFaxPollsBeforeReady = 0;
    int winFaxPollsBeforeFiled = 0;
    // What the two polls answer once WinFax is ready: any number but 0 means ready.
    std::int16_t winFaxReadyAnswer = 1;
    // The use recorded as calls[number - 1] (a creation, read, assignment or call) fails with
    // `error` once recorded, as software that saw the call and refused it; each in turn can fail.
    struct FailingCall {
        std::size_t number;
        RuntimeError error;
    };
    std::optional<FailingCall> failingCall;
    // The WinFax printer's device name. A job WinFax takes as a print from the application waits,
    // once WinFax answered that it is ready, for a document printed to this printer, and is not
    // filed ("IsEntryIDReady") before it arrived; a print made before WinFax was ready is not
    // its. Empty: jobs are filed without a print, as before the machine had a WinFax printer.
    std::string winFaxPrinter;
    // Word printed `document` to `printer` (what the machine's print spooler tells WinFax).
    void printed(const std::string& printer, const std::string& document);

    // The fax image WinFax's printer made of an application's print: the body of the jobs that
    // wait for it (see `printed`). Answers whether it served any; a print nobody waits for, or a
    // second one, is not a fax.
    bool receiveApplicationPrint(const std::string& faxImage);

    // What the senders did and what the software accepted, in order.
    std::vector<FaxCall> calls;
    std::vector<SubmittedFax> jobs;
    // Answers the objects gave of a type their documentation does not allow (each was also raised
    // as a logic error): a fault of this stand-in, which a test must never meet.
    std::vector<std::string> violations;

    // Whether the fax service still delivers message-box receipts: only before Windows Vista, which
    // removed the messenger service they travel by.
    bool popUpReceiptsServed() const;
    // Told as soon as a job is filed (the simulator delivers it to the outbox then).
    std::function<void()> onJobFiled;
    // How the extended fax service's jobs accepted from now on go.
    JobCourse nextJobCourse;
    // The courses of the next jobs, one each in turn; once they are used up, nextJobCourse's.
    std::deque<JobCourse> comingJobCourses;
    // Told each time a job moves to its next step.
    std::function<void(const SubmittedFax&)> onJobChanged;
    // Whether the extended fax service's server objects raise server events (a connection point for
    // _IFaxServerNotify2). Off, the subscription fails as on a system that does not let it be made,
    // and the service's jobs move only as they are asked after.
    bool serverEventsServed = false;
    // ListenToServerEvents is refused (0x80070005), as by a server whose user may not watch its queue.
    bool serverEventsRefused = false;
    // Moves the extended fax service's job one step on, as the service does while the fax goes on,
    // and tells it as every move is told: onJobChanged, and the listeners of the job's server
    // (OnOutgoingJobChanged, or OnOutgoingJobRemoved and OnOutgoingMessageAdded once it was sent).
    // Answers whether the job had a step left.
    bool moveJob(const std::string& jobId);
    // The extended fax service's jobs go on by the machine's clock, as the service sends them
    // whether anyone asks or not: `moveJobsOn` moves each a step, and asking a job finds it where it
    // is. Off, each ask moves a job one step on, which stands in for time where nothing else does.
    bool jobsMoveByTheClock = false;
    // Moves every job of the extended fax service that has a step left one step on (moveJob).
    void moveJobsOn();
    // Cancels the job as the fax service does when asked to: a job still in the queue, waiting or
    // being sent, moves to its cancelled step and leaves the queue, and the move is told; a job
    // that is over, or unknown, is refused with 0x80070057 from `source`.
    void cancelJob(const std::string& jobId, const std::string& source);
    // Moves the job one step on when it has one left, and tells it; answers whether it moved.
    bool advance(SubmittedFax& job);
    void jobMoved(const SubmittedFax& job);
    // Event sinks of server objects; a listener that is gone is forgotten.
    void listen(const std::shared_ptr<ServerEventListener>& listener);
    std::size_t eventListeners() const;
    // The job with this identifier, if the software accepted one.
    SubmittedFax* job(const std::string& jobId);

    // Used by the simulated objects.
    SimPlatform& platform() const noexcept { return platform_; }
    // Records a use; raises the failing call's error when it is that one.
    void record(FaxCall call);
    int nextInstance() noexcept { return ++instances_; }
    std::string nextJobId() { return std::to_string(++jobCount_); }
    // The jobs (by position in `jobs`) that wait for their document to be printed to WinFax.
    void awaitPrint(const std::vector<std::size_t>& jobIndices);
    // Files the job: its number and the moment of submission.
    void accept(SubmittedFax job);
    // Whether a connection to `server` ("" or the computer name = the local computer) answers;
    // raises 0x800706BA with `source` when it does not.
    std::string connect(const std::string& server, const std::string& source) const;

private:
    SimPlatform& platform_;
    int instances_ = 0;
    int jobCount_ = 0;
    std::vector<std::size_t> awaitingPrint_;
    std::vector<std::weak_ptr<ServerEventListener>> listeners_;
};

}  // namespace telvora::sim
