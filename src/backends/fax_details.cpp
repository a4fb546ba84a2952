// The fax classes' property lists.
#include "backends/fax_details.h"

#include <initializer_list>
#include <span>

#include "base/errors.h"
#include "base/text.h"

namespace telvora {
namespace {

using D = FaxDetails;

// The cover page and number properties, the same in the three classes.
const FaxProperty kCoverPageAndNumber[] = {
    {"ServerCoverpage", &D::serverCoverpage}, {"SendCoverpage", &D::sendCoverpage},
    {"CoverpageName", &D::coverpageName},     {"CoverpageNote", &D::coverpageNote},
    {"CoverpageSubject", &D::coverpageSubject}, {"FaxNumber", &D::faxNumber},
};

// The recipient's and sender's details, the same in the three classes.
const FaxProperty kRecipientAndSender[] = {
    {"RecipientAddress", &D::recipientAddress},       {"RecipientCity", &D::recipientCity},
    {"RecipientCompany", &D::recipientCompany},       {"RecipientCountry", &D::recipientCountry},
    {"RecipientDepartment", &D::recipientDepartment}, {"RecipientHomePhone", &D::recipientHomePhone},
    {"RecipientName", &D::recipientName},             {"RecipientOffice", &D::recipientOffice},
    {"RecipientOfficePhone", &D::recipientOfficePhone}, {"RecipientState", &D::recipientState},
    {"RecipientTitle", &D::recipientTitle},           {"RecipientZip", &D::recipientZip},
    {"SenderAddress", &D::senderAddress},             {"SenderCompany", &D::senderCompany},
    {"SenderDepartment", &D::senderDepartment},       {"SenderFax", &D::senderFax},
    {"SenderHomePhone", &D::senderHomePhone},         {"SenderName", &D::senderName},
    {"SenderOffice", &D::senderOffice},               {"SenderOfficePhone", &D::senderOfficePhone},
    {"SenderTitle", &D::senderTitle},
};

FaxAdapterClass makeClass(FaxAdapterKind kind, std::string_view progId,
                          std::initializer_list<std::span<const FaxProperty>> parts) {
    FaxAdapterClass c{kind, progId, {}};
    for (const auto& part : parts) c.properties.insert(c.properties.end(), part.begin(), part.end());
    return c;
}

}  // namespace

Variant FaxProperty::read(const FaxDetails& details) const {
    if (const auto* flag = std::get_if<bool FaxDetails::*>(&detail)) return Variant(details.*(*flag));
    return Variant(details.*std::get<std::string FaxDetails::*>(detail));
}

void FaxProperty::write(FaxDetails& details, const Variant& value) const {
    if (const auto* flag = std::get_if<bool FaxDetails::*>(&detail)) {
        details.*(*flag) = value.toBool();
    } else {
        details.*std::get<std::string FaxDetails::*>(detail) = value.toString();
    }
}

const FaxProperty& FaxAdapterClass::property(std::string_view name) const {
    for (const auto& p : properties) {
        if (equalsIgnoringCase(p.name, name)) return p;
    }
    throw RuntimeError::standard(err::MemberNotFound, std::string(progId));
}

const FaxAdapterClass& faxClass() {
    static const FaxProperty head[] = {{"FaxServerName", &D::faxServerName}, {"SendFileName", &D::sendFileName}};
    static const FaxProperty tail[] = {
        {"blnStopFax", &D::blnStopFax}, {"DiscountSend", &D::discountSend}, {"SpecTime", &D::specTime}};
    static const FaxAdapterClass c =
        makeClass(FaxAdapterKind::Fax, "Telvora.Fax", {head, kCoverPageAndNumber, kRecipientAndSender, tail});
    return c;
}

const FaxAdapterClass& faxSbsClass() {
    static const FaxProperty head[] = {
        {"FaxServerName", &D::faxServerName}, {"ServerName", &D::serverName}, {"SendFileName", &D::sendFileName}};
    static const FaxProperty tail[] = {
        {"DiscountSend", &D::discountSend}, {"UseSavedSettings", &D::useSavedSettings}, {"Email", &D::email},
        {"EmailAddress", &D::emailAddress}, {"PopUpMsg", &D::popUpMsg}, {"SpecTime", &D::specTime},
        {"SpecificTime", &D::specificTime}, {"ShowMsg", &D::showMsg}, {"blnStopFax", &D::blnStopFax},
    };
    static const FaxAdapterClass c =
        makeClass(FaxAdapterKind::FaxSbs, "Telvora.FaxSBS", {head, kCoverPageAndNumber, kRecipientAndSender, tail});
    return c;
}

const FaxAdapterClass& winFaxClass() {
    static const FaxProperty head[] = {{"FaxServerName", &D::faxServerName}, {"SendFileName", &D::sendFileName}};
    static const FaxProperty tail[] = {
        {"SpecTime", &D::specTime}, {"DiscountSend", &D::discountSend}, {"strTime", &D::strTime}, {"strDate", &D::strDate}};
    static const FaxAdapterClass c =
        makeClass(FaxAdapterKind::WinFax, "Telvora.WinFax", {head, kCoverPageAndNumber, kRecipientAndSender, tail});
    return c;
}

FaxDetails newFaxSbsDetails(const Addin& addin) {
    FaxDetails details;
    details.serverName = addin.sharedFaxServer;
    return details;
}

}  // namespace telvora
