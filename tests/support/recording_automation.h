// A recording automation object for tests of code that drives fax software by member name: it keeps
// the properties assigned to it, records every read and call with its positional and named
// arguments, and fails where the test tells it to, as a real server would.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/errors.h"
#include "ports/automation.h"

namespace telvora::testing {

struct RecordedCall {
    std::string member;
    Args positional;
    NamedArgs named;
};

class RecordingAutomationObject final : public AutomationObject {
public:
    // A read answers what was last assigned to the member (Empty before), as does a call.
    Variant get(const std::string& member, const Args& args = {}) override;
    void put(const std::string& member, const Variant& value) override;
    Variant call(const std::string& member, const Args& args = {}, const NamedArgs& named = {}) override;
    void perform(const std::string& member, const Args& args = {}, const NamedArgs& named = {}) override {
        (void)call(member, args, named);
    }

    // Every read and call in order: through late binding a read is a call the object cannot tell apart.
    const std::vector<RecordedCall>& calls() const noexcept { return calls_; }
    // Every assignment in order.
    const std::vector<NamedArg>& puts() const noexcept { return puts_; }

    // From now on the member fails with `error`, after the call is recorded (the server has seen
    // it). Member names compare without regard to case, as late binding compares them.
    void failOn(std::string member, RuntimeError error);
    // The object has no member of that name: any use raises 438 and nothing is recorded.
    void lacks(std::string member);

private:
    void requireMember(const std::string& member) const;
    void failIfAsked(const std::string& member) const;

    std::map<std::string, Variant> properties_;  // by lower-case name
    std::vector<RecordedCall> calls_;
    std::vector<NamedArg> puts_;
    std::optional<std::pair<std::string, RuntimeError>> failure_;
    std::vector<std::string> missing_;
};

// A value as the type it travels as through late binding, colon, its text: "BSTR:PC1", "I4:5",
// "I2:1", "BOOL:True", "R8:2.500000", "EMPTY:".
std::string describeValue(const Variant& value);
// A read or call in one line: "member=Connect positional=[BSTR:first,I4:5] named=[ServerName=BSTR:PC1]".
std::string describeCall(const RecordedCall& call);

}  // namespace telvora::testing
