// Pagewire: the add-in connection Word loads the add-in through and calls when it unloads it. It
// hands Word's application object to the add-in and receives Word's window activations.
#pragma once

#include "host/connection.h"
#include "win32/dispatch_table.h"
#include "win32/office_interfaces.h"

namespace telvora::win32 {

// The Office add-in connection interface, called through its table by Word and by name by anyone
// else (DISPIDs 1 to 5). The application object reaches the process's one add-in state, so the
// commands the template's macros give work on the same Word.
class PagewireObject final : public TableDispatch<IDTExtensibility2> {
public:
    PagewireObject();  // raises when the add-in state cannot be created

    static const DispatchTable& table();

    // Keeps Word's application and subscribes to its application events; nothing else yet.
    HRESULT STDMETHODCALLTYPE OnConnection(IDispatch* application, ext_ConnectMode mode, IDispatch* addInInst,
                                           SAFEARRAY** custom) noexcept override;
    HRESULT STDMETHODCALLTYPE OnDisconnection(ext_DisconnectMode mode, SAFEARRAY** custom) noexcept override;
    // The other three moments of an add-in's life need nothing of this add-in.
    HRESULT STDMETHODCALLTYPE OnAddInsUpdate(SAFEARRAY** custom) noexcept override;
    HRESULT STDMETHODCALLTYPE OnStartupComplete(SAFEARRAY** custom) noexcept override;
    HRESULT STDMETHODCALLTYPE OnBeginShutdown(SAFEARRAY** custom) noexcept override;

protected:
    Variant invokeMember(const DispatchMember& member, std::span<Variant> args) override;

private:
    void connect(IDispatch* application);

    AddinConnection connection_;
};

}  // namespace telvora::win32
