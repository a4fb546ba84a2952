// The recording automation object.
#include "support/recording_automation.h"

#include <algorithm>

#include "base/text.h"

namespace telvora::testing {

Variant RecordingAutomationObject::get(const std::string& member, const Args& args) {
    return call(member, args, {});
}

void RecordingAutomationObject::put(const std::string& member, const Variant& value) {
    requireMember(member);
    puts_.push_back({member, value});
    failIfAsked(member);
    properties_[lowerAscii(member)] = value;
}

Variant RecordingAutomationObject::call(const std::string& member, const Args& args, const NamedArgs& named) {
    requireMember(member);
    calls_.push_back({member, args, named});
    failIfAsked(member);
    const auto it = properties_.find(lowerAscii(member));
    return it == properties_.end() ? Variant() : it->second;
}

void RecordingAutomationObject::failOn(std::string member, RuntimeError error) {
    failure_.emplace(std::move(member), std::move(error));
}

void RecordingAutomationObject::lacks(std::string member) { missing_.push_back(std::move(member)); }

void RecordingAutomationObject::requireMember(const std::string& member) const {
    const bool missing = std::any_of(missing_.begin(), missing_.end(),
                                     [&](const std::string& m) { return equalsIgnoringCase(m, member); });
    if (missing) throw RuntimeError::standard(err::MemberNotFound);
}

void RecordingAutomationObject::failIfAsked(const std::string& member) const {
    if (failure_ && equalsIgnoringCase(failure_->first, member)) throw failure_->second;
}

std::string describeValue(const Variant& value) { return describeTyped(value); }

std::string describeCall(const RecordedCall& call) {
    std::string line = "member=" + call.member + " positional=[";
    for (std::size_t i = 0; i < call.positional.size(); ++i) {
        if (i) line += ',';
        line += describeValue(call.positional[i]);
    }
    line += "] named=[";
    for (std::size_t i = 0; i < call.named.size(); ++i) {
        if (i) line += ',';
        line += call.named[i].name + "=" + describeValue(call.named[i].value);
    }
    return line + "]";
}

}  // namespace telvora::testing
