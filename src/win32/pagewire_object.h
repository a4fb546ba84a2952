// Pagewire over IDispatch: the add-in connection Word calls when it loads and unloads the add-in.
#pragma once

#include "win32/dispatch_table.h"

namespace telvora::win32 {

// The five add-in connection members with their DISPIDs 1-5. Each raises 445 until the add-in
// reaches Word from the DLL.
class PagewireObject final : public ByNameDispatch {
public:
    PagewireObject();

    static const DispatchTable& table();

protected:
    Variant invokeMember(const DispatchMember& member, std::span<Variant> args) override;
};

}  // namespace telvora::win32
