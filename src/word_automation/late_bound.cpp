// Calls on Word's objects with identifiers looked up once per interface.
#include "word_automation/late_bound.h"

#include "base/errors.h"

namespace telvora::word_automation {

void raiseNothing() { throw RuntimeError::objectNotSet(kWordSource); }

const std::vector<MemberId>& MemberIds::of(IdentifiedMembers& object, std::string_view interfaceName,
                                           const std::string& member,
                                           const std::vector<std::string>& argumentNames) {
    // Named arguments have identifiers of their own member's, so they are part of the key.
    std::string key(interfaceName);
    key += '.';
    key += member;
    for (const auto& name : argumentNames) {
        key += '|';
        key += name;
    }
    if (const auto it = ids_.find(key); it != ids_.end()) return it->second;
    // A failed lookup raises and caches nothing: the next call asks again.
    auto ids = object.identify(member, argumentNames);
    if (ids.size() != argumentNames.size() + 1)
        throw RuntimeError(err::InternalError, "The object answered " + std::to_string(ids.size()) +
                                                   " identifiers for " + key + ".", kWordSource);
    return ids_.emplace(std::move(key), std::move(ids)).first->second;
}

Bound::Bound(std::shared_ptr<AutomationObject> object, std::string_view interfaceName, std::shared_ptr<MemberIds> ids)
    : object_(std::move(object)),
      identified_(dynamic_cast<IdentifiedMembers*>(object_.get())),
      interface_(interfaceName),
      ids_(std::move(ids)) {
    if (!object_) raiseNothing();
}

const std::vector<MemberId>& Bound::idsOf(const char* member, const std::vector<std::string>& argumentNames) const {
    return ids_->of(*identified_, interface_, member, argumentNames);
}

Variant Bound::get(const char* member, const Args& args) const { return call(member, args); }

void Bound::put(const char* member, const Variant& value) const {
    if (!identified_) return object_->put(member, value);
    identified_->assign(idsOf(member, {}).front(), value);
}

std::pair<MemberId, std::vector<NamedValue>> Bound::identified(const char* member, const NamedArgs& named) const {
    std::vector<std::string> names;
    names.reserve(named.size());
    for (const auto& n : named) names.push_back(n.name);
    const auto& ids = idsOf(member, names);
    std::vector<NamedValue> values;
    values.reserve(named.size());
    for (std::size_t i = 0; i < named.size(); ++i) values.push_back({ids[i + 1], named[i].value});
    return {ids.front(), std::move(values)};
}

Variant Bound::call(const char* member, const Args& args, const NamedArgs& named) const {
    if (!identified_) return object_->call(member, args, named);
    const auto [id, values] = identified(member, named);
    return identified_->invoke(id, args, values);
}

void Bound::perform(const char* member, const Args& args, const NamedArgs& named) const {
    if (!identified_) return object_->perform(member, args, named);
    const auto [id, values] = identified(member, named);
    identified_->perform(id, args, values);
}

Bound Bound::object(const char* member, std::string_view interfaceName, const Args& args, const NamedArgs& named) const {
    const Variant answer = call(member, args, named);
    if (answer.isEmpty()) raiseNothing();
    // A value that is no object where the member should answer one, as a macro's Set refuses it.
    if (!answer.is<Variant::Object>()) throw RuntimeError::standard(err::TypeMismatch, kWordSource);
    return Bound(answer.get<Variant::Object>(), interfaceName, ids_);
}

Bound Bound::as(std::string_view interfaceName) const { return Bound(object_, interfaceName, ids_); }

}  // namespace telvora::word_automation
