// Fax, FaxSBS and WinFax over IDispatch: one fax job as properties a macro reads and assigns by
// name, and Send.
#pragma once

#include <cstddef>
#include <string>

#include "win32/dispatch_table.h"

namespace telvora::win32 {

// One of the three classes: its programmatic identifier and its members. The properties come
// first in the class's declared order (DISPID = position + 1), Send last.
struct FaxJobClass {
    std::string progId;
    DispatchTable table;
    std::size_t propertyCount;
};

const FaxJobClass& faxClass();
const FaxJobClass& faxSbsClass();
const FaxJobClass& winFaxClass();

// An object of one of the classes. Its properties start empty or False and keep what a macro
// assigns; Send raises 445 until the fax service adapters land.
class FaxJobObject final : public ByNameDispatch {
public:
    explicit FaxJobObject(const FaxJobClass& faxClass);

protected:
    Variant invokeMember(const DispatchMember& member, std::span<Variant> args) override;

private:
    const FaxJobClass& class_;
    std::vector<Variant> values_;  // by DISPID - 1
};

}  // namespace telvora::win32
