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

// The document properties Fax.Send copies, in the order the fax service is given them.
constexpr const char* kFaxServiceDocumentProperties[] = {
    "FaxNumber",        "RecipientAddress", "RecipientCity",      "RecipientCompany",  "RecipientCountry",
    "RecipientDepartment", "RecipientHomePhone", "RecipientName", "RecipientOffice",   "RecipientOfficePhone",
    "RecipientState",   "RecipientTitle",   "RecipientZip",       "SenderAddress",     "SenderCompany",
    "SenderDepartment", "SenderFax",        "SenderHomePhone",    "SenderName",        "SenderOffice",
    "SenderOfficePhone", "SenderTitle",     "ServerCoverpage",    "SendCoverpage",     "CoverpageName",
    "CoverpageSubject", "CoverpageNote",    "DiscountSend",
};

// The extended fax service's own enumerations, 32-bit as the service declares them.
namespace extended {
constexpr std::int32_t PriorityNormal = 1;
constexpr std::int32_t ReceiptNone = 0;
constexpr std::int32_t ReceiptMail = 1;
constexpr std::int32_t ReceiptMessageBox = 4;
constexpr std::int32_t NoCoverPage = 0;
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

void sendThroughFaxService(Addin& addin, FaxAdapterJob& job) {
    raisingAsSend([&] {
        const Object server = addin.automation().create(progid::FaxServer);
        // The old fax service serves the local computer only, whatever FaxServerName says.
        server->perform("Connect", {}, {{"ServerName", Variant(addin.platform().environment("computername"))}});
        server->perform("GetPorts");
        const Object document = server->call("CreateDocument", {Variant(job.text("SendFileName"))}).toObject();
        for (const char* name : kFaxServiceDocumentProperties) document->put(name, job.value(job.indexOf(name)));
        // The number of the job the fax service queued.
        const Variant id = document->call("Send");
        job.jobIds = {id.toString()};
    });
}

void sendThroughExtendedFax(Addin& addin, FaxAdapterJob& job) {
    Automation& automation = addin.automation();
    Object document;
    Object server;
    const std::function<void()> statements[] = {
        [&] { document = automation.create(progid::ExtendedFaxDocument); },
        [&] { server = automation.create(progid::ExtendedFaxServer); },
        [&] { server->perform("Connect", {Variant(job.text("FaxServerName"))}); },
        [&] { document->put("Body", Variant(job.text("SendFileName"))); },
        [&] { document->put("Priority", i32(extended::PriorityNormal)); },
        [&] {
            document->get("Recipients").toObject()->perform(
                "Add", {Variant(job.text("FaxNumber")), Variant(job.text("RecipientName"))});
        },
        // An e-mail receipt wins over a pop-up one, which only systems before Windows Vista deliver.
        [&] {
            const std::int32_t receipt = job.flag("Email")                                      ? extended::ReceiptMail
                                         : job.flag("PopUpMsg") && PopUpReceiptsDelivered(addin) ? extended::ReceiptMessageBox
                                                                                                 : extended::ReceiptNone;
            document->put("ReceiptType", i32(receipt));
        },
        [&] {
            if (job.flag("Email")) document->put("ReceiptAddress", Variant(job.text("EmailAddress")));
        },
        // The user already agreed to fax without notification: the server would refuse it again.
        [&] {
            if (addin.notificationDisabled) document->put("ReceiptType", i32(extended::ReceiptNone));
        },
        [&] { document->put("CoverPageType", i32(extended::NoCoverPage)); },
        // The discount period wins over a send time.
        [&] {
            if (job.flag("DiscountSend")) {
                document->put("ScheduleType", i32(extended::SendInDiscountPeriod));
            } else if (job.flag("SpecTime")) {
                // A Date, read here with the conversion that wrote the text: the fax service would
                // read a text in its own way (month names and "PM" of the user's language).
                const auto moment = addin.dateTimes().parse(job.text("SpecificTime"));
                if (!moment) throw RuntimeError::standard(err::TypeMismatch);
                document->put("ScheduleTime", Variant(DateValue{toSerial(*moment), {}}));
                document->put("ScheduleType", i32(extended::SendAtTime));
            } else {
                document->put("ScheduleType", i32(extended::SendNow));
            }
        },
        [&] { document->put("Subject", Variant(job.text("CoverpageSubject"))); },
        // The identifiers of the jobs, one per recipient.
        [&] {
            const Variant ids = document->call("ConnectedSubmit", {Variant(server)});
            job.jobIds.clear();
            for (const Variant& id : ids.elements()) job.jobIds.push_back(id.toString());
        },
    };

    const auto stopFax = [&] {
        addin.mergeRecordCount = 0;
        job.set("blnStopFax", Variant(true));
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
            } else if (equalsIgnoringCase(code, "8007000D") || equalsIgnoringCase(code, "80070483")) {
                tell(kIncorrectFaxDriverMessage);
            } else {
                tell("Error number: " + code + ", " + e.description());
            }
            stopFax();
            return;
        }
    }
}

void sendThroughWinFax(Addin& addin, const FaxAdapterJob& job, WinFaxPatience patience) {
    raisingAsSend([&] {
        WinFaxSdk sdk(addin, progid::WinFaxAttachment);
        sdk.request("SetCompany", {Variant(job.text("RecipientCompany"))});
        sdk.request("SetTo", {Variant(job.text("RecipientName"))});
        sdk.request("AddAttachmentFile", {Variant(job.text("SendFileName"))});
        sdk.request("SetNumber", {Variant(job.text("FaxNumber"))});
        sdk.request("SetSubject", {Variant("Today's fax")});
        sdk.request("AddRecipient");
        sdk.request("Send", {WinFaxSdk::flag(0)});
        const bool taken = waitForWinFax(addin, [&] { return sdk.readyToPrint(); }, patience);
        // Returning quietly would tell the macro the fax went out.
        if (!taken) throw RuntimeError(18, "User interrupt occurred", std::string(winFaxClass().progId));
    });
}

void sendFaxJob(Addin& addin, FaxAdapterJob& job, WinFaxPatience patience) {
    switch (job.adapterClass().kind) {
    case FaxAdapterKind::Fax: sendThroughFaxService(addin, job); return;
    case FaxAdapterKind::FaxSbs: sendThroughExtendedFax(addin, job); return;
    case FaxAdapterKind::WinFax: sendThroughWinFax(addin, job, patience); return;
    }
}

void setFaxSchedule(FaxAdapterJob& job, const std::string& schedule) {
    if (schedule == "Discount") job.set("DiscountSend", Variant(true));
    if (job.adapterClass().kind == FaxAdapterKind::FaxSbs && schedule != "Now") {
        job.set("SpecTime", Variant(true));
        job.set("SpecificTime", Variant(schedule));
    }
}

void setFaxDeliveryNote(FaxAdapterJob& job, const std::string& delivery) {
    job.set("PopUpMsg", Variant(false));
    job.set("Email", Variant(false));
    if (delivery == "PopUp") job.set("PopUpMsg", Variant(true));
    if (const auto colon = delivery.find(':'); colon != std::string::npos) {
        job.set("Email", Variant(true));
        job.set("EmailAddress", Variant(trimBlanks(std::string_view(delivery).substr(colon + 1))));
    }
}

}  // namespace telvora
