// A macro faxing through Telvora.Fax and Telvora.FaxSBS under the Windows Script Host, against a
// recording server registered as the fax service's objects: what the fax service received, with
// its types, and what the macro's Err and the user saw when the service refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "message_boxes.h"
#include "support.h"
#include "win32/text.h"

namespace telvora::win32 {
namespace {

using Lines = std::vector<std::string>;

class FaxSend : public ::testing::Test {
protected:
    void SetUp() override {
        if (!::GetEnvironmentVariableW(L"TELVORA_TEST_SCRIPTS", nullptr, 0)) GTEST_SKIP() << "no scripts";
    }
    void TearDown() override { ::DeleteFileW(result_.c_str()); }

    // Runs the macro for `progId` (asking for `coverPage` when one is named); the user answers each
    // message box it shows with OK.
    void fax(const std::wstring& progId, const std::wstring& coverPage = L"") {
        ASSERT_EQ(0, test::runScript(L"fax_send.vbs", L"\"" + progId + L"\" \"" + result_ + L"\"" +
                                                          (coverPage.empty() ? L"" : L" \"" + coverPage + L"\"")));
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
    host::MessageBoxWatcher user;
    std::string seen;  // Err.Number|Err.Source|Err.Description|blnStopFax
};

TEST_F(FaxSend, FaxSbsSubmitsTheMacrosJobToTheNamedServer) {
    test::ScopedEnvironment objects(L"TELVORA_RECORDER_OBJECTS", L"Recipients");
    fax(L"Telvora.FaxSBS");
    EXPECT_EQ("0|||False", seen);
    EXPECT_TRUE(user.texts().empty());
    // What the fax service was given: the server, the recipient, a Date to send at, the subject,
    // no pop-up receipt (no Windows since Vista delivers one), and the job submitted.
    expectReceived({"member=Connect positional=[BSTR:SBS01] named=[]",
                    "member=Add positional=[BSTR:90123456,BSTR:Ann Smith] named=[]", assigned("ReceiptType", "I4:0"),
                    assigned("ScheduleTime", "DATE:39807.604167"), assigned("Subject", "BSTR:Quote 42")},
                   "member=ConnectedSubmit positional=[DISPATCH:object] named=[]");
}

TEST_F(FaxSend, TheCoverPageReachesEachFaxServiceThroughItsOwnCoverPageProperties) {
    test::ScopedEnvironment objects(L"TELVORA_RECORDER_OBJECTS", L"Recipients,GetPorts,CreateDocument");
    fax(L"Telvora.FaxSBS", L"server:generic.cov");
    EXPECT_EQ("0|||False", seen);
    expectReceived({assigned("CoverPageType", "I4:2"), assigned("CoverPage", "BSTR:generic.cov"),
                    assigned("Note", "BSTR:Call back")},
                   "member=ConnectedSubmit positional=[DISPATCH:object] named=[]");
    registration.clearLog();
    fax(L"Telvora.Fax", L"C:\\Users\\Ann\\Documents\\Fax\\Personal Coverpages\\urgent.cov");
    EXPECT_EQ("0|||False", seen);
    expectReceived({assigned("SendCoverpage", "BOOL:True"), assigned("ServerCoverpage", "BOOL:False"),
                    assigned("CoverpageName", "BSTR:C:\\Users\\Ann\\Documents\\Fax\\Personal Coverpages\\urgent.cov"),
                    assigned("CoverpageNote", "BSTR:Call back")},
                   "member=Send positional=[] named=[]");
    EXPECT_TRUE(user.texts().empty());
}

TEST_F(FaxSend, ARefusedSharedFaxIsExplainedToTheUserAndStopsTheFaxWithoutAnErrorForTheMacro) {
    test::ScopedEnvironment objects(L"TELVORA_RECORDER_OBJECTS", L"Recipients");
    test::ScopedEnvironment refuse(L"TELVORA_RECORDER_RAISE", L"ConnectedSubmit|8007000D|FAXCOMEX|The data is invalid.");
    fax(L"Telvora.FaxSBS");
    EXPECT_EQ("0|||True", seen);
    EXPECT_EQ(user.texts(), std::vector<std::string>{"You have chosen an incorrect fax printer driver. Please select the "
                                                     "correct Fax Printer from the Telvora Settings window.\r\n\r\n"
                                                     "The faxing will be aborted."});
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
    EXPECT_TRUE(user.texts().empty()) << "the macro reports the error itself";

    // A report error (2103, as a macro runtime's server raises it) reaches the macro as the old
    // interface's Invalid ReportName.
    test::ScopedEnvironment report(L"TELVORA_RECORDER_RAISE", L"CreateDocument|800A0837|Reports|Report error");
    fax(L"Telvora.Fax");
    EXPECT_EQ("-2147221500|fxFax.Send|Invalid ReportName|False", seen);
}

}  // namespace
}  // namespace telvora::win32
