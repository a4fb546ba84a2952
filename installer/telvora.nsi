; Telvora's setup program: installs the add-in for the current user, with no administrator rights,
; into the user's own programs folder, and registers it so that Word finds it, whichever bitness
; Word has. With /ALLUSERS (an administrator's deployment, also silent with /S) it installs for
; every user of the machine instead: into Program Files, with the classes and Word's add-in entry
; in the machine's registry, in each bitness's view. Its uninstaller takes away everything its
; installation added, in the same mode, and keeps the users' settings.
;
; Defined on makensis's command line (installer/CMakeLists.txt does it):
;   VERSION      the product version, 1.0.0
;   DLL64 DLL32  the 64-bit and the 32-bit Telvora.dll
;   HELP TEMPLATE README   Telvora.chm, Telvora.dot, the readme
;   OUTFILE      the setup program to write
;
; The per-user registration written here is what each DLL's own registration writes (a test
; compares them entry by entry); it is written from here because a 32-bit setup program cannot
; load the 64-bit DLL, nor a 64-bit one the 32-bit DLL, to let it register itself. The all-users
; registration is the same entries under HKLM (written through SHCTX, which follows the mode), and
; Word's add-in entry also in the 32-bit view, which the machine's registry keeps apart.

Unicode true
; A 32-bit program: it runs on every Windows, and registers each DLL in its own registry view.
Target x86-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestSupportedOS all

!include FileFunc.nsh
!include LogicLib.nsh
!include WinVer.nsh
!include x64.nsh

Name "Telvora"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Telvora"
ShowInstDetails nevershow
ShowUninstDetails nevershow
AutoCloseWindow true
VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "Telvora"
VIAddVersionKey "FileDescription" "Telvora setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "CompanyName" "Telvora"
VIAddVersionKey "LegalCopyright" "Telvora"

; 1 when installing or removing for all users (/ALLUSERS), 0 for the current user.
Var AllUsers

Page instfiles
UninstPage instfiles

!define CLASSES "Software\Classes"
; Where Windows keeps the 32-bit programs' classes and interfaces of a 64-bit system.
!define CLASSES32ON64 "Software\Classes\Wow6432Node"
!define LIBID "{47AFF9E0-E666-4B9D-935E-9AA71692A77C}"
!define ADDIN "Software\Microsoft\Office\Word\Addins\Telvora.Pagewire"
!define UNINSTALL "Software\Microsoft\Windows\CurrentVersion\Uninstall\Telvora"
!define DISPATCH_PROXY "{00020420-0000-0000-C000-000000000046}"

; Word's entry for the add-in, which Word loads at its start.
!macro AddinEntry
  WriteRegStr SHCTX "${ADDIN}" "FriendlyName" "Telvora"
  WriteRegStr SHCTX "${ADDIN}" "Description" "Fax quickly and easily using Fax provided with Windows XP and Windows 2000"
  WriteRegDWORD SHCTX "${ADDIN}" "LoadBehavior" 3
!macroend

; A creatable class served by the DLL at PATH, its class key under ROOT (CLSID keys are kept apart
; for 32-bit programs on a 64-bit system; the programmatic identifiers are shared).
!macro ComClass ROOT CLSID PROGID DESCRIPTION PATH
  WriteRegStr SHCTX "${ROOT}\CLSID\${CLSID}" "" "${DESCRIPTION}"
  WriteRegStr SHCTX "${ROOT}\CLSID\${CLSID}\InprocServer32" "" "${PATH}"
  WriteRegStr SHCTX "${ROOT}\CLSID\${CLSID}\InprocServer32" "ThreadingModel" "Apartment"
  WriteRegStr SHCTX "${ROOT}\CLSID\${CLSID}\ProgID" "" "${PROGID}"
  WriteRegStr SHCTX "${CLASSES}\${PROGID}" "" "${DESCRIPTION}"
  WriteRegStr SHCTX "${CLASSES}\${PROGID}\CLSID" "" "${CLSID}"
!macroend

; A class the type library describes, with its dispatch interface.
!macro DescribedClass ROOT CLSID PROGID DESCRIPTION PATH IID INTERFACE
  !insertmacro ComClass "${ROOT}" "${CLSID}" "${PROGID}" "${DESCRIPTION}" "${PATH}"
  WriteRegStr SHCTX "${ROOT}\CLSID\${CLSID}\TypeLib" "" "${LIBID}"
  WriteRegStr SHCTX "${ROOT}\Interface\${IID}" "" "${INTERFACE}"
  WriteRegStr SHCTX "${ROOT}\Interface\${IID}\ProxyStubClsid32" "" "${DISPATCH_PROXY}"
  WriteRegStr SHCTX "${ROOT}\Interface\${IID}\TypeLib" "" "${LIBID}"
  WriteRegStr SHCTX "${ROOT}\Interface\${IID}\TypeLib" "Version" "1.0"
!macroend

; Everything one DLL registers: its classes under ROOT, its type library for PLATFORM (win32 or
; win64; both builds share the library's key) and Word's add-in entry.
!macro RegisterDll ROOT PATH PLATFORM
  !insertmacro DescribedClass "${ROOT}" "{FDD05042-C7EF-447C-978D-E7B7C97FE935}" "Telvora.Buttons" "Telvora Buttons" "${PATH}" "{F5DFE206-230D-436A-90D9-754087D24174}" "_Buttons"
  !insertmacro ComClass "${ROOT}" "{283238B9-EC67-4AD5-9590-94A72EBE8AF0}" "Telvora.Pagewire" "Telvora Pagewire" "${PATH}"
  !insertmacro DescribedClass "${ROOT}" "{0B6CDED4-8A45-4C78-B0BB-0702073CFE29}" "Telvora.Fax" "Telvora Fax" "${PATH}" "{24F795A5-4C97-4B68-BF3F-412188317A8E}" "_Fax"
  !insertmacro DescribedClass "${ROOT}" "{0632E007-9F46-4D61-8C10-2ED9619C0871}" "Telvora.FaxSBS" "Telvora FaxSBS" "${PATH}" "{AE555884-44C1-4C3F-9C02-C8A28FA026D2}" "_FaxSBS"
  !insertmacro DescribedClass "${ROOT}" "{B428435A-44D1-427C-A699-BA4ABDA7E11D}" "Telvora.WinFax" "Telvora WinFax" "${PATH}" "{6C162C02-0197-4F52-AD4A-DC5A1AF9AAE9}" "_WinFax"
  WriteRegStr SHCTX "${CLASSES}\TypeLib\${LIBID}\1.0" "" "Telvora fax add-in for Word"
  WriteRegStr SHCTX "${CLASSES}\TypeLib\${LIBID}\1.0\FLAGS" "" "0"
  WriteRegStr SHCTX "${CLASSES}\TypeLib\${LIBID}\1.0\HELPDIR" "" "$INSTDIR"
  WriteRegStr SHCTX "${CLASSES}\TypeLib\${LIBID}\1.0\0\${PLATFORM}" "" "${PATH}"
  !insertmacro AddinEntry
!macroend

!macro UnregisterClasses ROOT
  DeleteRegKey SHCTX "${ROOT}\CLSID\{FDD05042-C7EF-447C-978D-E7B7C97FE935}"
  DeleteRegKey SHCTX "${ROOT}\CLSID\{283238B9-EC67-4AD5-9590-94A72EBE8AF0}"
  DeleteRegKey SHCTX "${ROOT}\CLSID\{0B6CDED4-8A45-4C78-B0BB-0702073CFE29}"
  DeleteRegKey SHCTX "${ROOT}\CLSID\{0632E007-9F46-4D61-8C10-2ED9619C0871}"
  DeleteRegKey SHCTX "${ROOT}\CLSID\{B428435A-44D1-427C-A699-BA4ABDA7E11D}"
  DeleteRegKey SHCTX "${ROOT}\Interface\{F5DFE206-230D-436A-90D9-754087D24174}"
  DeleteRegKey SHCTX "${ROOT}\Interface\{24F795A5-4C97-4B68-BF3F-412188317A8E}"
  DeleteRegKey SHCTX "${ROOT}\Interface\{AE555884-44C1-4C3F-9C02-C8A28FA026D2}"
  DeleteRegKey SHCTX "${ROOT}\Interface\{6C162C02-0197-4F52-AD4A-DC5A1AF9AAE9}"
!macroend

; Word keeps the add-in's DLL open while it runs: the files cannot be replaced or removed then.
!macro WaitForWordToClose UN WHAT
  Function ${UN}WaitForWordToClose
    ${Do}
      FindWindow $0 "OpusApp"
      ${If} $0 = 0
        Return
      ${EndIf}
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Word is running. Telvora cannot be ${WHAT} while Word is running.$\r$\n$\r$\nClose Word, then click Retry." /SD IDCANCEL IDRETRY +2
      Abort
    ${Loop}
  FunctionEnd
!macroend
!insertmacro WaitForWordToClose "" "updated"
!insertmacro WaitForWordToClose "un." "removed"

; Writing to the machine's registry and to Program Files needs an administrator's rights, and under
; User Account Control a program started without elevation has none, even an administrator's.
!macro RequireAdministrator UN WHAT
  Function ${UN}RequireAdministrator
    UserInfo::GetAccountType
    Pop $0
    ${If} $0 != "Admin"
      MessageBox MB_OK|MB_ICONSTOP "Telvora can only be ${WHAT} for all users by an administrator: run it as an administrator (from an elevated command prompt). Nothing was changed." /SD IDOK
      Abort
    ${EndIf}
  FunctionEnd
!macroend
!insertmacro RequireAdministrator "" "installed"
!insertmacro RequireAdministrator "un." "removed"

Function .onInit
  SetShellVarContext current
  StrCpy $AllUsers 0
  ${IfNot} ${AtLeastWin7}
    MessageBox MB_OK|MB_ICONSTOP "Telvora needs Windows 7 or later. Nothing was installed." /SD IDOK
    Abort
  ${EndIf}
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/ALLUSERS" $1
  ${IfNot} ${Errors}
    Call RequireAdministrator
    StrCpy $AllUsers 1
    ; The 64-bit Program Files on a 64-bit Windows (the folder holds the 64-bit add-in too), unless
    ; the administrator named a folder with /D.
    ${If} $INSTDIR == "$LOCALAPPDATA\Programs\Telvora"
      StrCpy $INSTDIR "$PROGRAMFILES64\Telvora"
    ${EndIf}
    SetShellVarContext all
  ${EndIf}
  ${If} ${FileExists} "$INSTDIR\Telvora64.dll"
    Call WaitForWordToClose
  ${EndIf}
FunctionEnd

Section "Telvora"
  SetOutPath "$INSTDIR"
  File "/oname=Telvora64.dll" "${DLL64}"
  File "/oname=Telvora32.dll" "${DLL32}"
  File "/oname=Telvora.dot" "${TEMPLATE}"
  File "/oname=Telvora.chm" "${HELP}"
  File "/oname=Readme.txt" "${README}"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  ${If} ${RunningX64}
    SetRegView 64
    !insertmacro RegisterDll "${CLASSES}" "$INSTDIR\Telvora64.dll" "win64"
    !insertmacro RegisterDll "${CLASSES32ON64}" "$INSTDIR\Telvora32.dll" "win32"
    ${If} $AllUsers = 1
      ; The machine's software key is kept apart for 32-bit programs: 32-bit Word reads its add-ins there.
      SetRegView 32
      !insertmacro AddinEntry
      SetRegView 64
    ${EndIf}
  ${Else}
    !insertmacro RegisterDll "${CLASSES}" "$INSTDIR\Telvora32.dll" "win32"
  ${EndIf}

  ; Listed with the user's (or the machine's) programs, so it can be removed from there.
  WriteRegStr SHCTX "${UNINSTALL}" "DisplayName" "Telvora"
  WriteRegStr SHCTX "${UNINSTALL}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL}" "Publisher" "Telvora"
  WriteRegStr SHCTX "${UNINSTALL}" "DisplayIcon" "$INSTDIR\Telvora32.dll,0"
  ; The uninstaller tells its mode by this: the machine's entry naming its own folder.
  WriteRegStr SHCTX "${UNINSTALL}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr SHCTX "${UNINSTALL}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD SHCTX "${UNINSTALL}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL}" "NoRepair" 1
SectionEnd

Function .onInstSuccess
  FindWindow $0 "OpusApp"
  ${If} $0 <> 0
    MessageBox MB_OK|MB_ICONINFORMATION "Telvora is installed. Word is running: close Word and start it again to use Telvora." /SD IDOK
  ${EndIf}
FunctionEnd

; An uninstaller in the folder the machine's entry names removes the all-users installation; any
; other removes its user's.
Function un.onInit
  SetShellVarContext current
  StrCpy $AllUsers 0
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
  ReadRegStr $0 HKLM "${UNINSTALL}" "InstallLocation"
  ${If} $0 != ""
  ${AndIf} $0 == $INSTDIR
    Call un.RequireAdministrator
    StrCpy $AllUsers 1
    SetShellVarContext all
  ${EndIf}
  Call un.WaitForWordToClose
FunctionEnd

; The users' settings (under "VB and VBA Program Settings") are their data: they stay.
Section "Uninstall"
  ${If} ${RunningX64}
    SetRegView 64
    !insertmacro UnregisterClasses "${CLASSES32ON64}"
    ${If} $AllUsers = 1
      SetRegView 32
      DeleteRegKey SHCTX "${ADDIN}"
      SetRegView 64
    ${EndIf}
  ${EndIf}
  !insertmacro UnregisterClasses "${CLASSES}"
  DeleteRegKey SHCTX "${CLASSES}\Telvora.Buttons"
  DeleteRegKey SHCTX "${CLASSES}\Telvora.Pagewire"
  DeleteRegKey SHCTX "${CLASSES}\Telvora.Fax"
  DeleteRegKey SHCTX "${CLASSES}\Telvora.FaxSBS"
  DeleteRegKey SHCTX "${CLASSES}\Telvora.WinFax"
  DeleteRegKey SHCTX "${CLASSES}\TypeLib\${LIBID}"
  DeleteRegKey SHCTX "${ADDIN}"
  DeleteRegKey SHCTX "${UNINSTALL}"

  Delete "$INSTDIR\Telvora64.dll"
  Delete "$INSTDIR\Telvora32.dll"
  Delete "$INSTDIR\Telvora.dot"
  Delete "$INSTDIR\Telvora.chm"
  Delete "$INSTDIR\Readme.txt"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
