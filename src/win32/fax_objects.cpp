// The fax job classes' property tables and storage.
#include "win32/fax_objects.h"

#include <initializer_list>

#include "base/errors.h"

namespace telvora::win32 {
namespace {

struct DeclaredProperty {
    const char* name;
    DispatchType type;
};

constexpr DispatchType S = DispatchType::String;
constexpr DispatchType B = DispatchType::Boolean;

// The cover page and number properties, the same in the three classes.
constexpr DeclaredProperty kCoverPageAndNumber[] = {
    {"ServerCoverpage", B}, {"SendCoverpage", B},    {"CoverpageName", S},
    {"CoverpageNote", S},   {"CoverpageSubject", S}, {"FaxNumber", S},
};

// The recipient's and sender's details, the same in the three classes.
constexpr DeclaredProperty kRecipientAndSender[] = {
    {"RecipientAddress", S},     {"RecipientCity", S},      {"RecipientCompany", S}, {"RecipientCountry", S},
    {"RecipientDepartment", S},  {"RecipientHomePhone", S}, {"RecipientName", S},    {"RecipientOffice", S},
    {"RecipientOfficePhone", S}, {"RecipientState", S},     {"RecipientTitle", S},   {"RecipientZip", S},
    {"SenderAddress", S},        {"SenderCompany", S},      {"SenderDepartment", S}, {"SenderFax", S},
    {"SenderHomePhone", S},      {"SenderName", S},         {"SenderOffice", S},     {"SenderOfficePhone", S},
    {"SenderTitle", S},
};

FaxJobClass makeClass(std::string progId, std::initializer_list<std::span<const DeclaredProperty>> parts) {
    std::vector<DispatchMember> members;
    DISPID id = 0;
    for (const auto& part : parts) {
        for (const auto& p : part) addProperty(members, p.name, ++id, p.type);
    }
    members.push_back({"Send", id + 1, MemberKind::Method, {}, DispatchType::None});
    return FaxJobClass{std::move(progId), DispatchTable(std::move(members)), static_cast<std::size_t>(id)};
}

}  // namespace

const FaxJobClass& faxClass() {
    static constexpr DeclaredProperty head[] = {{"FaxServerName", S}, {"SendFileName", S}};
    static constexpr DeclaredProperty tail[] = {{"blnStopFax", B}, {"DiscountSend", B}, {"SpecTime", B}};
    static const FaxJobClass c = makeClass("Telvora.Fax", {head, kCoverPageAndNumber, kRecipientAndSender, tail});
    return c;
}

const FaxJobClass& faxSbsClass() {
    static constexpr DeclaredProperty head[] = {{"FaxServerName", S}, {"ServerName", S}, {"SendFileName", S}};
    static constexpr DeclaredProperty tail[] = {
        {"DiscountSend", B}, {"UseSavedSettings", B}, {"Email", B},   {"EmailAddress", S}, {"PopUpMsg", B},
        {"SpecTime", B},     {"SpecificTime", S},     {"ShowMsg", B}, {"blnStopFax", B},
    };
    static const FaxJobClass c = makeClass("Telvora.FaxSBS", {head, kCoverPageAndNumber, kRecipientAndSender, tail});
    return c;
}

const FaxJobClass& winFaxClass() {
    static constexpr DeclaredProperty head[] = {{"FaxServerName", S}, {"SendFileName", S}};
    static constexpr DeclaredProperty tail[] = {{"SpecTime", B}, {"DiscountSend", B}, {"strTime", S}, {"strDate", S}};
    static const FaxJobClass c = makeClass("Telvora.WinFax", {head, kCoverPageAndNumber, kRecipientAndSender, tail});
    return c;
}

FaxJobObject::FaxJobObject(const FaxJobClass& faxClass) : ByNameDispatch(faxClass.table), class_(faxClass) {
    values_.resize(class_.propertyCount);
    for (const auto& m : class_.table.members()) {
        if (m.kind == MemberKind::PropertyGet)
            values_[static_cast<std::size_t>(m.id - 1)] =
                m.result == DispatchType::Boolean ? Variant(false) : Variant(std::string());
    }
}

Variant FaxJobObject::invokeMember(const DispatchMember& member, std::span<Variant> args) {
    const auto index = static_cast<std::size_t>(member.id - 1);
    switch (member.kind) {
    case MemberKind::PropertyGet: return values_.at(index);
    case MemberKind::PropertyPut:
        values_.at(index) = args[0];
        return Variant();
    case MemberKind::Method: break;
    }
    // Send: the adapter that submits the job lands with the fax services.
    throw RuntimeError::notAvailableYet(class_.progId + "." + member.name, class_.progId);
}

}  // namespace telvora::win32
