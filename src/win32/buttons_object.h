// Buttons over IDispatch: the command surface the companion template's macros call by name.
#pragma once

#include "win32/dispatch_table.h"

namespace telvora::win32 {

// Each command method by name, DISPID = its position in the command table + 1 (the order is part
// of the interface), text arguments by reference. Every call works on the process's add-in state.
class ButtonsObject final : public ByNameDispatch {
public:
    ButtonsObject();  // raises when the add-in state cannot be created

    static const DispatchTable& table();

protected:
    Variant invokeMember(const DispatchMember& member, std::span<Variant> args) override;
};

}  // namespace telvora::win32
