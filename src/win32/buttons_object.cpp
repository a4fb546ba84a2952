// The command table as a dispatch table.
#include "win32/buttons_object.h"

#include "host/buttons.h"
#include "win32/class_ids.h"

namespace telvora::win32 {
namespace {

DispatchType resultType(Buttons::ResultKind kind) {
    switch (kind) {
    case Buttons::ResultKind::Text: return DispatchType::String;
    case Buttons::ResultKind::Boolean: return DispatchType::Boolean;
    case Buttons::ResultKind::None: break;
    }
    return DispatchType::None;
}

DispatchTable makeTable() {
    std::vector<DispatchMember> members;
    const auto methods = Buttons::methods();
    for (std::size_t i = 0; i < methods.size(); ++i) {
        std::vector<DispatchParam> params;
        for (std::size_t k = 0; k < methods[i].argCount; ++k)
            params.push_back({DispatchType::String, true, methods[i].params[k]});
        members.push_back({methods[i].name, static_cast<DISPID>(i + 1), MemberKind::Method, std::move(params),
                           resultType(methods[i].result)});
    }
    return DispatchTable(std::move(members), kDiidButtons);
}

// The command's texts, handed back to the arguments however the command ends.
class TextArguments {
public:
    explicit TextArguments(std::span<Variant> args) : args_(args) {
        for (const auto& a : args_) texts_.push_back(a.get<std::string>());
    }
    ~TextArguments() {
        for (std::size_t i = 0; i < texts_.size(); ++i) args_[i] = Variant(std::move(texts_[i]));
    }
    TextArguments(const TextArguments&) = delete;
    TextArguments& operator=(const TextArguments&) = delete;
    std::span<std::string> texts() noexcept { return texts_; }

private:
    std::span<Variant> args_;
    std::vector<std::string> texts_;
};

}  // namespace

ButtonsObject::ButtonsObject() : ByNameDispatch(table()) { (void)module::addin(); }

const DispatchTable& ButtonsObject::table() {
    static const DispatchTable table = makeTable();
    return table;
}

Variant ButtonsObject::invokeMember(const DispatchMember& member, std::span<Variant> args) {
    TextArguments texts(args);
    Buttons buttons(module::addin());
    return buttons.invoke(static_cast<std::size_t>(member.id - 1), texts.texts());
}

}  // namespace telvora::win32
