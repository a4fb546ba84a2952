// The automation binding against a recording COM server: the promises every automation binding
// keeps, and what is particular to IDispatch (assignment kinds, values and objects both ways, plain
// failures).
#include <gtest/gtest.h>

#include <optional>
#include <sstream>

#include "base/errors.h"
#include "support.h"
#include "support/automation_contract.h"
#include "support/error_number.h"
#include "win32/automation.h"
#include "win32/com_errors.h"
#include "win32/handles.h"
#include "win32/registry.h"
#include "win32/text.h"

namespace telvora::win32 {
namespace {

constexpr const char* kRecorder = "Telvora.TestRecorder";

// Win32Automation driving the recording server, which logs each call to a file and fails as its
// environment tells it to (see recorder/recorder.cpp).
class Win32RecorderBinding {
public:
    static constexpr const char* kProgId = kRecorder;

    Automation& automation() { return automation_; }
    // Every logged line, assignments included, as the server wrote it.
    std::vector<std::string> log() const { return registration_.log(); }
    // The reads and calls without the flags: assignments (flags 4 and 8) are left out.
    std::vector<std::string> calls() const {
        std::vector<std::string> lines;
        for (const auto& line : log()) {
            if (line.starts_with("flags=4 ") || line.starts_with("flags=8 ")) continue;
            lines.push_back(line.substr(line.find(' ') + 1));
        }
        return lines;
    }
    void failOn(const std::string& member, std::int32_t number, const std::string& source,
                const std::string& description) {
        char scode[16];
        std::snprintf(scode, sizeof scode, "%08X", static_cast<std::uint32_t>(hresultOfErrorNumber(number)));
        raise_.reset();
        raise_.emplace(L"TELVORA_RECORDER_RAISE", widen(member + "|" + scode + "|" + source + "|" + description));
    }
    void lacks(const std::string& member) { unknown_.emplace(L"TELVORA_RECORDER_UNKNOWN", widen(member)); }

private:
    test::Apartment apartment_;
    test::RecorderRegistration registration_{{L"Telvora.TestRecorder"}};
    std::optional<test::ScopedEnvironment> raise_;
    std::optional<test::ScopedEnvironment> unknown_;
    Win32Automation automation_;
};

using namespace telvora::testing;  // the contract's suite
INSTANTIATE_TYPED_TEST_SUITE_P(Win32, AutomationContract, Win32RecorderBinding);

class AutomationBinding : public ::testing::Test {
protected:
    Win32RecorderBinding binding;
    std::shared_ptr<AutomationObject> server = binding.automation().create(kRecorder);
};

TEST_F(AutomationBinding, AValueIsAssignedAndAnObjectIsAssignedByReference) {
    server->put("Subject", Variant("Quarterly report"));
    auto child = server->get("Child").toObject();
    server->put("Document", Variant(child));
    const auto log = binding.log();
    ASSERT_EQ(3u, log.size());
    EXPECT_EQ("flags=4 member=Subject positional=[] named=[<put>=BSTR:Quarterly report]", log[0]);
    EXPECT_EQ("flags=8 member=Document positional=[] named=[<put>=DISPATCH:object]", log[2]);
}

TEST_F(AutomationBinding, ValuesNullAndObjectsTravelBothWays) {
    for (const Variant& v : {Variant(), Variant(Null{}), Variant(true), Variant(false), Variant(std::int16_t{-3}),
                             Variant(std::int32_t{70000}), Variant(2.5), Variant("Zoë – 日本"),
                             Variant(DateValue{39448.5, {}})}) {
        EXPECT_EQ(v, server->call("Echo", {v}));
    }
    // An object the server returns is itself driven by name.
    auto child = server->get("Child").toObject();
    EXPECT_EQ(Variant("x"), child->call("Echo", {Variant("x")}));
    // Nothing goes as an empty object reference.
    EXPECT_EQ(Variant(Variant::Object()), server->call("Echo", {Variant(Variant::Object())}));
}

TEST_F(AutomationBinding, CallsByIdentifierReachTheMembersOneLookupNamed) {
    auto* members = dynamic_cast<IdentifiedMembers*>(server.get());
    ASSERT_NE(members, nullptr);
    const auto connect = members->identify("Connect", {"ServerName"});
    ASSERT_EQ(2u, connect.size());
    const auto subject = members->identify("Subject");
    const auto document = members->identify("Document");
    for (int i = 0; i < 2; ++i) (void)members->invoke(connect[0], {Variant("first")}, {{connect[1], Variant("PC1")}});
    members->assign(subject[0], Variant("Report"));
    // An object assigned by identifier goes as a value, as Word's properties that take one expect.
    members->assign(document[0], server->get("Child"));
    EXPECT_EQ(Variant("Report"), server->get("Subject"));
    const auto log = binding.log();
    ASSERT_EQ(6u, log.size());
    EXPECT_EQ("flags=3 member=Connect positional=[BSTR:first] named=[ServerName=BSTR:PC1]", log[0]);
    EXPECT_EQ(log[0], log[1]);
    EXPECT_EQ("flags=4 member=Subject positional=[] named=[<put>=BSTR:Report]", log[2]);
    EXPECT_EQ("flags=4 member=Document positional=[] named=[<put>=DISPATCH:object]", log[4]);

    binding.lacks("Colour");
    EXPECT_EQ(err::NamedArgumentNotFound, testing::errorOf([&] { (void)members->identify("Connect", {"Colour"}); }));
    EXPECT_EQ(err::MemberNotFound, testing::errorOf([&] { (void)members->identify("Colour"); }));
}

TEST_F(AutomationBinding, TheRunningObjectOfAClassIsFoundByItsProgrammaticIdentifier) {
    EXPECT_EQ(err::CannotCreateObject, testing::errorOf([&] { (void)binding.automation().running(kRecorder); }));
    const auto* dispatch = dynamic_cast<const DispatchObject*>(server.get());
    ASSERT_NE(dispatch, nullptr);
    CLSID clsid{};
    ASSERT_EQ(S_OK, ::CLSIDFromProgID(widen(kRecorder).c_str(), &clsid));
    DWORD cookie = 0;
    ASSERT_EQ(S_OK, test::registerRunningObject(dispatch->get(), clsid, &cookie));
    const auto running = binding.automation().running(kRecorder);
    running->put("Subject", Variant("found"));
    EXPECT_EQ(Variant("found"), server->get("Subject")) << "the running object is the registered one";
    ASSERT_EQ(S_OK, ::RevokeActiveObject(cookie, nullptr));
    EXPECT_EQ(err::CannotCreateObject, testing::errorOf([&] { (void)binding.automation().running(kRecorder); }));
}

TEST_F(AutomationBinding, ArraysDatesAndValuesNoMacroReadsArriveAsThePlatformGivesThem) {
    // An array comes back as its elements.
    const Variant list = Variant::array({Variant("a"), Variant(std::int32_t{2})});
    EXPECT_EQ(list, server->call("Echo", {list}));
    // A Date reads as the system writes it in the user's locale, as a macro's CStr does.
    const Variant date = server->call("Echo", {Variant(DateValue{39807.604166666664, {}})});
    UniqueVariant original;
    V_VT(original.get()) = VT_DATE;
    V_DATE(original.get()) = 39807.604166666664;
    UniqueVariant text;
    ASSERT_EQ(S_OK, ::VariantChangeTypeEx(text.get(), original.get(), LOCALE_USER_DEFAULT, 0, VT_BSTR));
    EXPECT_EQ(narrow(bstrText(V_BSTR(text.get()))), date.toString());
    // A two-dimensional array is held, not refused; only using it as a value is a mismatch.
    const Variant matrix = server->call("Matrix");
    EXPECT_TRUE(matrix.is<Opaque>());
    EXPECT_EQ(err::TypeMismatch, testing::errorOf([&] { (void)matrix.toString(); }));
    server->perform("Matrix");  // an answer nobody reads is let go as it comes
}

TEST_F(AutomationBinding, AFailureOfLateBindingItselfIsTheNumberAMacroSees) {
    const struct {
        const wchar_t* hresult;
        std::int32_t number;
    } failures[] = {{L"80020005", err::TypeMismatch},       {L"8002000A", err::Overflow},
                    {L"8002000E", err::WrongArgumentCount}, {L"80020004", err::NamedArgumentNotFound},
                    {L"80020003", err::MemberNotFound},     {L"8002000F", err::ArgumentNotOptional}};
    for (const auto& f : failures) {
        test::ScopedEnvironment fail(L"TELVORA_RECORDER_FAIL", std::wstring(L"Connect|") + f.hresult);
        EXPECT_EQ(f.number, testing::errorOf([&] { server->perform("Connect"); })) << narrow(f.hresult);
    }
}

TEST_F(AutomationBinding, APlainFailureIsTheHresultAsASignedNumber) {
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

}  // namespace
}  // namespace telvora::win32
