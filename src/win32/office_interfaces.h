// The interfaces and identifiers of Office and Word the binding needs that the Windows headers do
// not declare: the Office add-in connection interface Word loads the add-in through, the ribbon's
// extensibility interface Word 2007 and later ask it for, and Word's application class and event
// interface.
#pragma once

#include <windows.h>
#include <oaidl.h>

namespace telvora::win32 {

// How Word connected and disconnected the add-in (the connection's mode arguments).
enum ext_ConnectMode : int { ext_cm_AfterStartup = 0, ext_cm_Startup = 1, ext_cm_External = 2, ext_cm_CommandLine = 3 };
enum ext_DisconnectMode : int { ext_dm_HostShutdown = 0, ext_dm_UserClosed = 1 };

}  // namespace telvora::win32

// The Office add-in connection interface {B65AD801-ABAF-11D0-BB8B-00A0C90F2744}: dual, these five
// after IDispatch with DISPIDs 1 to 5.
struct IDTExtensibility2 : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE OnConnection(IDispatch* application, telvora::win32::ext_ConnectMode mode,
                                                   IDispatch* addInInst, SAFEARRAY** custom) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnDisconnection(telvora::win32::ext_DisconnectMode mode, SAFEARRAY** custom) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnAddInsUpdate(SAFEARRAY** custom) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnStartupComplete(SAFEARRAY** custom) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnBeginShutdown(SAFEARRAY** custom) = 0;
};
__CRT_UUID_DECL(IDTExtensibility2, 0xB65AD801, 0xABAF, 0x11D0, 0xBB, 0x8B, 0x00, 0xA0, 0xC9, 0x0F, 0x27, 0x44)

// The ribbon's extensibility interface {000C0396-0000-0000-C000-000000000046}: dual, its one method
// after IDispatch. Word asks an add-in's connection object for it after connecting; the callbacks
// the answered customUI names are then called by name through the same object's IDispatch.
struct IRibbonExtensibility : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE GetCustomUI(BSTR ribbonId, BSTR* ribbonXml) = 0;
};
__CRT_UUID_DECL(IRibbonExtensibility, 0x000C0396, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46)

namespace telvora::win32 {

// Word.Application, as Word registers it in the running object table.
inline constexpr CLSID kClsidWordApplication = {0x000209FF, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// Word's application events as every Word from 2000 on still raises them; WindowActivate(Doc, Wn)
// is DISPID 10 there and in the later event interfaces.
inline constexpr IID kDiidApplicationEvents2 = {0x000209FE, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// DocumentChange: a document was created, opened or closed, or another one came to the front.
inline constexpr DISPID kDispidDocumentChange = 3;

}  // namespace telvora::win32
