// The fax adapters.
#include "backends/fax_adapters.h"

#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "base/date_serial.h"
#include "base/errors.h"
#include "base/product.h"
#include "base/text.h"
#include "backends/winfax_sdk.h"

namespace telvora {
namespace {

using Object = std::shared_ptr<AutomationObject>;

// What a caller of Fax.Send and WinFax.Send sees: the error as raised, except the two report
// errors, which old callers know as one.
RuntimeError asRaisedBySend(const RuntimeError& e) {
    if (e.number() == 2103 || e.number() == 2451)
        return RuntimeError(kInvalidReportNameNumber, kInvalidReportNameDescription, kInvalidReportNameSource);
    return e;
}

template <class Body>
void raisingAsSend(Body&& body) {
    try {
        body();
    } catch (...) {
        // The fax software's objects were released on the way here.
        throw asRaisedBySend(currentAsRuntimeError());
    }
}

using D = FaxDetails;

// The document properties Fax.Send copies, in the order the fax service is given them; its fax
// document names them as the class does.
const FaxProperty kFaxServiceDocumentProperties[] = {
    {"FaxNumber", &D::faxNumber},           {"RecipientAddress", &D::recipientAddress},
    {"RecipientCity", &D::recipientCity},   {"RecipientCompany", &D::recipientCompany},
    {"RecipientCountry", &D::recipientCountry}, {"RecipientDepartment", &D::recipientDepartment},
    {"RecipientHomePhone", &D::recipientHomePhone}, {"RecipientName", &D::recipientName},
    {"RecipientOffice", &D::recipientOffice}, {"RecipientOfficePhone", &D::recipientOfficePhone},
    {"RecipientState", &D::recipientState}, {"RecipientTitle", &D::recipientTitle},
    {"RecipientZip", &D::recipientZip},     {"SenderAddress", &D::senderAddress},
    {"SenderCompany", &D::senderCompany},   {"SenderDepartment", &D::senderDepartment},
    {"SenderFax", &D::senderFax},           {"SenderHomePhone", &D::senderHomePhone},
    {"SenderName", &D::senderName},         {"SenderOffice", &D::senderOffice},
    {"SenderOfficePhone", &D::senderOfficePhone}, {"SenderTitle", &D::senderTitle},
    {"ServerCoverpage", &D::serverCoverpage}, {"SendCoverpage", &D::sendCoverpage},
    {"CoverpageName", &D::coverpageName},   {"CoverpageSubject", &D::coverpageSubject},
    {"CoverpageNote", &D::coverpageNote},   {"DiscountSend", &D::discountSend},
};

// The extended fax service's own enumerations, 32-bit as the service declares them.
namespace extended {
constexpr std::int32_t PriorityNormal = 1;
constexpr std::int32_t ReceiptNone = 0;
constexpr std::int32_t ReceiptMail = 1;
constexpr std::int32_t ReceiptMessageBox = 4;
constexpr std::int32_t NoCoverPage = 0;
constexpr std::int32_t LocalCoverPage = 1;
constexpr std::int32_t ServerCoverPage = 2;
constexpr std::int32_t SendNow = 0;
constexpr std::int32_t SendAtTime = 1;
constexpr std::int32_t SendInDiscountPeriod = 2;
}  // namespace extended

Variant i32(std::int32_t v) { return Variant(v); }

}  // namespace

std::string errorNumberHex(std::int32_t number) {
    char text[16];
    std::snprintf(text, sizeof text, "%X", static_cast<unsigned>(static_cast<std::uint32_t>(number)));
    return text;
}

SendOutcome submitToFaxService(Addin& addin, const FaxDetails& job) {
    SendOutcome outcome;
    raisingAsSend([&] {
        const Object server = addin.automation().create(progid::FaxServer);
        // The old fax service serves the local computer only, whatever FaxServerName says.
        server->perform("Connect", {}, {{"ServerName", Variant(addin.platform().environment("computername"))}});
        server->perform("GetPorts");
        const Object document = server->call("CreateDocument", {Variant(job.sendFileName)}).toObject();
        for (const FaxProperty& p : kFaxServiceDocumentProperties) document->put(std::string(p.name), p.read(job));
        // The number of the job the fax service queued.
        outcome = SendOutcome::sentAs({document->call("Send").toString()});
    });
    return outcome;
}

SendOutcome submitToExtendedFax(Addin& addin, FaxDetails& job) {
    Automation& automation = addin.automation();
    Object document;
    Object server;
    std::vector<std::string> jobIds;
    const std::function<void()> statements[] = {
        [&] { document = automation.create(progid::ExtendedFaxDocument); },
        [&] { server = automation.create(progid::ExtendedFaxServer); },
        [&] { server->perform("Connect", {Variant(job.faxServerName)}); },
        [&] { document->put("Body", Variant(job.sendFileName)); },
        [&] { document->put("Priority", i32(extended::PriorityNormal)); },
        [&] {
            document->get("Recipients").toObject()->perform(
                "Add", {Variant(job.faxNumber), Variant(job.recipientName)});
        },
        // An e-mail receipt wins over a pop-up one, which only systems before Windows Vista deliver.
        [&] {
            const std::int32_t receipt = job.email                                      ? extended::ReceiptMail
                                         : job.popUpMsg && PopUpReceiptsDelivered(addin) ? extended::ReceiptMessageBox
                                                                                         : extended::ReceiptNone;
            document->put("ReceiptType", i32(receipt));
        },
        [&] {
            if (job.email) document->put("ReceiptAddress", Variant(job.emailAddress));
        },
        // The user already agreed to fax without notification: the server would refuse it again.
        [&] {
            if (addin.notificationDisabled) document->put("ReceiptType", i32(extended::ReceiptNone));
        },
        [&] {
            if (!job.sendCoverpage) {
                document->put("CoverPageType", i32(extended::NoCoverPage));
                return;
            }
            document->put("CoverPageType",
                          i32(job.serverCoverpage ? extended::ServerCoverPage : extended::LocalCoverPage));
            document->put("CoverPage", Variant(job.coverpageName));
            document->put("Note", Variant(job.coverpageNote));
        },
        // The discount period wins over a send time.
        [&] {
            if (job.discountSend) {
                document->put("ScheduleType", i32(extended::SendInDiscountPeriod));
            } else if (job.specTime) {
                // A Date, read here with the conversion that wrote the text: the fax service would
                // read a text in its own way (month names and "PM" of the user's language).
                const auto moment = addin.dateTimes().parse(job.specificTime);
                if (!moment) throw RuntimeError::standard(err::TypeMismatch);
                document->put("ScheduleTime", Variant(DateValue{toSerial(*moment), {}}));
                document->put("ScheduleType", i32(extended::SendAtTime));
            } else {
                document->put("ScheduleType", i32(extended::SendNow));
            }
        },
        [&] { document->put("Subject", Variant(job.coverpageSubject)); },
        // The identifiers of the jobs, one per recipient.
        [&] {
            const Variant answer = document->call("ConnectedSubmit", {Variant(server)});
            for (const Variant& id : answer.elements()) jobIds.push_back(id.toString());
        },
    };

    // Not submitted: the caller is told so, and a merge run ends after this record.
    const auto notSent = [&](SendOutcome::Result result, std::string why) {
        job.blnStopFax = true;
        return SendOutcome{result, {}, std::move(why), true};
    };
    const auto tell = [&](const std::string& text) {
        (void)addin.ui().messageBox(text, MsgButtons::OK, MsgIcon::Exclamation, kAppTitle);
    };

    bool withoutReceipt = false;  // the user agreed: the failed statement runs again without one
    std::size_t next = 0;
    while (next < std::size(statements)) {
        try {
            if (withoutReceipt && document) document->put("ReceiptType", i32(extended::ReceiptNone));
            withoutReceipt = false;
            statements[next]();
            ++next;
        } catch (...) {
            withoutReceipt = false;
            const RuntimeError e = currentAsRuntimeError();
            const std::string code = errorNumberHex(e.number());
            if (equalsIgnoringCase(code, "8007065E")) {
                if (addin.ui().messageBox(kNotificationDisabledQuestion, MsgButtons::YesNo, MsgIcon::Question,
                                          kAppTitle) == MsgResult::Yes) {
                    addin.notificationDisabled = true;
                    withoutReceipt = true;
                    continue;
                }
                return notSent(SendOutcome::Result::Stopped, "the fax server does not send delivery notifications");
            }
            const std::string why = equalsIgnoringCase(code, "8007000D") || equalsIgnoringCase(code, "80070483")
                                        ? std::string(kIncorrectFaxDriverMessage)
                                        : "Error number: " + code + ", " + e.description();
            tell(why);
            return notSent(SendOutcome::Result::Failed, why);
        }
    }
    job.blnStopFax = false;
    return SendOutcome::sentAs(std::move(jobIds));
}

SendOutcome submitToWinFax(Addin& addin, const FaxDetails& job, WinFaxPatience patience) {
    raisingAsSend([&] {
        WinFaxSdk sdk(addin, progid::WinFaxAttachment);
        sdk.request("SetCompany", {Variant(job.recipientCompany)});
        sdk.request("SetTo", {Variant(job.recipientName)});
        sdk.request("AddAttachmentFile", {Variant(job.sendFileName)});
        sdk.request("SetNumber", {Variant(job.faxNumber)});
        sdk.request("SetSubject", {Variant("Today's fax")});
        sdk.request("AddRecipient");
        sdk.request("Send", {WinFaxSdk::flag(0)});
        const bool taken = waitForWinFax(addin, [&] { return sdk.readyToPrint(); }, patience);
        // Returning quietly would tell the macro the fax went out.
        if (!taken) throw RuntimeError(18, "User interrupt occurred", std::string(winFaxClass().progId));
    });
    // WinFax names no job it took.
    return SendOutcome::sentAs({});
}

SendOutcome submitFax(Addin& addin, FaxAdapterKind kind, FaxDetails& job, WinFaxPatience patience) {
    switch (kind) {
    case FaxAdapterKind::Fax: return submitToFaxService(addin, job);
    case FaxAdapterKind::FaxSbs: return submitToExtendedFax(addin, job);
    case FaxAdapterKind::WinFax: return submitToWinFax(addin, job, patience);
    }
    throw RuntimeError::standard(err::InvalidProcedureCall);
}

void setFaxSchedule(FaxAdapterKind kind, FaxDetails& job, const std::string& schedule) {
    if (schedule == "Discount") job.discountSend = true;
    if (kind == FaxAdapterKind::FaxSbs && schedule != "Now") {
        job.specTime = true;
        job.specificTime = schedule;
    }
}

void setFaxDeliveryNote(FaxDetails& job, const std::string& delivery) {
    job.popUpMsg = false;
    job.email = false;
    if (delivery == "PopUp") job.popUpMsg = true;
    if (const auto colon = delivery.find(':'); colon != std::string::npos) {
        job.email = true;
        job.emailAddress = trimBlanks(std::string_view(delivery).substr(colon + 1));
    }
}

}  // namespace telvora
