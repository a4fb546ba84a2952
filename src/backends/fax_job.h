// The three public fax classes a macro creates (Fax, FaxSBS, WinFax) as data: each class's
// properties in declared order with their types, and one job's values. The Windows classes and
// the adapters' Send read the same description, so a property exists once.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "app/addin.h"
#include "base/variant.h"

namespace telvora {

enum class FaxPropertyType { String, Boolean };

struct FaxProperty {
    std::string_view name;
    FaxPropertyType type;
};

enum class FaxAdapterKind { Fax, FaxSbs, WinFax };

struct FaxAdapterClass {
    FaxAdapterKind kind;
    std::string_view progId;  // "Telvora.Fax"
    std::vector<FaxProperty> properties;  // in the class's declared order
};

const FaxAdapterClass& faxClass();
const FaxAdapterClass& faxSbsClass();
const FaxAdapterClass& winFaxClass();

// The values of one adapter object: every property of its class, starting empty or False, and
// always of the property's type (a value assigned is converted as a macro's assignment converts
// it, so a Boolean never holds text).
class FaxAdapterJob {
public:
    explicit FaxAdapterJob(const FaxAdapterClass& adapterClass);

    const FaxAdapterClass& adapterClass() const noexcept { return *class_; }

    // The position of a property in declared order, its name compared without regard to case;
    // 438 when the class has no such property.
    std::size_t indexOf(std::string_view name) const;
    const Variant& value(std::size_t index) const { return values_.at(index); }
    // Raises 13 for a value that is no Boolean and 94 for Null, as a macro's assignment does.
    void assign(std::size_t index, const Variant& value);

    std::string text(std::string_view name) const { return value(indexOf(name)).toString(); }
    bool flag(std::string_view name) const { return value(indexOf(name)).toBool(); }
    void set(std::string_view name, const Variant& value) { assign(indexOf(name), value); }

    // What the fax software called the jobs it queued for this fax (one per recipient; WinFax
    // names none), after a submission.
    std::vector<std::string> jobIds;

private:
    const FaxAdapterClass* class_;
    std::vector<Variant> values_;
};

// A new FaxSBS object: its ServerName starts as the shared fax server name the sending step last
// read from the settings ("" before any fax was sent).
FaxAdapterJob newFaxSbsJob(const Addin& addin);

}  // namespace telvora
