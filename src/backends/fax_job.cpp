// The fax classes' property lists and a job's values.
#include "backends/fax_job.h"

#include <initializer_list>
#include <span>

#include "base/errors.h"
#include "base/text.h"

namespace telvora {
namespace {

constexpr FaxPropertyType S = FaxPropertyType::String;
constexpr FaxPropertyType B = FaxPropertyType::Boolean;

// The cover page and number properties, the same in the three classes.
constexpr FaxProperty kCoverPageAndNumber[] = {
    {"ServerCoverpage", B}, {"SendCoverpage", B},    {"CoverpageName", S},
    {"CoverpageNote", S},   {"CoverpageSubject", S}, {"FaxNumber", S},
};

// The recipient's and sender's details, the same in the three classes.
constexpr FaxProperty kRecipientAndSender[] = {
    {"RecipientAddress", S},     {"RecipientCity", S},      {"RecipientCompany", S}, {"RecipientCountry", S},
    {"RecipientDepartment", S},  {"RecipientHomePhone", S}, {"RecipientName", S},    {"RecipientOffice", S},
    {"RecipientOfficePhone", S}, {"RecipientState", S},     {"RecipientTitle", S},   {"RecipientZip", S},
    {"SenderAddress", S},        {"SenderCompany", S},      {"SenderDepartment", S}, {"SenderFax", S},
    {"SenderHomePhone", S},      {"SenderName", S},         {"SenderOffice", S},     {"SenderOfficePhone", S},
    {"SenderTitle", S},
};

FaxAdapterClass makeClass(FaxAdapterKind kind, std::string_view progId,
                          std::initializer_list<std::span<const FaxProperty>> parts) {
    FaxAdapterClass c{kind, progId, {}};
    for (const auto& part : parts) c.properties.insert(c.properties.end(), part.begin(), part.end());
    return c;
}

}  // namespace

const FaxAdapterClass& faxClass() {
    static constexpr FaxProperty head[] = {{"FaxServerName", S}, {"SendFileName", S}};
    static constexpr FaxProperty tail[] = {{"blnStopFax", B}, {"DiscountSend", B}, {"SpecTime", B}};
    static const FaxAdapterClass c =
        makeClass(FaxAdapterKind::Fax, "Telvora.Fax", {head, kCoverPageAndNumber, kRecipientAndSender, tail});
    return c;
}

const FaxAdapterClass& faxSbsClass() {
    static constexpr FaxProperty head[] = {{"FaxServerName", S}, {"ServerName", S}, {"SendFileName", S}};
    static constexpr FaxProperty tail[] = {
        {"DiscountSend", B}, {"UseSavedSettings", B}, {"Email", B},   {"EmailAddress", S}, {"PopUpMsg", B},
        {"SpecTime", B},     {"SpecificTime", S},     {"ShowMsg", B}, {"blnStopFax", B},
    };
    static const FaxAdapterClass c =
        makeClass(FaxAdapterKind::FaxSbs, "Telvora.FaxSBS", {head, kCoverPageAndNumber, kRecipientAndSender, tail});
    return c;
}

const FaxAdapterClass& winFaxClass() {
    static constexpr FaxProperty head[] = {{"FaxServerName", S}, {"SendFileName", S}};
    static constexpr FaxProperty tail[] = {{"SpecTime", B}, {"DiscountSend", B}, {"strTime", S}, {"strDate", S}};
    static const FaxAdapterClass c =
        makeClass(FaxAdapterKind::WinFax, "Telvora.WinFax", {head, kCoverPageAndNumber, kRecipientAndSender, tail});
    return c;
}

FaxAdapterJob::FaxAdapterJob(const FaxAdapterClass& adapterClass) : class_(&adapterClass) {
    for (const auto& p : class_->properties)
        values_.push_back(p.type == FaxPropertyType::Boolean ? Variant(false) : Variant(std::string()));
}

std::size_t FaxAdapterJob::indexOf(std::string_view name) const {
    for (std::size_t i = 0; i < class_->properties.size(); ++i) {
        if (equalsIgnoringCase(class_->properties[i].name, name)) return i;
    }
    throw RuntimeError::standard(err::MemberNotFound, std::string(class_->progId));
}

void FaxAdapterJob::assign(std::size_t index, const Variant& value) {
    const bool isFlag = class_->properties.at(index).type == FaxPropertyType::Boolean;
    values_.at(index) = isFlag ? Variant(value.toBool()) : Variant(value.toString());
}

FaxAdapterJob newFaxSbsJob(const Addin& addin) {
    FaxAdapterJob job(faxSbsClass());
    job.set("ServerName", Variant(addin.faxJob.serverName));
    return job;
}

}  // namespace telvora
