// Word's object model called as a macro calls it, by member name through the automation port, with
// each member's identifier looked up once per interface for as long as the connection to Word lasts.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/variant.h"
#include "ports/automation.h"

namespace telvora::word_automation {

// The source of the errors the mapping raises itself, as Word names itself in its own.
inline constexpr const char* kWordSource = "Microsoft Word";

// The identifiers looked up so far, by interface, member and named-argument names. One per
// connection to Word, shared by every object reached through it: a merge over thousands of records
// then pays one round trip per call, not two.
class MemberIds {
public:
    const std::vector<MemberId>& of(IdentifiedMembers& object, std::string_view interfaceName,
                                    const std::string& member, const std::vector<std::string>& argumentNames);

private:
    std::map<std::string, std::vector<MemberId>, std::less<>> ids_;
};

// One object of Word's model seen through one of its interfaces. Calls go by identifier where the
// object publishes identifiers and by name otherwise; errors are Word's own, as the binding reports
// them.
class Bound {
public:
    Bound(std::shared_ptr<AutomationObject> object, std::string_view interfaceName, std::shared_ptr<MemberIds> ids);

    Variant get(const char* member, const Args& args = {}) const;
    void put(const char* member, const Variant& value) const;
    Variant call(const char* member, const Args& args = {}, const NamedArgs& named = {}) const;
    // A call whose answer is not read (Word's Delete, Update, PrintOut ...): let go unconverted.
    void perform(const char* member, const Args& args = {}, const NamedArgs& named = {}) const;
    // An object-valued member, seen as `interfaceName`. Where Word answers Nothing, this raises 91
    // (a macro's next call on Nothing would), so no caller ever holds an empty object.
    Bound object(const char* member, std::string_view interfaceName, const Args& args = {},
                 const NamedArgs& named = {}) const;
    // The same object through another of its interfaces (a pop-up control is a control too).
    Bound as(std::string_view interfaceName) const;

    std::string text(const char* member) const { return get(member).toString(); }
    std::int32_t number(const char* member) const { return get(member).toInt32(); }
    bool boolean(const char* member) const { return get(member).toBool(); }

    const std::shared_ptr<AutomationObject>& automationObject() const noexcept { return object_; }
    const std::shared_ptr<MemberIds>& ids() const noexcept { return ids_; }

private:
    const std::vector<MemberId>& idsOf(const char* member, const std::vector<std::string>& argumentNames) const;
    // The member's identifier and its named arguments by identifier.
    std::pair<MemberId, std::vector<NamedValue>> identified(const char* member, const NamedArgs& named) const;

    std::shared_ptr<AutomationObject> object_;
    IdentifiedMembers* identified_;  // the same object's calls by identifier; null when it has none
    std::string interface_;
    std::shared_ptr<MemberIds> ids_;
};

// Raises 91 with Word as the source: Word supplied no object where one was expected.
[[noreturn]] void raiseNothing();

}  // namespace telvora::word_automation
