// What every automation binding promises the code that drives fax software by name, whatever
// carries the calls (the simulated automation, IDispatch): the same suite runs against each. A test
// program instantiates it with a binding type that owns a recording object and offers:
//
//     static constexpr const char* kProgId;      // the recording object's programmatic identifier
//     Automation& automation();
//     std::vector<std::string> calls();           // the reads and calls it saw, as describeCall writes them
//     void failOn(const std::string& member, std::int32_t number, const std::string& source,
//                 const std::string& description);  // the member fails so from now on (the last one asked)
//     void lacks(const std::string& member);      // the object has no member of that name
//
//     INSTANTIATE_TYPED_TEST_SUITE_P(Sim, AutomationContract, SimRecorderBinding);
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "base/errors.h"
#include "base/text.h"
#include "ports/automation.h"
#include "support/error_number.h"

namespace telvora::testing {

template <class Binding>
class AutomationContract : public ::testing::Test {
protected:
    std::shared_ptr<AutomationObject> create() { return binding.automation().create(Binding::kProgId); }

    Binding binding;
};

TYPED_TEST_SUITE_P(AutomationContract);

TYPED_TEST_P(AutomationContract, AnObjectThatCannotBeCreatedIsError429) {
    for (const char* progId : {"Telvora.NoSuchObject", ""}) {
        const RuntimeError e = errorRaisedBy([&] { (void)this->binding.automation().create(progId); });
        EXPECT_EQ(e.number(), err::CannotCreateObject) << progId;
        EXPECT_EQ(e.description(), "ActiveX component can't create object");
    }
}

TYPED_TEST_P(AutomationContract, APropertyReadsBackWhatWasAssignedWithItsType) {
    auto object = this->create();
    const std::vector<std::pair<std::string, Variant>> values{
        {"Subject", Variant("Quarterly report")}, {"Priority", Variant(std::int32_t{1})},
        {"Copies", Variant(std::int16_t{2})},     {"DiscountSend", Variant(true)},
        {"Rate", Variant(2.5)},
    };
    for (const auto& [name, value] : values) object->put(name, value);
    // Names are not case-sensitive; a 16-bit number does not come back as a 32-bit one.
    for (const auto& [name, value] : values) EXPECT_EQ(object->get(lowerAscii(name)), value) << name;
    object->put("Subject", Variant(""));
    EXPECT_EQ(object->get("SUBJECT"), Variant(""));
}

TYPED_TEST_P(AutomationContract, ACallsPositionalAndNamedArgumentsReachTheObjectInOrder) {
    auto object = this->create();
    (void)object->call("Connect", {Variant("first"), Variant(std::int32_t{5})},
                       {{"ServerName", Variant("PC1")}, {"Priority", Variant(std::int16_t{1})}});
    (void)object->call("GetPorts");
    (void)object->call("SetOffPeak", {Variant(std::int16_t{1}), Variant(false)});
    EXPECT_EQ(this->binding.calls(),
              (std::vector<std::string>{
                  "member=Connect positional=[BSTR:first,I4:5] named=[ServerName=BSTR:PC1,Priority=I2:1]",
                  "member=GetPorts positional=[] named=[]",
                  "member=SetOffPeak positional=[I2:1,BOOL:False] named=[]",
              }));
}

TYPED_TEST_P(AutomationContract, AnErrorTheObjectRaisesKeepsItsNumberSourceAndDescription) {
    auto object = this->create();
    // A failure HRESULT of the server shows as a signed number.
    this->binding.failOn("ConnectedSubmit", -2147023266, "FaxComEx.FaxDocument", "Unsupported type");
    RuntimeError e = errorRaisedBy([&] { (void)object->call("ConnectedSubmit", {Variant("server")}); });
    EXPECT_EQ(e.number(), -2147023266);
    EXPECT_EQ(e.source(), "FaxComEx.FaxDocument");
    EXPECT_EQ(e.description(), "Unsupported type");
    // An error a macro runtime raised shows as its own number.
    this->binding.failOn("Send", 2103, "WinFax.SDKSend", "Invalid ReportName");
    e = errorRaisedBy([&] { (void)object->call("Send", {Variant(std::int16_t{0})}); });
    EXPECT_EQ(e.number(), 2103);
    EXPECT_EQ(e.source(), "WinFax.SDKSend");
    EXPECT_EQ(e.description(), "Invalid ReportName");
    // The server saw both calls before it failed them.
    EXPECT_EQ(this->binding.calls().size(), 2u);
}

TYPED_TEST_P(AutomationContract, AMemberTheObjectDoesNotHaveIsError438) {
    auto object = this->create();
    this->binding.lacks("Frobnicate");
    EXPECT_EQ(errorOf([&] { (void)object->call("Frobnicate"); }), err::MemberNotFound);
    EXPECT_EQ(errorOf([&] { (void)object->get("frobnicate"); }), err::MemberNotFound);
    EXPECT_EQ(errorOf([&] { object->put("FROBNICATE", Variant("x")); }), err::MemberNotFound);
    EXPECT_TRUE(this->binding.calls().empty());
}

REGISTER_TYPED_TEST_SUITE_P(AutomationContract, AnObjectThatCannotBeCreatedIsError429,
                            APropertyReadsBackWhatWasAssignedWithItsType,
                            ACallsPositionalAndNamedArgumentsReachTheObjectInOrder,
                            AnErrorTheObjectRaisesKeepsItsNumberSourceAndDescription,
                            AMemberTheObjectDoesNotHaveIsError438);

}  // namespace telvora::testing
