// The automation binding against a recording COM server: what a late-bound call sends, what comes
// back, and how failures reach the caller as run-time errors.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "base/errors.h"
#include "support.h"
#include "support/error_number.h"
#include "win32/automation.h"
#include "win32/handles.h"
#include "win32/registry.h"
#include "win32/text.h"

namespace telvora::win32 {
namespace {

constexpr const wchar_t* kRecorderClsid = L"{72403557-E113-451C-87D4-B8DF8FAC2242}";
constexpr const char* kRecorder = "Telvora.TestRecorder";

void setDefault(const std::wstring& key, const std::wstring& name, const std::wstring& value) {
    unique_hkey k;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                               k.put(), nullptr));
    ASSERT_EQ(ERROR_SUCCESS, setString(k.get(), name.empty() ? nullptr : name.c_str(), value));
}

class AutomationBinding : public ::testing::Test {
protected:
    // Wine's COM finds classes under HKEY_LOCAL_MACHINE only; the recorder is registered there.
    static void SetUpTestSuite() {
        const std::wstring clsidKey = std::wstring(L"Software\\Classes\\CLSID\\") + kRecorderClsid;
        setDefault(clsidKey + L"\\InprocServer32", L"", test::programFolder() + L"\\telvora_recorder.dll");
        setDefault(clsidKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment");
        setDefault(L"Software\\Classes\\Telvora.TestRecorder\\CLSID", L"", kRecorderClsid);
    }
    static void TearDownTestSuite() {
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, (std::wstring(L"Software\\Classes\\CLSID\\") + kRecorderClsid).c_str());
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\Telvora.TestRecorder");
    }

    void TearDown() override { ::DeleteFileW(log_.c_str()); }

    std::vector<std::string> calls() const {
        std::ifstream in(narrow(log_));
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

    test::Apartment apartment;
    std::wstring log_ = test::scratchFile(L"recorder") + L".log";
    test::ScopedEnvironment logSetting{L"TELVORA_RECORDER_LOG", log_};
    Win32Automation automation;
};

TEST_F(AutomationBinding, CallSendsPositionalArgumentsInOrderAndNamedArgumentsByName) {
    auto server = automation.create(kRecorder);
    (void)server->call("Connect", {Variant("first"), Variant(std::int32_t{5})},
                       {{"ServerName", Variant("PC1")}, {"Priority", Variant(std::int16_t{1})}});
    (void)server->call("GetPorts");
    const auto log = calls();
    ASSERT_EQ(2u, log.size());
    EXPECT_EQ("flags=3 member=Connect positional=[BSTR:first,I4:5] named=[ServerName=BSTR:PC1,Priority=I2:1]", log[0]);
    EXPECT_EQ("flags=3 member=GetPorts positional=[] named=[]", log[1]);
}

TEST_F(AutomationBinding, PutAssignsThePropertyAndGetReadsIt) {
    auto server = automation.create(kRecorder);
    server->put("Subject", Variant("Quarterly report"));
    server->put("Priority", Variant(std::int32_t{1}));
    EXPECT_EQ(Variant("Quarterly report"), server->get("subject"));
    EXPECT_EQ(Variant(std::int32_t{1}), server->get("Priority"));
    const auto log = calls();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ("flags=4 member=Subject positional=[] named=[<put>=BSTR:Quarterly report]", log[0]);
    EXPECT_EQ("flags=4 member=Priority positional=[] named=[<put>=I4:1]", log[1]);
}

TEST_F(AutomationBinding, ValuesNullAndObjectsTravelBothWays) {
    auto server = automation.create(kRecorder);
    for (const Variant& v : {Variant(), Variant(Null{}), Variant(true), Variant(false), Variant(std::int16_t{-3}),
                             Variant(std::int32_t{70000}), Variant(2.5), Variant("Zoë – 日本"),
                             Variant(DateValue{39448.5})}) {
        EXPECT_EQ(v, server->call("Echo", {v}));
    }
    // An object the server returns is itself driven by name, and goes back to a server by reference.
    auto child = server->get("Child").toObject();
    EXPECT_EQ(Variant("x"), child->call("Echo", {Variant("x")}));
    server->put("Document", Variant(child));
    const auto log = calls();
    EXPECT_EQ("flags=8 member=Document positional=[] named=[<put>=DISPATCH:object]", log.back());
}

TEST_F(AutomationBinding, AnExceptionTheServerRaisesKeepsItsNumberSourceAndDescription) {
    auto server = automation.create(kRecorder);
    {
        test::ScopedEnvironment raise(L"TELVORA_RECORDER_RAISE", L"ConnectedSubmit|8007065E|FaxComEx.FaxDocument|Unsupported type");
        try {
            (void)server->call("ConnectedSubmit", {Variant("server")});
            FAIL() << "no error raised";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(-2147023266, e.number());  // 0x8007065E as a signed number
            EXPECT_EQ("FaxComEx.FaxDocument", e.source());
            EXPECT_EQ("Unsupported type", e.description());
        }
    }
    {
        // An error a macro runtime raised shows as its own number, as in the macro's Err.Number.
        test::ScopedEnvironment raise(L"TELVORA_RECORDER_RAISE", L"Send|800A0837|WinFax.SDKSend|Invalid ReportName");
        try {
            (void)server->call("Send");
            FAIL() << "no error raised";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(2103, e.number());
            EXPECT_EQ("Invalid ReportName", e.description());
        }
    }
}

TEST_F(AutomationBinding, APlainFailureIsTheHresultAsASignedNumber) {
    auto server = automation.create(kRecorder);
    test::ScopedEnvironment fail(L"TELVORA_RECORDER_FAIL", L"Connect|800706BA");
    try {
        (void)server->call("Connect", {}, {{"ServerName", Variant("PC1")}});
        FAIL() << "no error raised";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(-2147023174, e.number());
        EXPECT_EQ(kRecorder, e.source());
        EXPECT_FALSE(e.description().empty());
    }
}

TEST_F(AutomationBinding, AMemberTheObjectDoesNotKnowIsError438) {
    auto server = automation.create(kRecorder);
    test::ScopedEnvironment unknown(L"TELVORA_RECORDER_UNKNOWN", L"Frobnicate");
    try {
        (void)server->call("Frobnicate");
        FAIL() << "no error raised";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(438, e.number());
    }
    EXPECT_TRUE(calls().empty());
}

TEST_F(AutomationBinding, AnObjectThatCannotBeCreatedIsError429) {
    for (const char* progId : {"Telvora.NoSuchObject", ""}) {
        try {
            (void)automation.create(progId);
            FAIL() << progId << " was created";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(429, e.number());
            EXPECT_EQ("ActiveX component can't create object", e.description());
        }
    }
}

// The add-in's own classes, registered by regsvr32, as a macro reaches them.
TEST(AddinClasses, TheFaxClassesKeepTheirPropertiesAndRefuseToSendYet) {
    test::Apartment apartment;
    Win32Automation automation;
    for (const char* progId : {"Telvora.Fax", "Telvora.FaxSBS", "Telvora.WinFax"}) {
        auto object = automation.create(progId);
        object->put("FaxNumber", Variant("0123 456"));
        object->put("discountsend", Variant(std::int16_t{1}));
        EXPECT_EQ(Variant("0123 456"), object->get("faxnumber")) << progId;
        EXPECT_EQ(Variant(true), object->get("DiscountSend")) << progId;
        EXPECT_EQ(Variant(""), object->get("SendFileName")) << progId;
        try {
            (void)object->call("Send");
            FAIL() << progId << " sent";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(err::ActionNotSupported, e.number()) << progId;
            EXPECT_EQ(progId, e.source());
        }
        EXPECT_EQ(err::MemberNotFound, testing::errorOf([&] { object->put("NoSuchProperty", Variant("x")); }));
    }
    auto pagewire = automation.create("Telvora.Pagewire");
    EXPECT_EQ(err::ActionNotSupported, testing::errorOf([&] { (void)pagewire->call("OnBeginShutdown", {Variant()}); }));
}

}  // namespace
}  // namespace telvora::win32
