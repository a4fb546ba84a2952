// A macro faxing through Telvora.Fax and Telvora.FaxSBS under the Windows Script Host, against a
// recording server registered as the fax service's objects: what the fax service received, in
// order and with its types, and what the macro's Err and the user saw when the service refused.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <future>
#include <iterator>
#include <optional>
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
    // The fax service's calls and assignments, without the call flags.
    Lines received() const { return registration.calls(); }
    static std::string assigned(const std::string& member, const std::string& value) {
        return "member=" + member + " positional=[] named=[<put>=" + value + "]";
    }

    test::RecorderRegistration registration{{L"FAXCOMEX.FaxDocument", L"FAXCOMEX.FaxServer", L"FaxServer.FaxServer"}};
    std::wstring result_ = test::scratchFile(L"macro") + L".txt";
    std::vector<MessageBoxSeen> messages;
    std::string seen;  // Err.Number|Err.Source|Err.Description|blnStopFax
};

TEST_F(FaxSend, FaxSbsSubmitsTheMacrosJobToTheNamedServerInOrder) {
    test::ScopedEnvironment objects(L"TELVORA_RECORDER_OBJECTS", L"Recipients");
    fax(L"Telvora.FaxSBS");
    EXPECT_EQ("0|||False", seen);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(received(), (Lines{"member=Connect positional=[BSTR:SBS01] named=[]",
                                 assigned("Body", "BSTR:C:\\Temp\\Pagewire.tif"),
                                 assigned("Priority", "I4:1"),
                                 "member=Recipients positional=[] named=[]",
                                 "member=Add positional=[BSTR:90123456,BSTR:Ann Smith] named=[]",
                                 // The macro asks for a pop-up receipt, which no Windows since Vista delivers.
                                 assigned("ReceiptType", "I4:0"),
                                 assigned("CoverPageType", "I4:0"),
                                 assigned("ScheduleTime", "DATE:39807.604167"),
                                 assigned("ScheduleType", "I4:1"),
                                 assigned("Subject", "BSTR:Quote 42"),
                                 "member=ConnectedSubmit positional=[DISPATCH:object] named=[]"}));
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
    const Lines calls = received();
    ASSERT_EQ(32u, calls.size());
    EXPECT_EQ("member=Connect positional=[] named=[ServerName=BSTR:" + narrow(computer) + "]", calls[0]);
    EXPECT_EQ("member=GetPorts positional=[] named=[]", calls[1]);
    EXPECT_EQ("member=CreateDocument positional=[BSTR:C:\\Temp\\Pagewire.tif] named=[]", calls[2]);
    EXPECT_EQ(assigned("FaxNumber", "BSTR:90123456"), calls[3]);
    EXPECT_EQ(assigned("ServerCoverpage", "BOOL:False"), calls[25]);
    EXPECT_EQ(assigned("DiscountSend", "BOOL:True"), calls[30]);
    EXPECT_EQ("member=Send positional=[] named=[]", calls[31]);

    registration.clearLog();
    test::ScopedEnvironment refuse(L"TELVORA_RECORDER_RAISE", L"Send|80070005|Fax Service|Access is denied.");
    fax(L"Telvora.Fax");
    EXPECT_EQ("-2147024891|Fax Service|Access is denied.|False", seen);
    EXPECT_TRUE(messages.empty()) << "the macro reports the error itself";
}

TEST_F(FaxSend, TheTwoReportErrorsReachTheMacroAsInvalidReportName) {
    test::ScopedEnvironment objects(L"TELVORA_RECORDER_OBJECTS", L"GetPorts,CreateDocument");
    // 2103 as a macro runtime's server raises it.
    test::ScopedEnvironment refuse(L"TELVORA_RECORDER_RAISE", L"CreateDocument|800A0837|Reports|Report error");
    fax(L"Telvora.Fax");
    EXPECT_EQ("-2147221500|fxFax.Send|Invalid ReportName|False", seen);
}

}  // namespace
}  // namespace telvora::win32
