// The builder's part of Word's object model, over the served word processor's application.
#include "word_host/template_building.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "base/errors.h"
#include "base/text.h"
#include "win32/text.h"

namespace telvora::win32::host {
namespace {

constexpr const char* kWord = "Microsoft Word";
// The members answered here are numbered far above any the served objects use.
constexpr MemberId kOwnIds = 0x40000000;

// An object whose members are a table of readers and writers; a member it does not have goes on
// to `fallback`, the served object it extends, when there is one.
class BuilderObject final : public AutomationObject, public IdentifiedMembers {
public:
    using Reader = std::function<Variant(const Args&)>;
    using Writer = std::function<void(const Variant&)>;
    struct Member {
        std::string name;
        Reader read;
        Writer write;
    };

    explicit BuilderObject(std::vector<Member> members, std::shared_ptr<AutomationObject> fallback = nullptr)
        : members_(std::move(members)), fallback_(std::move(fallback)) {}

    std::vector<MemberId> identify(const std::string& member, const std::vector<std::string>& argumentNames) override {
        for (std::size_t i = 0; i < members_.size(); ++i) {
            if (!equalsIgnoringCase(members_[i].name, member)) continue;
            // The builder passes its arguments by position, as a script without named arguments must.
            if (!argumentNames.empty()) throw RuntimeError::standard(err::NamedArgumentNotFound, kWord);
            return {kOwnIds + static_cast<MemberId>(i)};
        }
        return fallbackMembers().identify(member, argumentNames);
    }
    Variant invoke(MemberId id, const Args& args, const std::vector<NamedValue>& named) override {
        if (const Member* m = own(id)) {
            if (!m->read) throw RuntimeError::standard(err::MemberNotFound, kWord);
            return m->read(args);
        }
        return fallbackMembers().invoke(id, args, named);
    }
    void assign(MemberId id, const Variant& value) override {
        if (const Member* m = own(id)) {
            if (!m->write) throw RuntimeError::standard(err::MemberNotFound, kWord);
            return m->write(value);
        }
        fallbackMembers().assign(id, value);
    }
    Variant get(const std::string& member, const Args& args) override { return invoke(identify(member, {}).front(), args, {}); }
    void put(const std::string& member, const Variant& value) override { assign(identify(member, {}).front(), value); }
    Variant call(const std::string& member, const Args& args, const NamedArgs& named) override {
        if (!named.empty()) throw RuntimeError::standard(err::NamedArgumentNotFound, kWord);
        return invoke(identify(member, {}).front(), args, {});
    }
    void perform(const std::string& member, const Args& args, const NamedArgs& named) override {
        (void)call(member, args, named);
    }
    void perform(MemberId id, const Args& args, const std::vector<NamedValue>& named) override {
        (void)invoke(id, args, named);
    }

private:
    const Member* own(MemberId id) const noexcept {
        const auto index = static_cast<std::size_t>(id - kOwnIds);
        return id >= kOwnIds && index < members_.size() ? &members_[index] : nullptr;
    }
    IdentifiedMembers& fallbackMembers() {
        auto* members = dynamic_cast<IdentifiedMembers*>(fallback_.get());
        if (!members) throw RuntimeError::standard(err::MemberNotFound, kWord);
        return *members;
    }

    std::vector<Member> members_;
    std::shared_ptr<AutomationObject> fallback_;
};

using Record = std::shared_ptr<TemplateBuildRecord>;
using Member = BuilderObject::Member;

Variant object(std::vector<Member> members, std::shared_ptr<AutomationObject> fallback = nullptr) {
    return Variant(Variant::Object(std::make_shared<BuilderObject>(std::move(members), std::move(fallback))));
}

const Variant& argument(const Args& args, std::size_t i) {
    static const Variant missing;
    return i < args.size() ? args[i] : missing;
}

// A property of an entry the record holds; `field` finds it afresh at each call, as the record's
// lists grow while the builder works.
template <class T>
using Field = std::function<T&()>;

Member text(std::string name, Field<std::string> field) {
    return {std::move(name), [field](const Args&) { return Variant(field()); },
            [field](const Variant& v) { field() = v.toString(); }};
}
Member number(std::string name, Field<int> field) {
    return {std::move(name), [field](const Args&) { return Variant(std::int32_t{field()}); },
            [field](const Variant& v) { field() = v.toInt32(); }};
}
Member flag(std::string name, Field<bool> field) {
    return {std::move(name), [field](const Args&) { return Variant(field()); },
            [field](const Variant& v) { field() = v.toBool(); }};
}

// A module file as Word's macro editor reads it on import.
std::string readModule(const std::string& path) {
    std::ifstream in(std::filesystem::path(widen(path)), std::ios::binary);
    if (!in) throw RuntimeError(err::FileNotFound, "File not found", kWord);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

// The objects keep the record alive and find their entry by position: entries are added, never
// removed, while the host runs.
Variant control(Record r, std::size_t bar, std::size_t index) {
    const auto c = [r, bar, index]() -> BuiltControl& { return r->bars[bar].controls[index]; };
    return object({text("Caption", [c]() -> std::string& { return c().caption; }),
                   text("TooltipText", [c]() -> std::string& { return c().tooltip; }),
                   text("OnAction", [c]() -> std::string& { return c().onAction; }),
                   text("Tag", [c]() -> std::string& { return c().tag; }),
                   number("FaceId", [c]() -> int& { return c().faceId; }),
                   number("Style", [c]() -> int& { return c().style; }),
                   flag("BeginGroup", [c]() -> bool& { return c().beginGroup; })});
}

Variant controls(Record r, std::size_t bar) {
    return object({
        {"Count", [r, bar](const Args&) { return Variant(static_cast<std::int32_t>(r->bars[bar].controls.size())); }, {}},
        {"Add",
         [r, bar](const Args& a) {
             auto& list = r->bars[bar].controls;
             BuiltControl added;
             added.type = argument(a, 0).isEmpty() ? 1 : argument(a, 0).toInt32();
             list.push_back(added);
             return control(r, bar, list.size() - 1);
         },
         {}},
    });
}

Variant commandBar(Record r, std::size_t index) {
    return object({{"Name", [r, index](const Args&) { return Variant(r->bars[index].name); }, {}},
                   {"Controls", [r, index](const Args&) { return controls(r, index); }, {}},
                   flag("Visible", [r, index]() -> bool& { return r->bars[index].visible; })});
}

Variant commandBars(Record r, std::shared_ptr<AutomationObject> served) {
    return object({{"Add",
                    [r](const Args& a) {
                        // Word's defaults: a floating bar, no menu bar, kept (not temporary).
                        BuiltBar bar;
                        bar.name = argument(a, 0).toString();
                        bar.position = argument(a, 1).isEmpty() ? 4 : argument(a, 1).toInt32();
                        bar.menuBar = !argument(a, 2).isEmpty() && argument(a, 2).toBool();
                        bar.temporary = !argument(a, 3).isEmpty() && argument(a, 3).toBool();
                        bar.context = r->context;
                        r->bars.push_back(bar);
                        return commandBar(r, r->bars.size() - 1);
                    },
                    {}}},
                  std::move(served));
}

Variant document(Record r, std::size_t index) {
    const auto entry = [r, index]() -> BuiltDocument& { return r->documents[index]; };
    return object({
        {"Name", [entry](const Args&) { return Variant(entry().name); }, {}},
        {"VBProject",
         [r, entry](const Args&) {
             if (!r->projectAccessTrusted)
                 throw RuntimeError(6068, "Programmatic access to Visual Basic Project is not trusted", kWord);
             return object({{"VBComponents",
                             [entry](const Args&) {
                                 return object({{"Import",
                                                 [entry](const Args& a) {
                                                     entry().importedModules.push_back(readModule(argument(a, 0).toString()));
                                                     return object({});
                                                 },
                                                 {}}});
                             },
                             {}}});
         },
         {}},
        {"SaveAs",
         [entry](const Args& a) {
             entry().savedAs = argument(a, 0).toString();
             entry().saveFormat = argument(a, 1).isEmpty() ? 0 : argument(a, 1).toInt32();
             return Variant();
         },
         {}},
        {"Close",
         [entry](const Args& a) {
             entry().closed = true;
             entry().closeSaveChanges = argument(a, 0).isEmpty() ? -2 : argument(a, 0).toInt32();
             return Variant();
         },
         {}},
    });
}

Variant documents(Record r, std::shared_ptr<AutomationObject> served) {
    return object({{"Add",
                    [r](const Args& a) {
                        const bool isTemplate = !argument(a, 1).isEmpty() && argument(a, 1).toBool();
                        BuiltDocument added;
                        added.name = (isTemplate ? "Template" : "Document") + std::to_string(r->documents.size() + 1);
                        added.isTemplate = isTemplate;
                        r->documents.push_back(added);
                        return document(r, r->documents.size() - 1);
                    },
                    {}}},
                  std::move(served));
}

}  // namespace

std::shared_ptr<AutomationObject> withTemplateBuilding(std::shared_ptr<AutomationObject> application, Record record) {
    auto served = application;
    return std::make_shared<BuilderObject>(
        std::vector<Member>{
            {"Documents", [record, served](const Args&) { return documents(record, served->get("Documents").toObject()); }, {}},
            {"CommandBars", [record, served](const Args&) { return commandBars(record, served->get("CommandBars").toObject()); }, {}},
            {"CustomizationContext",
             [record](const Args&) {
                 const std::string name = record->context;
                 return object({{"Name", [name](const Args&) { return Variant(name); }, {}}});
             },
             [record](const Variant& v) { record->context = v.toObject()->get("Name").toString(); }},
            {"Quit",
             [record](const Args&) {
                 record->quit = true;
                 return Variant();
             },
             {}},
        },
        std::move(application));
}

}  // namespace telvora::win32::host
