// What the Windows tests share: a COM apartment per test, the test program's folder, environment
// variables set for one test, and running a script under the Windows Script Host.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <string>
#include <vector>

namespace telvora::win32::test {

// A single-threaded apartment, as Word's user-interface thread has.
class Apartment {
public:
    Apartment();
    ~Apartment();
    Apartment(const Apartment&) = delete;
    Apartment& operator=(const Apartment&) = delete;
};

// The folder of the running test program (where the build puts the DLLs it tests).
std::wstring programFolder();

// Sets an environment variable for the life of the object and restores the earlier state after.
class ScopedEnvironment {
public:
    ScopedEnvironment(std::wstring name, const std::wstring& value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::wstring name_;
    bool had_ = false;
    std::wstring old_;
};

// The value of an environment variable (the tests' CTest entries pass folders and files this way);
// empty when it is not set.
std::wstring environmentText(const wchar_t* name);

// Runs a program to its end and answers its exit code; -1 when it could not be started or did not
// end within `timeoutMs` (it is ended then). Meanwhile the COM calls it makes into this thread's
// apartment are served; with `output`, what it writes to its standard output and error is kept there.
int runProgram(const std::wstring& commandLine, std::string* output = nullptr, DWORD timeoutMs = 60000);

// Runs `cscript //nologo <script> <arguments>` and answers its exit code (-1 when it could not run
// or took longer than a minute). A script named without its folder is one of the tests' own, in the
// folder TELVORA_TEST_SCRIPTS names.
int runScript(const std::wstring& script, const std::wstring& arguments);

// The recording automation server (recorder/recorder.cpp, beside the test program) registered under
// the given programmatic identifiers while the object lives, logging every call to a scratch file of
// its own (removed with it). Wine's COM finds classes under HKEY_LOCAL_MACHINE only, so it is
// registered there.
class RecorderRegistration {
public:
    explicit RecorderRegistration(std::vector<std::wstring> progIds);
    ~RecorderRegistration();
    RecorderRegistration(const RecorderRegistration&) = delete;
    RecorderRegistration& operator=(const RecorderRegistration&) = delete;

    // Every line logged, as written: "flags=1 member=Send positional=[] named=[]".
    std::vector<std::string> log() const;
    // The same lines without their call flags.
    std::vector<std::string> calls() const;
    void clearLog() const;

private:
    std::vector<std::wstring> progIds_;
    std::wstring log_;
    ScopedEnvironment logSetting_;
};

// A late-bound call as a macro makes it: `args` in call order (rgvarg holds them last first), the
// last `named.size()` of them given by the identifiers in `named`.
HRESULT invoke(IDispatch* object, DISPID id, WORD flags, std::vector<VARIANT> args, VARIANT* result = nullptr,
               EXCEPINFO* info = nullptr, UINT* argError = nullptr, std::vector<DISPID> named = {});
// A member's identifier by its name; DISPID_UNKNOWN for a name the object does not know.
DISPID idOf(IDispatch* object, const std::wstring& name);
// Arguments that borrow what they hold: a text, a String or Variant variable passed by reference,
// an object.
VARIANT textArgument(BSTR text);
VARIANT byReference(BSTR* variable);
VARIANT byReference(VARIANT* variable);
VARIANT objectArgument(IDispatch* object);

// A unique scratch file name in the temporary folder.
std::wstring scratchFile(const std::wstring& stem);

// Registers an object in the running object table as the running object of its class, as a program
// does while it runs. The table lives in the RPC service, which a freshly started machine may still
// be bringing up: this waits for it.
[[nodiscard]] HRESULT registerRunningObject(IUnknown* object, const CLSID& clsid, DWORD* cookie);

}  // namespace telvora::win32::test
