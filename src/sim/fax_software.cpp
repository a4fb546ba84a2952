// The simulated fax software's objects.
#include "sim/fax_software.h"

#include <algorithm>
#include <map>
#include <memory>
#include <utility>

#include "base/text.h"
#include "sim/sim_automation.h"
#include "sim/sim_platform.h"

namespace telvora::sim {
namespace {

constexpr std::int32_t kArgumentNotOptional = 449;
constexpr std::int32_t kWrongArgumentCount = 450;

// The members of one object class: its properties with their values when created, and its methods.
class Members {
public:
    Members(std::initializer_list<std::pair<const char*, Variant>> properties,
            std::initializer_list<const char*> methods) {
        for (const auto& [name, value] : properties) values_[lowerAscii(name)] = value;
        for (const char* name : methods) methods_.push_back(lowerAscii(name));
    }
    bool knows(const std::string& member) const {
        const std::string key = lowerAscii(member);
        return values_.count(key) != 0 || std::find(methods_.begin(), methods_.end(), key) != methods_.end();
    }
    bool isProperty(const std::string& member) const { return values_.count(lowerAscii(member)) != 0; }
    const Variant& value(const std::string& member) const { return values_.at(lowerAscii(member)); }
    void set(const std::string& member, const Variant& v) { values_.at(lowerAscii(member)) = v; }

private:
    std::map<std::string, Variant> values_;
    std::vector<std::string> methods_;
};

// What every simulated fax object shares: member names found without regard to case, a member it
// does not have failing with 438 before it is recorded (late binding never reaches the object),
// every use recorded before it can fail (the software has seen it), and properties that keep what
// is assigned to them.
class FaxObject : public AutomationObject {
public:
    FaxObject(FaxSoftware& fax, std::string className, Members members)
        : fax_(fax), class_(std::move(className)), instance_(fax.nextInstance()), members_(std::move(members)) {}

    Variant get(const std::string& member, const Args& args) override { return use(FaxCallKind::Get, member, args, {}); }
    Variant call(const std::string& member, const Args& args, const NamedArgs& named) override {
        return use(FaxCallKind::Call, member, args, named);
    }
    void put(const std::string& member, const Variant& value) override {
        if (!members_.isProperty(member)) throw RuntimeError::standard(err::MemberNotFound, class_);
        fax_.record({class_, instance_, FaxCallKind::Put, member, {value}, {}});
        if (value.is<Variant::Object>()) throw RuntimeError::standard(err::TypeMismatch, class_);
        members_.set(member, value);
    }

    void recordCreation() { fax_.record({class_, instance_, FaxCallKind::Create, "", {}, {}}); }

protected:
    // A method's work; properties are read by the base.
    virtual Variant invoke(const std::string& lowerMember, const Args& args, const NamedArgs& named) = 0;

    const Variant& property(const std::string& member) const { return members_.value(member); }
    std::string text(const std::string& member) const { return members_.value(member).toString(); }
    RuntimeError error(std::int32_t hresult) const { return faxError(hresult, class_); }

    // Positional argument `i`, or the named argument of that name; 449 when it was not given.
    const Variant& argument(const Args& args, const NamedArgs& named, std::size_t i, const char* name) const {
        for (const auto& n : named) {
            if (equalsIgnoringCase(n.name, name)) return n.value;
        }
        if (i < args.size()) return args[i];
        throw RuntimeError(kArgumentNotOptional, "Argument not optional", class_);
    }
    void atMost(const Args& args, const NamedArgs& named, std::size_t count) const {
        if (args.size() + named.size() > count)
            throw RuntimeError(kWrongArgumentCount, "Wrong number of arguments or invalid property assignment", class_);
    }

    FaxSoftware& fax_;
    const std::string class_;

private:
    Variant use(FaxCallKind kind, const std::string& member, const Args& args, const NamedArgs& named) {
        if (!members_.knows(member)) throw RuntimeError::standard(err::MemberNotFound, class_);
        fax_.record({class_, instance_, kind, member, args, named});
        if (members_.isProperty(member)) {
            atMost(args, named, 0);
            return members_.value(member);
        }
        return invoke(lowerAscii(member), args, named);
    }

    const int instance_;
    Members members_;
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
        : FaxObject(fax, std::move(className), Members({{"Count", Variant(std::int32_t{count})}}, {})) {}

protected:
    Variant invoke(const std::string&, const Args&, const NamedArgs&) override { return {}; }
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
        : FaxObject(fax, "FaxServer.FaxDocument", documentMembers()), server_(std::move(server)),
          file_(std::move(file)) {}

protected:
    Variant invoke(const std::string& member, const Args& args, const NamedArgs& named) override {
        if (member != "send") return {};
        atMost(args, named, 0);
        if (fax_.submissionRefused) throw error(*fax_.submissionRefused);
        SubmittedFax job;
        job.software = fax_progid::FaxServer;
        job.server = server_;
        job.number = text("FaxNumber");
        job.recipient = text("RecipientName");
        job.company = text("RecipientCompany");
        job.subject = text("CoverpageSubject");
        job.schedule = property("DiscountSend").toBool() ? "Discount" : "Now";
        job.bodyFile = file_;
        job.body = readBody(fax_, file_, class_);
        fax_.accept(std::move(job));
        return Variant(static_cast<std::int32_t>(std::stoi(fax_.jobs.back().jobId)));
    }

private:
    static Members documentMembers() {
        return Members({{"FaxNumber", ""},        {"RecipientAddress", ""},  {"RecipientCity", ""},
                        {"RecipientCompany", ""}, {"RecipientCountry", ""},  {"RecipientDepartment", ""},
                        {"RecipientHomePhone", ""}, {"RecipientName", ""},   {"RecipientOffice", ""},
                        {"RecipientOfficePhone", ""}, {"RecipientState", ""}, {"RecipientTitle", ""},
                        {"RecipientZip", ""},     {"SenderAddress", ""},     {"SenderCompany", ""},
                        {"SenderDepartment", ""}, {"SenderFax", ""},         {"SenderHomePhone", ""},
                        {"SenderName", ""},       {"SenderOffice", ""},      {"SenderOfficePhone", ""},
                        {"SenderTitle", ""},      {"ServerCoverpage", false}, {"SendCoverpage", false},
                        {"CoverpageName", ""},    {"CoverpageSubject", ""},  {"CoverpageNote", ""},
                        {"DiscountSend", false}},
                       {"Send"});
    }

    std::string server_;
    std::string file_;
};

class LegacyFaxServer final : public FaxObject {
public:
    explicit LegacyFaxServer(FaxSoftware& fax)
        : FaxObject(fax, fax_progid::FaxServer, Members({}, {"Connect", "GetPorts", "CreateDocument"})) {}

protected:
    Variant invoke(const std::string& member, const Args& args, const NamedArgs& named) override {
        if (member == "connect") {
            atMost(args, named, 1);
            server_ = fax_.connect(argument(args, named, 0, "ServerName").toString(), class_);
            return {};
        }
        if (!server_) throw error(fax_error::NotConnected);
        if (member == "getports") {
            atMost(args, named, 0);
            return Variant(make<CountedCollection>(fax_, "FaxServer.FaxPorts", devices()));
        }
        atMost(args, named, 1);
        std::string file = argument(args, named, 0, "FileName").toString();
        (void)readBody(fax_, file, class_);
        return Variant(make<LegacyFaxDocument>(fax_, *server_, std::move(file)));
    }

private:
    int devices() const {
        return equalsIgnoringCase(*server_, fax_.platform().environment("computername")) ? fax_.localFaxDevices : 1;
    }

    std::optional<std::string> server_;
};

// --- The extended fax service: "FAXCOMEX.FaxServer", "FAXCOMEX.FaxDocument" ----------------------

class ExtendedFaxServer final : public FaxObject {
public:
    explicit ExtendedFaxServer(FaxSoftware& fax)
        : FaxObject(fax, fax_progid::ExtendedServer, Members({}, {"Connect", "GetDevices"})) {}

    // The computer a submission through this object goes to; nothing before "Connect".
    const std::optional<std::string>& server() const noexcept { return server_; }

protected:
    Variant invoke(const std::string& member, const Args& args, const NamedArgs& named) override {
        if (member == "connect") {
            atMost(args, named, 1);
            server_ = fax_.connect(argument(args, named, 0, "bstrServerName").toString(), class_);
            return {};
        }
        atMost(args, named, 0);
        if (!server_) throw error(fax_error::NotConnected);
        const bool local = equalsIgnoringCase(*server_, fax_.platform().environment("computername"));
        return Variant(make<CountedCollection>(fax_, "FAXCOMEX.FaxDevices", local ? fax_.localFaxDevices : 1));
    }

private:
    std::optional<std::string> server_;
};

class ExtendedFaxRecipients final : public FaxObject {
public:
    explicit ExtendedFaxRecipients(FaxSoftware& fax)
        : FaxObject(fax, "FAXCOMEX.FaxRecipients", Members({}, {"Add", "Count"})) {}

    struct Recipient {
        std::string number;
        std::string name;
    };
    const std::vector<Recipient>& list() const noexcept { return list_; }

protected:
    Variant invoke(const std::string& member, const Args& args, const NamedArgs& named) override {
        if (member == "count") {
            atMost(args, named, 0);
            return Variant(static_cast<std::int32_t>(list_.size()));
        }
        atMost(args, named, 2);
        Recipient r;
        r.number = argument(args, named, 0, "bstrFaxNumber").toString();
        if (args.size() + named.size() > 1) r.name = argument(args, named, 1, "bstrRecipientName").toString();
        if (r.number.empty()) throw error(fax_error::InvalidParameter);
        list_.push_back(r);
        return {};
    }

private:
    std::vector<Recipient> list_;
};

class ExtendedFaxDocument final : public FaxObject {
public:
    explicit ExtendedFaxDocument(FaxSoftware& fax)
        : FaxObject(fax, fax_progid::ExtendedDocument,
                    Members({{"Body", ""},
                             {"Priority", std::int32_t{1}},
                             {"ReceiptType", std::int32_t{0}},
                             {"ReceiptAddress", ""},
                             {"CoverPageType", std::int32_t{0}},
                             {"ScheduleType", std::int32_t{0}},
                             {"ScheduleTime", ""},
                             {"Subject", ""}},
                            {"Recipients", "ConnectedSubmit"})) {}

protected:
    Variant invoke(const std::string& member, const Args& args, const NamedArgs& named) override {
        if (member == "recipients") {
            atMost(args, named, 0);
            if (!recipients_) recipients_ = make<ExtendedFaxRecipients>(fax_);
            return Variant(Variant::Object(recipients_));
        }
        atMost(args, named, 1);
        const auto target = std::dynamic_pointer_cast<ExtendedFaxServer>(
            argument(args, named, 0, "pFaxServer").toObject());
        if (!target || !target->server()) throw error(fax_error::NotConnected);
        const std::string body = readBody(fax_, text("Body"), class_);
        if (!recipients_ || recipients_->list().empty()) throw error(fax_error::InvalidParameter);
        const std::int32_t receiptType = property("ReceiptType").toInt32();
        if (receiptType != 0 && fax_.receiptsRefused) throw error(fax_error::UnsupportedType);
        if (receiptType == 1 && trimBlanks(text("ReceiptAddress")).empty()) throw error(fax_error::InvalidParameter);
        if (fax_.submissionRefused) throw error(*fax_.submissionRefused);

        const std::int32_t scheduleType = property("ScheduleType").toInt32();
        std::string ids;
        for (const auto& r : recipients_->list()) {
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
            job.body = body;
            fax_.accept(std::move(job));
            ids += (ids.empty() ? "" : ",") + fax_.jobs.back().jobId;
        }
        // The identifiers of the jobs, one per recipient.
        return Variant(ids);
    }

private:
    std::shared_ptr<ExtendedFaxRecipients> recipients_;
};

// --- WinFax: "WinFax.SDKSend8.0", "WinFax.SDKSend" -----------------------------------------------

class WinFaxSend final : public FaxObject {
public:
    WinFaxSend(FaxSoftware& fax, std::string progId)
        : FaxObject(fax, std::move(progId),
                    Members({}, {"SetClientID", "SetOffPeak", "SetDate", "SetTime", "SetNumber", "SetSubject",
                                 "SetCompany", "SetTo", "AddAttachmentFile", "AddRecipient", "SetPrintFromApp",
                                 "ShowSendScreen", "Send", "IsReadyToPrint", "IsEntryIDReady"})) {}

protected:
    Variant invoke(const std::string& member, const Args& args, const NamedArgs& named) override {
        // The SDK answers 0 for success, as a 16-bit number.
        const Variant ok(std::int16_t{0});
        if (member == "addrecipient" || member == "isreadytoprint") {
            atMost(args, named, 0);
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
        atMost(args, named, 1);
        const Variant& value = argument(args, named, 0, "value");
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

    // 0 until the job was sent and the polls the machine asks for have passed, then 1.
    Variant poll(int& left) {
        if (!sent_) return Variant(std::int16_t{0});
        if (left > 0) {
            --left;
            return Variant(std::int16_t{0});
        }
        return Variant(std::int16_t{1});
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

void FaxSoftware::accept(SubmittedFax job) {
    job.jobId = nextJobId();
    job.submitted = platform_.now();
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
