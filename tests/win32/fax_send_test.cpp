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

std::string assigned(const std::string& member, const std::string& value) {
    return "member=" + member + " positional=[] named=[<put>=" + value + "]";
}

TEST(FaxSend, FaxSubmitsToTheLocalFaxServiceAndTheMacroSeesItsRefusalAsRaised) {
    test::RecorderRegistration registration{{L"FaxServer.FaxServer"}};
    test::ScopedEnvironment objects(L"TELVORA_RECORDER_OBJECTS", L"GetPorts,CreateDocument");
    host::MessageBoxWatcher user;
    const std::wstring result = test::scratchFile(L"macro") + L".txt";
    // Runs the macro (the user answers each message box it shows with OK) and answers what it saw
    // afterwards: Err.Number|Err.Source|Err.Description|blnStopFax.
    const auto fax = [&] {
        std::string seen;
        EXPECT_EQ(0, test::runScript(L"fax_send.vbs", L"\"Telvora.Fax\" \"" + result + L"\""));
        std::ifstream in(narrow(result));
        EXPECT_TRUE(std::getline(in, seen)) << "the macro did not get to its end";
        return seen;
    };
    EXPECT_EQ("0|||False", fax());
    // Among the fax service's calls and assignments are these, and the job goes out once it is complete.
    wchar_t computer[256] = {};
    ::GetEnvironmentVariableW(L"computername", computer, 256);
    const std::vector<std::string> calls = registration.calls();
    for (const auto& e : {"member=Connect positional=[] named=[ServerName=BSTR:" + narrow(computer) + "]",
                          std::string("member=CreateDocument positional=[BSTR:C:\\Temp\\Pagewire.tif] named=[]"),
                          assigned("FaxNumber", "BSTR:90123456"), assigned("ServerCoverpage", "BOOL:False"),
                          assigned("DiscountSend", "BOOL:True")})
        EXPECT_NE(calls.end(), std::find(calls.begin(), calls.end(), e)) << e;
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ("member=Send positional=[] named=[]", calls.back());

    test::ScopedEnvironment refuse(L"TELVORA_RECORDER_RAISE", L"Send|80070005|Fax Service|Access is denied.");
    EXPECT_EQ("-2147024891|Fax Service|Access is denied.|False", fax());
    EXPECT_TRUE(user.texts().empty()) << "the macro reports the error itself";

    // A report error (2103, as a macro runtime's server raises it) reaches the macro as the old
    // interface's Invalid ReportName.
    test::ScopedEnvironment report(L"TELVORA_RECORDER_RAISE", L"CreateDocument|800A0837|Reports|Report error");
    EXPECT_EQ("-2147221500|fxFax.Send|Invalid ReportName|False", fax());
    ::DeleteFileW(result.c_str());
}

}  // namespace
}  // namespace telvora::win32
