// Fax, FaxSBS and WinFax over IDispatch: one fax job as properties a macro reads and assigns by
// name, and Send, which hands the job to the fax software.
#pragma once

#include <string>

#include "backends/fax_details.h"
#include "win32/dispatch_table.h"

namespace telvora::win32 {

// One of the three classes: its portable description and its members. The properties come first
// in the class's declared order (DISPID = position + 1), Send last.
struct FaxJobClass {
    const FaxAdapterClass& adapter;
    std::string progId;
    DispatchTable table;
};

const FaxJobClass& faxClass();
const FaxJobClass& faxSbsClass();
const FaxJobClass& winFaxClass();

// An object of one of the classes. Its properties start empty or False (FaxSBS's ServerName as the
// shared server name the add-in last read) and keep what a macro assigns, each the detail of the
// fax it stands for; Send submits them through the add-in's fax software adapters and reports a
// failure in the caller's Err (FaxSBS: in blnStopFax, and a fax it could not submit clears the
// record count of a merge the macros run).
class FaxJobObject final : public ByNameDispatch {
public:
    explicit FaxJobObject(const FaxJobClass& faxClass);

protected:
    Variant invokeMember(const DispatchMember& member, std::span<Variant> args) override;

private:
    const FaxJobClass& class_;
    FaxDetails details_;
};

}  // namespace telvora::win32
