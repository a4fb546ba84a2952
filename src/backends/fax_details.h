// One fax as the fax adapters submit it, with every detail the three public fax classes a macro
// creates (Fax, FaxSBS, WinFax) carry, each typed; and each class's properties in declared order
// with the detail each stands for. Names are looked up only where a macro calls a class by them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "app/addin.h"
#include "base/variant.h"

namespace telvora {

struct FaxDetails {
    std::string faxServerName;  // the computer the fax goes to
    std::string serverName;     // FaxSBS: informational
    std::string sendFileName;   // the fax image to submit
    bool serverCoverpage = false;
    bool sendCoverpage = false;
    std::string coverpageName;
    std::string coverpageNote;
    std::string coverpageSubject;  // the subject
    std::string faxNumber;         // dial-out prefix and number
    std::string recipientAddress, recipientCity, recipientCompany, recipientCountry, recipientDepartment,
        recipientHomePhone, recipientName, recipientOffice, recipientOfficePhone, recipientState, recipientTitle,
        recipientZip;
    std::string senderAddress, senderCompany, senderDepartment, senderFax, senderHomePhone, senderName, senderOffice,
        senderOfficePhone, senderTitle;
    bool discountSend = false;
    bool useSavedSettings = false;
    bool email = false;
    std::string emailAddress;
    bool popUpMsg = false;
    bool specTime = false;
    std::string specificTime;  // FaxSBS: the send time as the dialog wrote it
    bool showMsg = false;
    std::string strTime, strDate;  // WinFax: accepted, not used
    // Set by the sending when the fax was not submitted.
    bool blnStopFax = false;
};

enum class FaxAdapterKind { Fax, FaxSbs, WinFax };

// A property of a fax class: its name as macros call it and the detail it stands for.
struct FaxProperty {
    std::string_view name;
    std::variant<std::string FaxDetails::*, bool FaxDetails::*> detail;

    bool isFlag() const noexcept { return std::holds_alternative<bool FaxDetails::*>(detail); }
    // The detail as a macro reads it: a String or a Boolean.
    Variant read(const FaxDetails& details) const;
    // Assigns as a macro's assignment converts: 13 for a value that is no Boolean where one is
    // wanted, 94 for Null.
    void write(FaxDetails& details, const Variant& value) const;
};

struct FaxAdapterClass {
    FaxAdapterKind kind;
    std::string_view progId;  // "Telvora.Fax"
    std::vector<FaxProperty> properties;  // in the class's declared order

    // A property by name, without regard to case; 438 when the class has none of that name.
    const FaxProperty& property(std::string_view name) const;
};

const FaxAdapterClass& faxClass();
const FaxAdapterClass& faxSbsClass();
const FaxAdapterClass& winFaxClass();

// A new FaxSBS object's details: its ServerName is the shared fax server the sending step last
// read from the settings ("" before any fax was sent).
FaxDetails newFaxSbsDetails(const Addin& addin);

}  // namespace telvora
