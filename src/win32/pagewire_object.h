// Pagewire: the add-in connection Word loads the add-in through and calls when it unloads it. It
// hands Word's application object to the add-in, receives Word's window activations, and answers
// the ribbon of Word 2007 and later: its tab and the callbacks its buttons name.
#pragma once

#include "host/connection.h"
#include "win32/dispatch_table.h"
#include "win32/office_interfaces.h"

namespace telvora::win32 {

// The Office add-in connection interface, called through its table by Word and by name by anyone
// else (DISPIDs 1 to 5), and the ribbon's extensibility interface. The application object reaches
// the process's one add-in state, so the commands the template's macros give work on the same Word.
class PagewireObject final : public TableDispatch<IDTExtensibility2, IRibbonExtensibility> {
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

    // The add-in's tab for Word's document windows; an empty text for any other ribbon.
    HRESULT STDMETHODCALLTYPE GetCustomUI(BSTR ribbonId, BSTR* ribbonXml) noexcept override;

protected:
    Variant invokeMember(const DispatchMember& member, std::span<Variant> args) override;

private:
    void connect(IDispatch* application);

    AddinConnection connection_;
};

// The picture a ribbon button shows, from the DLL's resources: the 32-pixel one for a large button
// and wherever the screen is scaled to 150 % or more, the 16-pixel one otherwise. Raises when the
// DLL does not carry it.
Variant ribbonPicture(const RibbonButton& button);

}  // namespace telvora::win32
