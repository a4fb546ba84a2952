// The simulated fax software's objects.
#include "sim/fax_software.h"

#include <algorithm>
#include <map>
#include <memory>
#include <utility>

#include "base/date_serial.h"
#include "base/text.h"
#include "documented/members.h"
#include "sim/sim_automation.h"
#include "sim/sim_date_time.h"
#include "sim/sim_platform.h"

namespace telvora::sim {
namespace {

// What every simulated fax object shares, all of it by the documented table of its class: member
// names found without regard to case, a member the class does not have failing with 438 before it
// is recorded (late binding never reaches the object); every use recorded before it can fail (the
// software has seen it); arguments and assigned values coerced to their documented types, or
// refused with 13 as a type-library server refuses them (the caller sees its type mismatch); and
// every answer checked against the documented type, so the stand-in is never kinder than the real
// software. Stored properties keep what is assigned to them.
class FaxObject : public AutomationObject {
public:
    // `stored`: the properties the object keeps, with their values when created.
    FaxObject(FaxSoftware& fax, std::string className, std::initializer_list<std::pair<const char*, Variant>> stored)
        : fax_(fax), class_(std::move(className)), instance_(fax.nextInstance()) {
        for (const auto& [name, value] : stored) values_[lowerAscii(name)] = value;
    }

    Variant get(const std::string& member, const Args& args) override { return use(FaxCallKind::Get, member, args, {}); }
    Variant call(const std::string& member, const Args& args, const NamedArgs& named) override {
        return use(FaxCallKind::Call, member, args, named);
    }
    void perform(const std::string& member, const Args& args, const NamedArgs& named) override {
        (void)use(FaxCallKind::Call, member, args, named);
    }
    void put(const std::string& member, const Variant& value) override {
        const documented::Member& m = documentedMember(member);
        fax_.record({class_, instance_, FaxCallKind::Put, member, {value}, {}});
        if (m.kind != documented::Kind::Property) throw RuntimeError::standard(err::WrongArgumentCount, class_);
        const auto coerced = documented::coerce(m.type, value, [this](std::string_view text) { return readDate(text); });
        if (!coerced) throw RuntimeError::standard(err::TypeMismatch, class_);
        values_[lowerAscii(member)] = *coerced;
    }

    void recordCreation() { fax_.record({class_, instance_, FaxCallKind::Create, "", {}, {}}); }

protected:
    // A method's work, or the reading of a property the object works out; `args` hold the
    // documented arguments in order, coerced to their types (Empty for an optional one not given).
    virtual Variant invoke(const std::string& lowerMember, const Args& args) = 0;

    const Variant& property(const std::string& member) const { return values_.at(lowerAscii(member)); }
    std::string text(const std::string& member) const { return property(member).toString(); }
    RuntimeError error(std::int32_t hresult) const { return faxError(hresult, class_); }

    FaxSoftware& fax_;
    const std::string class_;

private:
    const documented::Member& documentedMember(const std::string& member) const {
        const documented::Member* m = documented::find(class_, member);
        if (!m) throw RuntimeError::standard(err::MemberNotFound, class_);
        return *m;
    }

    std::optional<double> readDate(std::string_view text) const {
        const auto moment = SimDateTime(fax_.platform()).parse(text);
        if (!moment) return std::nullopt;
        return toSerial(*moment);
    }

    // The documented arguments in order: positional ones first, named ones in their places.
    Args arguments(const documented::Member& m, const Args& args, const NamedArgs& named) const {
        if (args.size() > m.arguments.size()) throw RuntimeError::standard(err::WrongArgumentCount, class_);
        std::vector<std::optional<Variant>> given(m.arguments.size());
        for (std::size_t i = 0; i < args.size(); ++i) given[i] = args[i];
        for (const auto& n : named) {
            std::size_t i = 0;
            while (i < m.arguments.size() && !equalsIgnoringCase(m.arguments[i].name, n.name)) ++i;
            if (i == m.arguments.size()) throw RuntimeError::standard(err::NamedArgumentNotFound, class_);
            given[i] = n.value;
        }
        Args out;
        for (std::size_t i = 0; i < given.size(); ++i) {
            if (!given[i]) {
                if (!m.arguments[i].optional) throw RuntimeError::standard(err::ArgumentNotOptional, class_);
                out.emplace_back();
                continue;
            }
            const auto coerced =
                documented::coerce(m.arguments[i].type, *given[i], [this](std::string_view t) { return readDate(t); });
            if (!coerced) throw RuntimeError::standard(err::TypeMismatch, class_);
            out.push_back(*coerced);
        }
        return out;
    }

    Variant use(FaxCallKind kind, const std::string& member, const Args& args, const NamedArgs& named) {
        const documented::Member& m = documentedMember(member);
        fax_.record({class_, instance_, kind, member, args, named});
        const Args documentedArgs = arguments(m, args, named);
        const auto stored = values_.find(lowerAscii(member));
        Variant answer = stored != values_.end() ? stored->second : invoke(lowerAscii(member), documentedArgs);
        return documented::checkedAnswer(m, std::move(answer), fax_.violations);
    }

    const int instance_;
    std::map<std::string, Variant> values_;
};

template <class T, class... A>
std::shared_ptr<T> make(A&&... a) {
    auto object = std::make_shared<T>(std::forward<A>(a)...);
    object->recordCreation();
    return object;
}

// A collection whose only member the add-in reads is its count.
class CountedCollection final : public FaxObject {
public:
    CountedCollection(FaxSoftware& fax, std::string className, int count)
        : FaxObject(fax, std::move(className), {{"Count", Variant(std::int32_t{count})}}) {}
    // An object read only for fixed numbers: an archived message's pages and retries.
    CountedCollection(FaxSoftware& fax, std::string className, int, std::int32_t pages, std::int32_t retries)
        : FaxObject(fax, std::move(className), {{"Pages", Variant(pages)}, {"Retries", Variant(retries)}}) {}

protected:
    Variant invoke(const std::string&, const Args&) override { return {}; }
};

// The copy of a body file a job keeps; 0x80070002 when the file is not on the machine.
std::string readBody(FaxSoftware& fax, const std::string& path, const std::string& source) {
    try {
        if (!path.empty() && fax.platform().fileExists(path)) return fax.platform().readFile(path);
    } catch (const RuntimeError&) {
        // a path that leads out of the machine names no file on it
    }
    throw faxError(fax_error::FileNotFound, source);
}

// --- The Windows fax service of Windows 2000: "FaxServer.FaxServer" -------------------------------

class LegacyFaxDocument final : public FaxObject {
public:
    LegacyFaxDocument(FaxSoftware& fax, std::string server, std::string file)
        : FaxObject(fax, "FaxServer.FaxDoc",
                    {{"FaxNumber", ""},        {"RecipientAddress", ""},  {"RecipientCity", ""},
                     {"RecipientCompany", ""}, {"RecipientCountry", ""},  {"RecipientDepartment", ""},
                     {"RecipientHomePhone", ""}, {"RecipientName", ""},   {"RecipientOffice", ""},
                     {"RecipientOfficePhone", ""}, {"RecipientState", ""}, {"RecipientTitle", ""},
                     {"RecipientZip", ""},     {"SenderAddress", ""},     {"SenderCompany", ""},
                     {"SenderDepartment", ""}, {"SenderFax", ""},         {"SenderHomePhone", ""},
                     {"SenderName", ""},       {"SenderOffice", ""},      {"SenderOfficePhone", ""},
                     {"SenderTitle", ""},      {"ServerCoverpage", false}, {"SendCoverpage", false},
                     {"CoverpageName", ""},    {"CoverpageSubject", ""},  {"CoverpageNote", ""},
                     {"DiscountSend", false}}),
          server_(std::move(server)), file_(std::move(file)) {}

protected:
    Variant invoke(const std::string&, const Args&) override {
        // "Send": the number of the queued job.
        if (fax_.submissionRefused) throw error(*fax_.submissionRefused);
        SubmittedFax job;
        job.software = fax_progid::FaxServer;
        job.server = server_;
        job.number = text("FaxNumber");
        job.recipient = text("RecipientName");
        job.company = text("RecipientCompany");
        job.subject = text("CoverpageSubject");
        job.schedule = property("DiscountSend").toBool() ? "Discount" : "Now";
        const std::int32_t coverKind =
            !property("SendCoverpage").toBool() ? 0 : property("ServerCoverpage").toBool() ? 2 : 1;
        job.coverPage = fax_.coverPage(coverKind, text("CoverpageName"), text("CoverpageNote"), class_);
        job.bodyFile = file_;
        job.body = readBody(fax_, file_, class_);
        fax_.accept(std::move(job));
        return Variant(static_cast<std::int32_t>(std::stoi(fax_.jobs.back().jobId)));
    }

private:
    std::string server_;
    std::string file_;
};

// A job in the service's list, as it stands at the moment the list was asked for.
class LegacyFaxJob final : public FaxObject {
public:
    LegacyFaxJob(FaxSoftware& fax, const SubmittedFax& job, const std::string& queueStatus)
        : FaxObject(fax, "FaxServer.FaxJob",
                    {{"JobId", Variant(static_cast<std::int32_t>(std::stoi(job.jobId)))},
                     {"QueueStatus", Variant(queueStatus)},
                     {"PageCount", Variant(job.pages)}}),
          jobId_(job.jobId) {}

protected:
    // "SetStatus": JC_DELETE (1) cancels the job, queued or active, and takes it out of the queue.
    // Pausing, resuming and restarting a job are refused as a parameter the service does not take.
    Variant invoke(const std::string&, const Args& args) override {
        if (args[0].toInt32() != 1) throw error(fax_error::InvalidParameter);
        fax_.cancelJob(jobId_, class_);
        return {};
    }

private:
    std::string jobId_;
};

// The jobs in the queue of one server; "Item" counts from 1.
class LegacyFaxJobs final : public FaxObject {
public:
    LegacyFaxJobs(FaxSoftware& fax, std::vector<std::shared_ptr<LegacyFaxJob>> jobs)
        : FaxObject(fax, "FaxServer.FaxJobs", {{"Count", Variant(static_cast<std::int32_t>(jobs.size()))}}),
          jobs_(std::move(jobs)) {}

protected:
    Variant invoke(const std::string&, const Args& args) override {
        const std::int32_t index = args[0].toInt32();
        if (index < 1 || static_cast<std::size_t>(index) > jobs_.size()) throw error(fax_error::InvalidParameter);
        return Variant(std::shared_ptr<AutomationObject>(jobs_[static_cast<std::size_t>(index - 1)]));
    }

private:
    std::vector<std::shared_ptr<LegacyFaxJob>> jobs_;
};

// The service's words for a job's queue status; "" for a job no longer in the queue (sent, or
// cancelled and deleted).
std::string legacyQueueStatus(const JobStep& at) {
    if (at.leftQueue || at.status & 0x200) return "";
    if (at.status & 0x80) return "Retries Exceeded";
    if (at.status & 0x8) return "Failed";
    if (at.status & 0x40) return "Retrying";
    if (at.status & 0x2) return "In Progress";
    return "Pending";
}

class LegacyFaxServer final : public FaxObject {
public:
    explicit LegacyFaxServer(FaxSoftware& fax) : FaxObject(fax, fax_progid::FaxServer, {}) {}

protected:
    Variant invoke(const std::string& member, const Args& args) override {
        if (member == "connect") {
            server_ = fax_.connect(args[0].toString(), class_);
            return {};
        }
        if (!server_) throw error(fax_error::NotConnected);
        if (member == "getports") return Variant(make<CountedCollection>(fax_, "FaxServer.FaxPorts", devices()));
        if (member == "getjobs") return jobList();
        std::string file = args[0].toString();
        (void)readBody(fax_, file, class_);
        return Variant(make<LegacyFaxDocument>(fax_, *server_, std::move(file)));
    }

private:
    // Every job of this server still in its queue; each is moved one step on first.
    Variant jobList() {
        std::vector<std::shared_ptr<LegacyFaxJob>> listed;
        for (SubmittedFax& job : fax_.jobs) {
            if (job.software != fax_progid::FaxServer || !equalsIgnoringCase(job.server, *server_) || job.course.empty())
                continue;
            if (job.step + 1 < job.course.size()) {
                ++job.step;
                if (fax_.onJobChanged) fax_.onJobChanged(job);
            }
            const std::string status = legacyQueueStatus(job.course.at(job.step));
            if (!status.empty()) listed.push_back(make<LegacyFaxJob>(fax_, job, status));
        }
        return Variant(make<LegacyFaxJobs>(fax_, std::move(listed)));
    }

    int devices() const {
        return equalsIgnoringCase(*server_, fax_.platform().environment("computername")) ? fax_.localFaxDevices : 1;
    }

    std::optional<std::string> server_;
};

// --- The extended fax service: "FAXCOMEX.FaxServer", "FAXCOMEX.FaxDocument" ----------------------

// The server's folders, made below with the objects they hand out.
Variant folders(FaxSoftware& fax);

// The server object's events through its connection point: advising the sink registers it with
// the software, which tells it what the object listens for.
class ServerEventSubscription final : public AutomationEvents {
public:
    ServerEventSubscription(FaxSoftware& fax, std::shared_ptr<ServerEventListener> listener)
        : fax_(fax), listener_(std::move(listener)) {}
    ~ServerEventSubscription() override { unsubscribe(); }

    void subscribe(Handler handler) override {
        listener_->handler = std::move(handler);
        fax_.listen(listener_);
    }
    void unsubscribe() noexcept override { listener_->handler = nullptr; }

private:
    FaxSoftware& fax_;
    std::shared_ptr<ServerEventListener> listener_;
};

class ExtendedFaxServer final : public FaxObject,
                                public EventSource,
                                public std::enable_shared_from_this<ExtendedFaxServer> {
public:
    explicit ExtendedFaxServer(FaxSoftware& fax) : FaxObject(fax, fax_progid::ExtendedServer, {}) {}

    // The computer a submission through this object goes to; nothing before "Connect".
    const std::optional<std::string>& server() const noexcept { return server_; }

    std::shared_ptr<AutomationEvents> events(const std::string& eventInterface) override {
        if (!fax_.serverEventsServed || !equalsIgnoringCase(eventInterface, fax_event::Interface))
            throw error(fax_error::NoInterface);
        listener_->source = weak_from_this();
        return std::make_shared<ServerEventSubscription>(fax_, listener_);
    }

protected:
    Variant invoke(const std::string& member, const Args& args) override {
        if (member == "connect") {
            server_ = fax_.connect(args[0].toString(), class_);
            return {};
        }
        if (!server_) throw error(fax_error::NotConnected);
        if (member == "folders") return folders(fax_);
        if (member == "listentoserverevents") {
            if (fax_.serverEventsRefused) throw error(fax_error::AccessDenied);
            listener_->server = *server_;
            listener_->kinds = args[0].toInt32();
            return {};
        }
        const bool local = equalsIgnoringCase(*server_, fax_.platform().environment("computername"));
        return Variant(make<CountedCollection>(fax_, "FAXCOMEX.FaxDevices", local ? fax_.localFaxDevices : 1));
    }

private:
    std::optional<std::string> server_;
    std::shared_ptr<ServerEventListener> listener_ = std::make_shared<ServerEventListener>();
};

// A job's status as an event tells it; the add-in asks the job itself instead.
class JobStatus final : public FaxObject {
public:
    explicit JobStatus(FaxSoftware& fax, const JobStep& at)
        : FaxObject(fax, "FAXCOMEX.FaxJobStatus",
                    {{"Status", Variant(at.status)},
                     {"ExtendedStatusCode", Variant(at.extendedStatusCode)},
                     {"CurrentPage", Variant(at.currentPage)},
                     {"Retries", Variant(at.retries)}}) {}

protected:
    Variant invoke(const std::string&, const Args&) override { throw error(fax_error::InvalidParameter); }
};

// A job asked after: what it is at this moment (each ask moves the job one step on first).
class OutgoingJob final : public FaxObject {
public:
    OutgoingJob(FaxSoftware& fax, SubmittedFax& job, const JobStep& at)
        : FaxObject(fax, "FAXCOMEX.FaxOutgoingJob",
                    {{"Status", Variant(at.status)},
                     {"ExtendedStatusCode", Variant(at.extendedStatusCode)},
                     {"ExtendedStatus", Variant("")},
                     {"CurrentPage", Variant(at.currentPage)},
                     {"Pages", Variant(job.pages)},
                     {"Retries", Variant(at.retries)}}),
          jobId_(job.jobId) {}

protected:
    // "Cancel".
    Variant invoke(const std::string&, const Args&) override {
        fax_.cancelJob(jobId_, class_);
        return {};
    }

private:
    std::string jobId_;
};

class OutgoingQueue final : public FaxObject {
public:
    explicit OutgoingQueue(FaxSoftware& fax) : FaxObject(fax, "FAXCOMEX.FaxOutgoingQueue", {}) {}

protected:
    // "GetJob": a job in the queue; one that has left it, or was never there, is not found.
    Variant invoke(const std::string&, const Args& args) override {
        SubmittedFax* job = fax_.job(args[0].toString());
        if (!job || job->course.empty() || job->course.at(job->step).leftQueue) throw error(fax_error::InvalidParameter);
        if (job->movedUnasked || fax_.jobsMoveByTheClock)
            job->movedUnasked = false;
        else
            (void)fax_.advance(*job);
        const JobStep& at = job->course.at(job->step);
        if (at.leftQueue) throw error(fax_error::InvalidParameter);
        return Variant(make<OutgoingJob>(fax_, *job, at));
    }
};

class OutgoingArchive final : public FaxObject {
public:
    explicit OutgoingArchive(FaxSoftware& fax) : FaxObject(fax, "FAXCOMEX.FaxOutgoingArchive", {}) {}

protected:
    // "GetMessage": a job that was sent.
    Variant invoke(const std::string&, const Args& args) override {
        SubmittedFax* job = fax_.job(args[0].toString());
        if (!job || job->course.empty() || !job->course.at(job->step).leftQueue) throw error(fax_error::InvalidParameter);
        return Variant(make<CountedCollection>(fax_, "FAXCOMEX.FaxOutgoingMessage", 0, job->pages,
                                               job->course.at(job->step).retries));
    }
};

class FaxFolders final : public FaxObject {
public:
    explicit FaxFolders(FaxSoftware& fax) : FaxObject(fax, "FAXCOMEX.FaxFolders", {}) {}

protected:
    Variant invoke(const std::string& member, const Args&) override {
        if (member == "outgoingqueue") return Variant(make<OutgoingQueue>(fax_));
        return Variant(make<OutgoingArchive>(fax_));
    }
};

Variant folders(FaxSoftware& fax) { return Variant(make<FaxFolders>(fax)); }

// A recipient added to a fax document; the add-in reads nothing of it.
class RecipientObject final : public FaxObject {
public:
    explicit RecipientObject(FaxSoftware& fax) : FaxObject(fax, "FAXCOMEX.FaxRecipient", {}) {}

protected:
    Variant invoke(const std::string&, const Args&) override { return {}; }
};

class ExtendedFaxRecipients final : public FaxObject {
public:
    explicit ExtendedFaxRecipients(FaxSoftware& fax) : FaxObject(fax, "FAXCOMEX.FaxRecipients", {}) {}

    struct Recipient {
        std::string number;
        std::string name;
    };
    const std::vector<Recipient>& list() const noexcept { return list_; }

protected:
    Variant invoke(const std::string& member, const Args& args) override {
        if (member == "count") return Variant(static_cast<std::int32_t>(list_.size()));
        Recipient r;
        r.number = args[0].toString();
        r.name = args[1].toString();
        if (r.number.empty()) throw error(fax_error::InvalidParameter);
        list_.push_back(r);
        // The recipient added.
        return Variant(make<RecipientObject>(fax_));
    }

private:
    std::vector<Recipient> list_;
};

class ExtendedFaxDocument final : public FaxObject {
public:
    explicit ExtendedFaxDocument(FaxSoftware& fax)
        : FaxObject(fax, fax_progid::ExtendedDocument,
                    {{"Body", ""},
                     {"Priority", std::int32_t{1}},
                     {"ReceiptType", std::int32_t{0}},
                     {"ReceiptAddress", ""},
                     {"CoverPageType", std::int32_t{0}},
                     {"CoverPage", ""},
                     {"Note", ""},
                     {"ScheduleType", std::int32_t{0}},
                     {"ScheduleTime", DateValue{}},
                     {"Subject", ""}}) {}

protected:
    Variant invoke(const std::string& member, const Args& args) override {
        if (member == "recipients") {
            if (!recipients_) recipients_ = make<ExtendedFaxRecipients>(fax_);
            return Variant(Variant::Object(recipients_));
        }
        const auto target = std::dynamic_pointer_cast<ExtendedFaxServer>(args[0].toObject());
        if (!target || !target->server()) throw error(fax_error::NotConnected);
        std::string body = readBody(fax_, text("Body"), class_);
        if (!recipients_ || recipients_->list().empty()) throw error(fax_error::InvalidParameter);
        const std::int32_t receiptType = property("ReceiptType").toInt32();
        if (receiptType != 0 && fax_.receiptsRefused) throw error(fax_error::UnsupportedType);
        // Message-box receipts went with the messenger service: from Windows Vista on the service
        // refuses them.
        if (receiptType == 4 && !fax_.popUpReceiptsServed()) throw error(fax_error::InvalidParameter);
        if (receiptType == 1 && trimBlanks(text("ReceiptAddress")).empty()) throw error(fax_error::InvalidParameter);
        if (fax_.submissionRefused) throw error(*fax_.submissionRefused);
        const auto cover = fax_.coverPage(property("CoverPageType").toInt32(), text("CoverPage"), text("Note"), class_);

        const std::int32_t scheduleType = property("ScheduleType").toInt32();
        std::vector<Variant> ids;
        const auto& recipients = recipients_->list();
        for (const auto& r : recipients) {
            SubmittedFax job;
            job.software = fax_progid::ExtendedDocument;
            job.server = *target->server();
            job.number = r.number;
            job.recipient = r.name;
            job.subject = text("Subject");
            job.schedule = scheduleType == 2 ? "Discount" : scheduleType == 1 ? text("ScheduleTime") : "Now";
            job.receipt = receiptType == 1 ? ReceiptKind::Email : receiptType == 4 ? ReceiptKind::PopUp : ReceiptKind::None;
            if (job.receipt == ReceiptKind::Email) job.receiptAddress = text("ReceiptAddress");
            job.bodyFile = text("Body");
            // Each recipient's job keeps the document; the last takes the one read.
            job.body = &r == &recipients.back() ? std::move(body) : body;
            job.coverPage = cover;
            fax_.accept(std::move(job));
            ids.emplace_back(fax_.jobs.back().jobId);
        }
        // The identifiers of the jobs, one per recipient.
        return Variant::array(std::move(ids));
    }

private:
    std::shared_ptr<ExtendedFaxRecipients> recipients_;
};

// --- WinFax: "WinFax.SDKSend8.0", "WinFax.SDKSend" -----------------------------------------------

class WinFaxSend final : public FaxObject {
public:
    WinFaxSend(FaxSoftware& fax, std::string progId)
        : FaxObject(fax, std::move(progId), {}) {}

protected:
    Variant invoke(const std::string& member, const Args& args) override {
        // The SDK answers 0 for success, as a 16-bit number.
        const Variant ok(std::int16_t{0});
        if (member == "addrecipient" || member == "isreadytoprint") {
            if (member == "addrecipient") {
                recipients_.push_back(pending_);
                return ok;
            }
            const Variant ready = poll(readyPollsLeft_);
            if (ready.toInt16() != 0 && printFromApp_ && !awaiting_) {
                awaiting_ = true;
                fax_.awaitPrint(jobIndices_);
            }
            return ready;
        }
        const Variant& value = args[0];
        if (member == "isentryidready") {
            if (printFromApp_ && !fax_.winFaxPrinter.empty() && !documentArrived()) return Variant(std::int16_t{0});
            return poll(filedPollsLeft_);
        }
        if (member == "send") return send();
        if (member == "setoffpeak") offPeak_ = value.toInt16() != 0;
        else if (member == "setprintfromapp") printFromApp_ = value.toInt16() != 0;
        else if (member == "showsendscreen") (void)value.toInt16();
        else if (member == "setdate") date_ = value.toString();
        else if (member == "settime") time_ = value.toString();
        else if (member == "setnumber") pending_.number = value.toString();
        else if (member == "setsubject") subject_ = value.toString();
        else if (member == "setcompany") pending_.company = value.toString();
        else if (member == "setto") pending_.name = value.toString();
        else if (member == "addattachmentfile") attachments_.push_back(value.toString());
        else (void)value.toString();  // SetClientID
        return ok;
    }

private:
    struct Recipient {
        std::string number, name, company;
    };

    Variant send() {
        // Nothing to send to, or a file that is not there: WinFax answers an error code.
        if (recipients_.empty()) return Variant(std::int16_t{1});
        std::string body;
        try {
            if (!attachments_.empty()) body = readBody(fax_, attachments_.front(), class_);
        } catch (const RuntimeError&) {
            return Variant(std::int16_t{1});
        }
        for (const auto& r : recipients_) {
            jobIndices_.push_back(fax_.jobs.size());
            SubmittedFax job;
            job.software = class_;
            job.server = fax_.platform().environment("computername");
            job.number = r.number;
            job.recipient = r.name;
            job.company = r.company;
            job.subject = subject_;
            job.schedule = offPeak_ ? "Discount" : date_.empty() && time_.empty() ? "Now" : trimBlanks(date_ + " " + time_);
            job.bodyFile = attachments_.empty() ? "" : attachments_.front();
            job.body = body;
            job.bodyPrintedByApplication = printFromApp_;
            fax_.accept(std::move(job));
        }
        sent_ = true;
        readyPollsLeft_ = fax_.winFaxPollsBeforeReady;
        filedPollsLeft_ = fax_.winFaxPollsBeforeFiled;
        return Variant(std::int16_t{0});
    }

    // 0 until the job was sent and the polls the machine asks for have passed, then the answer
    // the machine gives for ready.
    Variant poll(int& left) {
        if (!sent_) return Variant(std::int16_t{0});
        if (left > 0) {
            --left;
            return Variant(std::int16_t{0});
        }
        return Variant(fax_.winFaxReadyAnswer);
    }

    bool documentArrived() const {
        if (jobIndices_.empty()) return false;
        for (const std::size_t i : jobIndices_) {
            if (fax_.jobs.at(i).printedDocument.empty()) return false;
        }
        return true;
    }

    Recipient pending_;
    std::vector<Recipient> recipients_;
    std::vector<std::size_t> jobIndices_;
    bool awaiting_ = false;
    std::vector<std::string> attachments_;
    std::string subject_, date_, time_;
    bool offPeak_ = false;
    bool printFromApp_ = false;
    bool sent_ = false;
    int readyPollsLeft_ = 0;
    int filedPollsLeft_ = 0;
};

}  // namespace

RuntimeError faxError(std::int32_t hresult, std::string source) {
    const char* text = "Automation error";
    switch (hresult) {
    case fax_error::FileNotFound: text = "The system cannot find the file specified."; break;
    case fax_error::InvalidData: text = "The data is invalid."; break;
    case fax_error::InvalidParameter: text = "The parameter is incorrect."; break;
    case fax_error::UnsupportedType: text = "Data of this type is not supported."; break;
    case fax_error::NoAssociation: text = "No application is associated with the specified file for this operation."; break;
    case fax_error::RpcServerUnavailable: text = "The RPC server is unavailable."; break;
    case fax_error::NotConnected: text = "This network connection does not exist."; break;
    default: break;
    }
    return RuntimeError(hresult, text, std::move(source));
}

FaxSoftware::FaxSoftware(SimPlatform& platform, SimAutomation& automation) : platform_(platform) {
    automation.install(fax_progid::FaxServer, [this]() -> std::shared_ptr<AutomationObject> {
        if (!faxServiceInstalled) return nullptr;
        return make<LegacyFaxServer>(*this);
    });
    automation.install(fax_progid::ExtendedServer, [this]() -> std::shared_ptr<AutomationObject> {
        if (!extendedFaxInstalled) return nullptr;
        return make<ExtendedFaxServer>(*this);
    });
    automation.install(fax_progid::ExtendedDocument, [this]() -> std::shared_ptr<AutomationObject> {
        if (!extendedFaxInstalled) return nullptr;
        return make<ExtendedFaxDocument>(*this);
    });
    for (const char* progId : {fax_progid::WinFax8, fax_progid::WinFax}) {
        automation.install(progId, [this, progId]() -> std::shared_ptr<AutomationObject> {
            if (!winFaxInstalled) return nullptr;
            return make<WinFaxSend>(*this, progId);
        });
    }
}

bool FaxSoftware::popUpReceiptsServed() const {
    const auto version = platform_.osVersion();
    return version && version->major < 6;
}

void FaxSoftware::awaitPrint(const std::vector<std::size_t>& jobIndices) {
    awaitingPrint_.insert(awaitingPrint_.end(), jobIndices.begin(), jobIndices.end());
}

void FaxSoftware::printed(const std::string& printer, const std::string& document) {
    if (winFaxPrinter.empty() || !equalsIgnoringCase(printer, winFaxPrinter)) return;
    for (const std::size_t i : awaitingPrint_) jobs.at(i).printedDocument = document;
    awaitingPrint_.clear();
}

void FaxSoftware::record(FaxCall call) {
    calls.push_back(std::move(call));
    if (failingCall && failingCall->number == calls.size()) throw failingCall->error;
}

std::vector<JobStep> jobSteps(const JobCourse& c) {
    constexpr std::int32_t Pending = 0x1, InProgress = 0x2, Failed = 0x8, Retrying = 0x40, RetriesExceeded = 0x80,
                           Completed = 0x100, Canceled = 0x200;
    constexpr std::int32_t Disconnected = 1, Dialing = 3, Transmitting = 4, Busy = 8, NoAnswer = 9;
    std::vector<JobStep> steps{{Pending, 0, 0, 0, false}};
    if (c.ending == JobEnding::CancelledByServer) {
        steps.push_back({Canceled, 0, 0, 0, false});
        return steps;
    }
    steps.push_back({InProgress, Dialing, 0, 0, false});
    if (c.ending == JobEnding::Busy || c.ending == JobEnding::NoAnswer) {
        const std::int32_t why = c.ending == JobEnding::Busy ? Busy : NoAnswer;
        for (std::int32_t r = 0; r < c.retries; ++r) {
            steps.push_back({Retrying, why, 0, r, false});
            steps.push_back({InProgress, Dialing, 0, r + 1, false});
        }
        steps.push_back({RetriesExceeded, why, 0, c.retries, false});
        return steps;
    }
    const std::int32_t last = c.ending == JobEnding::StoppedAfterPage ? std::min(c.stoppedAfterPage, c.pages) : c.pages;
    for (std::int32_t page = 1; page <= last; ++page) steps.push_back({InProgress, Transmitting, page, 0, false});
    if (c.ending == JobEnding::StoppedAfterPage) {
        // The call broke off while the page after the last one sent was going out.
        steps.push_back({Failed, Disconnected, last + 1, 0, false});
    } else {
        steps.push_back({Completed, 0, c.pages, 0, true});
    }
    return steps;
}

SubmittedFax* FaxSoftware::job(const std::string& jobId) {
    for (auto& j : jobs) {
        if (j.jobId == jobId) return &j;
    }
    return nullptr;
}

void FaxSoftware::accept(SubmittedFax job) {
    job.jobId = nextJobId();
    job.submitted = platform_.now();
    if (job.software == fax_progid::ExtendedDocument || job.software == fax_progid::FaxServer) {
        JobCourse course = nextJobCourse;
        if (!comingJobCourses.empty()) {
            course = comingJobCourses.front();
            comingJobCourses.pop_front();
        }
        job.pages = course.pages;
        job.course = jobSteps(course);
    }
    jobs.push_back(std::move(job));
    if (onJobFiled) onJobFiled();
}

bool FaxSoftware::receiveApplicationPrint(const std::string& faxImage) {
    // The image of the print WinFax waits for becomes the body of its jobs; a later print to the
    // same printer finds them served and is no fax.
    bool taken = false;
    for (const std::size_t i : awaitingPrint_) {
        if (!jobs.at(i).body.empty()) continue;
        jobs.at(i).body = faxImage;
        taken = true;
    }
    return taken;
}

std::optional<SubmittedCoverPage> FaxSoftware::coverPage(std::int32_t kind, const std::string& file,
                                                         const std::string& note, const std::string& source) const {
    if (kind == 0) return std::nullopt;
    if (kind != 1 && kind != 2) throw faxError(fax_error::InvalidParameter, source);
    bool found = false;
    if (kind == 2) {
        found = std::any_of(serverCoverPages.begin(), serverCoverPages.end(),
                            [&](const std::string& name) { return equalsIgnoringCase(name, file); });
    } else {
        try {
            found = !file.empty() && platform_.fileExists(file);
        } catch (const RuntimeError&) {
            // a path that leads out of the machine names no file on it
        }
    }
    if (!found) throw faxError(fax_error::FileNotFound, source);
    // The sender as the fax service knows the user; a machine without a user name sends as itself.
    std::string sender = platform_.environment("username");
    if (sender.empty()) sender = platform_.environment("computername");
    return SubmittedCoverPage{file, kind == 2, note, std::move(sender)};
}

void FaxSoftware::cancelJob(const std::string& jobId, const std::string& source) {
    SubmittedFax* cancelled = job(jobId);
    constexpr std::int32_t Over = 0x8 | 0x80 | 0x100 | 0x200;  // failed, retries exceeded, completed, cancelled
    if (!cancelled || cancelled->course.empty() || cancelled->course.at(cancelled->step).status & Over ||
        cancelled->course.at(cancelled->step).leftQueue)
        throw faxError(fax_error::InvalidParameter, source);
    const JobStep at = cancelled->course.at(cancelled->step);
    cancelled->course.resize(cancelled->step + 1);
    cancelled->course.push_back({0x200, 0, at.currentPage, at.retries, false});
    ++cancelled->step;
    jobMoved(*cancelled);
}

bool FaxSoftware::moveJob(const std::string& jobId) {
    SubmittedFax* moving = job(jobId);
    if (!moving || moving->step + 1 >= moving->course.size()) return false;
    moving->movedUnasked = true;
    return advance(*moving);
}

void FaxSoftware::moveJobsOn() {
    // By identifier, not by reference: a job told of its move may make the add-in submit another.
    std::vector<std::string> moving;
    for (const auto& job : jobs) {
        if (job.software == fax_progid::ExtendedDocument && job.step + 1 < job.course.size()) moving.push_back(job.jobId);
    }
    for (const auto& id : moving) (void)moveJob(id);
}

bool FaxSoftware::advance(SubmittedFax& moving) {
    if (moving.step + 1 >= moving.course.size()) return false;
    ++moving.step;
    jobMoved(moving);
    return true;
}

void FaxSoftware::jobMoved(const SubmittedFax& moved) {
    if (onJobChanged) onJobChanged(moved);
    if (moved.software != fax_progid::ExtendedDocument) return;
    // A copy of what is told: a listener told may move jobs, or stop listening, in turn.
    const std::string jobId = moved.jobId;
    const JobStep at = moved.course.at(moved.step);
    std::vector<std::pair<std::shared_ptr<ServerEventListener>, MemberId>> told;
    constexpr std::int32_t OutgoingQueue = 0x2, OutgoingArchive = 0x40;
    for (const auto& weak : listeners_) {
        const auto listener = weak.lock();
        if (!listener || !listener->handler || !equalsIgnoringCase(listener->server, moved.server)) continue;
        if (listener->kinds & OutgoingQueue)
            told.emplace_back(listener, at.leftQueue ? fax_event::OutgoingJobRemoved : fax_event::OutgoingJobChanged);
        if (at.leftQueue && (listener->kinds & OutgoingArchive)) told.emplace_back(listener, fax_event::OutgoingMessageAdded);
    }
    for (const auto& [listener, event] : told) {
        const AutomationEvents::Handler handler = listener->handler;
        if (!handler) continue;
        Args args{Variant(std::shared_ptr<AutomationObject>(listener->source.lock())), Variant(jobId)};
        if (event == fax_event::OutgoingJobChanged) args.push_back(Variant(std::make_shared<JobStatus>(*this, at)));
        handler(event, args);
    }
}

void FaxSoftware::listen(const std::shared_ptr<ServerEventListener>& listener) {
    std::erase_if(listeners_, [](const auto& weak) { return weak.expired(); });
    for (const auto& weak : listeners_) {
        if (weak.lock() == listener) return;
    }
    listeners_.push_back(listener);
}

std::size_t FaxSoftware::eventListeners() const {
    return static_cast<std::size_t>(std::count_if(listeners_.begin(), listeners_.end(), [](const auto& weak) {
        const auto listener = weak.lock();
        return listener && listener->handler && listener->kinds != 0;
    }));
}

std::string FaxSoftware::connect(const std::string& server, const std::string& source) const {
    const std::string local = platform_.environment("computername");
    if (server.empty() || equalsIgnoringCase(server, local)) {
        if (!localServiceAnswers) throw faxError(fax_error::RpcServerUnavailable, source);
        return local;
    }
    const bool reachable = std::any_of(reachableServers.begin(), reachableServers.end(),
                                       [&](const std::string& s) { return equalsIgnoringCase(s, server); });
    if (!reachable) throw faxError(fax_error::RpcServerUnavailable, source);
    return server;
}

}  // namespace telvora::sim
