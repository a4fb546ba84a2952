// A macro faxing through Telvora.Fax and Telvora.FaxSBS under the Windows Script Host, against a
// recording server registered as the fax service's objects: what the fax service received, with
// its types, and what the macro's Err and the user saw when the service refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <future>
#include <thread>

#include "support.h"
#include "win32/text.h"

namespace telvora::win32 {
namespace {

using namespace std::chrono_literals;
using Lines = std::vector<std::string>;

struct MessageBoxSeen {
    std::wstring title;
    std::wstring text;
};

BOOL CALLBACK findTelvoraBox(HWND w, LPARAM p) {
    wchar_t cls[16] = {};
    wchar_t title[64] = {};
    ::GetClassNameW(w, cls, 16);
    ::GetWindowTextW(w, title, 64);
    if (::IsWindowVisible(w) && std::wstring(cls) == L"#32770" && std::wstring(title) == L"Telvora") {
        *reinterpret_cast<HWND*>(p) = w;
        return FALSE;
    }
    return TRUE;
}

class FaxSend : public ::testing::Test {
protected:
    void SetUp() override {
        if (!::GetEnvironmentVariableW(L"TELVORA_TEST_SCRIPTS", nullptr, 0)) GTEST_SKIP() << "no scripts";
    }
    void TearDown() override { ::DeleteFileW(result_.c_str()); }

    // Runs the macro for `progId`; answers each message box it shows with OK and keeps its text.
    void fax(const std::wstring& progId) {
        auto script = std::async(std::launch::async, [&] {
            return test::runScript(L"fax_send.vbs", L"\"" + progId + L"\" \"" + result_ + L"\"");
        });
        while (script.wait_for(50ms) != std::future_status::ready) {
            HWND box = nullptr;
            ::EnumWindows(&findTelvoraBox, reinterpret_cast<LPARAM>(&box));
            if (!box) continue;
            wchar_t text[1024] = {};
            ::GetDlgItemTextW(box, 0xFFFF, text, 1024);  // a message box's text
            messages.push_back({L"Telvora", text});
            ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            std::this_thread::sleep_for(200ms);  // until the box is gone
        }
        ASSERT_EQ(0, script.get());
        std::ifstream in(narrow(result_));
        ASSERT_TRUE(std::getline(in, seen)) << "the macro did not get to its end";
    }
    // Among the fax service's calls and assignments (without the call flags) are `expected`, and
    // the last is `last`: the job goes out once it is complete.
    void expectReceived(const Lines& expected, const std::string& last) const {
        const Lines calls = registration.calls();
        for (const auto& e : expected) EXPECT_NE(calls.end(), std::find(calls.begin(), calls.end(), e)) << e;
        ASSERT_FALSE(calls.empty());
        EXPECT_EQ(last, calls.back());
    }
    static std::string assigned(const std::string& member, const std::string& value) {
        return "member=" + member + " positional=[] named=[<put>=" + value + "]";
    }

    test::RecorderRegistration registration{{L"FAXCOMEX.FaxDocument", L"FAXCOMEX.FaxServer", L"FaxServer.FaxServer"}};
    std::wstring result_ = test::scratchFile(L"macro") + L".txt";
    std::vector<MessageBoxSeen> messages;
    std::string seen;  // Err.Number|Err.Source|Err.Description|blnStopFax
};

TEST_F(FaxSend, FaxSbsSubmitsTheMacrosJobToTheNamedServer) {
    test::ScopedEnvironment objects(L"TELVORA_RECORDER_OBJECTS", L"Recipients");
    fax(L"Telvora.FaxSBS");
    EXPECT_EQ("0|||False", seen);
    EXPECT_TRUE(messages.empty());
    // What the fax service was given: the server, the recipient, a Date to send at, the subject,
    // no pop-up receipt (no Windows since Vista delivers one), and the job submitted.
    expectReceived({"member=Connect positional=[BSTR:SBS01] named=[]",
                    "member=Add positional=[BSTR:90123456,BSTR:Ann Smith] named=[]", assigned("ReceiptType", "I4:0"),
                    assigned("ScheduleTime", "DATE:39807.604167"), assigned("Subject", "BSTR:Quote 42")},
                   "member=ConnectedSubmit positional=[DISPATCH:object] named=[]");
}

TEST_F(FaxSend, ARefusedSharedFaxIsExplainedToTheUserAndStopsTheFaxWithoutAnErrorForTheMacro) {
    test::ScopedEnvironment objects(L"TELVORA_RECORDER_OBJECTS", L"Recipients");
    test::ScopedEnvironment refuse(L"TELVORA_RECORDER_RAISE", L"ConnectedSubmit|8007000D|FAXCOMEX|The data is invalid.");
    fax(L"Telvora.FaxSBS");
    EXPECT_EQ("0|||True", seen);
    ASSERT_EQ(1u, messages.size());
    EXPECT_EQ(L"You have chosen an incorrect fax printer driver. Please select the correct Fax Printer from the "
              L"Telvora Settings window.\r\n\r\nThe faxing will be aborted.",
              messages[0].text);
}

TEST_F(FaxSend, FaxSubmitsToTheLocalFaxServiceAndTheMacroSeesItsRefusalAsRaised) {
    test::ScopedEnvironment objects(L"TELVORA_RECORDER_OBJECTS", L"GetPorts,CreateDocument");
    fax(L"Telvora.Fax");
    EXPECT_EQ("0|||False", seen);
    wchar_t computer[256] = {};
    ::GetEnvironmentVariableW(L"computername", computer, 256);
    expectReceived({"member=Connect positional=[] named=[ServerName=BSTR:" + narrow(computer) + "]",
                    "member=CreateDocument positional=[BSTR:C:\\Temp\\Pagewire.tif] named=[]",
                    assigned("FaxNumber", "BSTR:90123456"), assigned("ServerCoverpage", "BOOL:False"),
                    assigned("DiscountSend", "BOOL:True")},
                   "member=Send positional=[] named=[]");

    registration.clearLog();
    test::ScopedEnvironment refuse(L"TELVORA_RECORDER_RAISE", L"Send|80070005|Fax Service|Access is denied.");
    fax(L"Telvora.Fax");
    EXPECT_EQ("-2147024891|Fax Service|Access is denied.|False", seen);
    EXPECT_TRUE(messages.empty()) << "the macro reports the error itself";

    // A report error (2103, as a macro runtime's server raises it) reaches the macro as the old
    // interface's Invalid ReportName.
    test::ScopedEnvironment report(L"TELVORA_RECORDER_RAISE", L"CreateDocument|800A0837|Reports|Report error");
    fax(L"Telvora.Fax");
    EXPECT_EQ("-2147221500|fxFax.Send|Invalid ReportName|False", seen);
}

}  // namespace
}  // namespace telvora::win32
