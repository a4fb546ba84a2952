// A macro faxing through Telvora.Fax under the Windows Script Host, against a recording server
// registered as the fax service's objects: what the fax service received, with its types, and what
// the macro's Err and the user saw when the service refused. (The extended fax service's road is
// the Word-like host's fax test; what each adapter gives each fax service, the native tests'.)
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

    // Runs the macro; the user answers each message box it shows with OK.
    void fax() {
        ASSERT_EQ(0, test::runScript(L"fax_send.vbs", L"\"Telvora.Fax\" \"" + result_ + L"\""));
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

    test::RecorderRegistration registration{{L"FaxServer.FaxServer"}};
    std::wstring result_ = test::scratchFile(L"macro") + L".txt";
    host::MessageBoxWatcher user;
    std::string seen;  // Err.Number|Err.Source|Err.Description|blnStopFax
};

TEST_F(FaxSend, FaxSubmitsToTheLocalFaxServiceAndTheMacroSeesItsRefusalAsRaised) {
    test::ScopedEnvironment objects(L"TELVORA_RECORDER_OBJECTS", L"GetPorts,CreateDocument");
    fax();
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
    fax();
    EXPECT_EQ("-2147024891|Fax Service|Access is denied.|False", seen);
    EXPECT_TRUE(user.texts().empty()) << "the macro reports the error itself";

    // A report error (2103, as a macro runtime's server raises it) reaches the macro as the old
    // interface's Invalid ReportName.
    test::ScopedEnvironment report(L"TELVORA_RECORDER_RAISE", L"CreateDocument|800A0837|Reports|Report error");
    fax();
    EXPECT_EQ("-2147221500|fxFax.Send|Invalid ReportName|False", seen);
}

}  // namespace
}  // namespace telvora::win32
