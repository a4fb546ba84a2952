// Word's object model over the in-memory word processor, member by member.
#include "sim/word/served_word.h"

#include <functional>
#include <map>
#include <optional>
#include <stdexcept>

#include "base/text.h"
#include "documented/members.h"

namespace telvora::sim {

using word::FontAttribute;

struct ServedWord::State : std::enable_shared_from_this<ServedWord::State> {
    std::shared_ptr<WordProcessor> word;
    std::shared_ptr<word::AddIns> addIns;
    std::vector<std::string> calls;
    std::vector<std::string> lookups;
    std::vector<std::pair<std::string, RuntimeError>> failures;
    // Answers of a type Word's documentation does not give (each raised as a logic error too).
    std::vector<std::string> violations;
    std::optional<std::pair<std::size_t, RuntimeError>> failingCall;
    AutomationEvents::Handler subscriber;
    // Whether calls and lookups are kept as lines; every call is counted either way.
    bool recording = true;
    std::size_t callCount = 0;

    // A call answered: counted, kept when recording (the line is made only then), and failed
    // when a test asked for it.
    template <class Line>
    void called(const std::string& member, Line&& line) {
        ++callCount;
        if (recording) calls.push_back(line());
        for (const auto& [name, error] : failures)
            if (equalsIgnoringCase(name, member)) throw error;
        if (failingCall && failingCall->first == callCount) throw failingCall->second;
    }
};

namespace {

using State = ServedWord::State;
constexpr const char* kWord = "Microsoft Word";

[[noreturn]] void wordError(std::int32_t number, const std::string& description) {
    throw RuntimeError(number, description, kWord);
}

// The documented member an interface's member stands for: Word's own classes, the Office command
// bars, and a control seen as the pop-up it may be. A member the table does not list is one the
// add-in must not call: that is a violation too.
const documented::Member& documentedMember(State& state, const std::string& face, const std::string& member) {
    for (const std::string& cls : {"Word." + face, "Office." + face, std::string("Office.CommandBarPopup")}) {
        if (cls == "Office.CommandBarPopup" && face != "CommandBarControl") continue;
        if (const auto* m = documented::find(cls, member)) return *m;
    }
    state.violations.push_back("Word's " + face + "." + member + " is not among the documented members the add-in calls");
    throw std::logic_error(state.violations.back());
}

// The arguments of one call by parameter position: positional ones first, named ones at the
// position of their name.
class Arguments {
public:
    explicit Arguments(std::vector<std::optional<Variant>> values) : values_(std::move(values)) {}
    bool has(std::size_t i) const { return i < values_.size() && values_[i] && !values_[i]->isEmpty(); }
    const Variant& at(std::size_t i) const {
        if (!has(i)) wordError(449, "Argument not optional");
        return *values_[i];
    }
    // The named view Word's print takes.
    NamedArgs named(const std::vector<std::string>& parameters) const {
        NamedArgs out;
        for (std::size_t i = 0; i < values_.size() && i < parameters.size(); ++i)
            if (values_[i]) out.push_back({parameters[i], *values_[i]});
        return out;
    }

private:
    std::vector<std::optional<Variant>> values_;
};

class ServedObject;
using Getter = std::function<Variant(ServedObject&, const Arguments&)>;
using Setter = std::function<void(ServedObject&, const Variant&)>;

struct Member {
    Member(std::string n, std::vector<std::string> p, Getter g, Setter s = {})
        : name(std::move(n)), parameters(std::move(p)), get(std::move(g)), put(std::move(s)) {}
    std::string name;
    std::vector<std::string> parameters;
    Getter get;  // a read or a method call
    Setter put;  // an assignment; empty for a member that takes none
};

struct Interface {
    std::string name;
    std::vector<Member> members;  // a member's identifier is its position, from 1
};

// One object of the model: the port object it stands for, seen through one interface.
class ServedObject final : public AutomationObject, public IdentifiedMembers {
public:
    ServedObject(std::shared_ptr<State> state, const Interface& face, std::shared_ptr<void> target)
        : state_(std::move(state)), face_(face), target_(std::move(target)) {}

    template <class T>
    T& target() const {
        return *static_cast<T*>(target_.get());
    }
    template <class T>
    std::shared_ptr<T> shared() const {
        return std::static_pointer_cast<T>(target_);
    }
    State& state() const { return *state_; }
    const std::shared_ptr<State>& statePtr() const { return state_; }
    const Interface& face() const { return face_; }

    // Late binding by name looks the member up at every call, as a macro's call by name does.
    Variant get(const std::string& member, const Args& args) override { return call(member, args, {}); }
    void put(const std::string& member, const Variant& value) override { assign(identify(member, {}).front(), value); }
    Variant call(const std::string& member, const Args& args, const NamedArgs& named) override {
        std::vector<std::string> names;
        for (const auto& n : named) names.push_back(n.name);
        const auto ids = identify(member, names);
        std::vector<NamedValue> values;
        for (std::size_t i = 0; i < named.size(); ++i) values.push_back({ids[i + 1], named[i].value});
        return invoke(ids.front(), args, values);
    }
    void perform(const std::string& member, const Args& args, const NamedArgs& named) override {
        (void)call(member, args, named);
    }
    void perform(MemberId id, const Args& args, const std::vector<NamedValue>& named) override {
        (void)invoke(id, args, named);
    }

    std::vector<MemberId> identify(const std::string& member, const std::vector<std::string>& argumentNames) override {
        if (state_->recording) {
            std::string line = face_.name + "." + member;
            if (!argumentNames.empty()) {
                line += "(";
                for (std::size_t i = 0; i < argumentNames.size(); ++i) line += (i ? ", " : "") + argumentNames[i];
                line += ")";
            }
            state_->lookups.push_back(line);
        }
        std::vector<MemberId> ids;
        const std::size_t index = indexOf(member);
        ids.push_back(static_cast<MemberId>(index + 1));
        const auto& parameters = face_.members[index].parameters;
        for (const auto& name : argumentNames) {
            std::size_t p = 0;
            while (p < parameters.size() && !equalsIgnoringCase(parameters[p], name)) ++p;
            if (p == parameters.size()) throw RuntimeError::standard(err::NamedArgumentNotFound, kWord);
            ids.push_back(static_cast<MemberId>(p));
        }
        return ids;
    }

    Variant invoke(MemberId id, const Args& args, const std::vector<NamedValue>& named) override {
        const Member& m = memberById(id);
        state_->called(face_.name + "." + m.name, [&] {
            std::string line = face_.name + "." + m.name;
            if (args.empty() && named.empty()) return line;
            line += "(";
            bool first = true;
            for (const auto& a : args) {
                line += (first ? "" : ", ") + describeTyped(a);
                first = false;
            }
            for (const auto& n : named) {
                const auto index = static_cast<std::size_t>(n.id);
                const std::string name = index < m.parameters.size() ? m.parameters[index] : "?";
                line += (first ? "" : ", ") + name + ":=" + describeTyped(n.value);
                first = false;
            }
            return line + ")";
        });
        if (!m.get) wordError(err::MemberNotFound, "Object doesn't support this property or method");
        if (args.size() > m.parameters.size())
            wordError(450, "Wrong number of arguments or invalid property assignment");
        std::vector<std::optional<Variant>> values(m.parameters.size());
        for (std::size_t i = 0; i < args.size(); ++i) values[i] = args[i];
        for (const auto& n : named) {
            const auto index = static_cast<std::size_t>(n.id);
            if (n.id < 0 || index >= m.parameters.size()) throw RuntimeError::standard(err::NamedArgumentNotFound, kWord);
            values[index] = n.value;
        }
        const documented::Member& documented = documentedMember(*state_, face_.name, m.name);
        return documented::checkedAnswer(documented, m.get(*this, Arguments(std::move(values))), state_->violations);
    }

    void assign(MemberId id, const Variant& value) override {
        const Member& m = memberById(id);
        state_->called(face_.name + "." + m.name, [&] { return face_.name + "." + m.name + " = " + describeTyped(value); });
        if (!m.put) wordError(450, "Wrong number of arguments or invalid property assignment");
        // Word takes what its type library lets DispInvoke convert, and refuses the rest.
        const auto coerced = documented::coerce(documentedMember(*state_, face_.name, m.name).type, value);
        if (!coerced) wordError(err::TypeMismatch, "Type mismatch");
        m.put(*this, *coerced);
    }

private:
    std::size_t indexOf(const std::string& member) const {
        for (std::size_t i = 0; i < face_.members.size(); ++i)
            if (equalsIgnoringCase(face_.members[i].name, member)) return i;
        throw RuntimeError::standard(err::MemberNotFound, kWord);
    }
    const Member& memberById(MemberId id) const {
        if (id < 1 || static_cast<std::size_t>(id) > face_.members.size())
            wordError(err::MemberNotFound, "Object doesn't support this property or method");
        return face_.members[static_cast<std::size_t>(id - 1)];
    }

    std::shared_ptr<State> state_;
    const Interface& face_;
    std::shared_ptr<void> target_;
};

// The interfaces, built once; each names what it serves.
const Interface& applicationInterface();
const Interface& documentsInterface();
const Interface& documentInterface();
const Interface& windowInterface();
const Interface& selectionInterface();
const Interface& rangeInterface();
const Interface& findInterface();
const Interface& fontInterface();
const Interface& stylesInterface();
const Interface& styleInterface();
const Interface& fieldsInterface();
const Interface& fieldInterface();
const Interface& mailMergeInterface();
const Interface& dataSourceInterface();
const Interface& fieldNamesInterface();
const Interface& fieldNameInterface();
const Interface& dataFieldsInterface();
const Interface& dataFieldInterface();
const Interface& commandBarsInterface();
const Interface& commandBarInterface();
const Interface& controlsInterface();
const Interface& controlInterface();
const Interface& addInsInterface();
const Interface& addInInterface();

template <class T>
Variant serve(const ServedObject& from, const Interface& face, std::shared_ptr<T> target) {
    return Variant(Variant::Object(std::make_shared<ServedObject>(from.statePtr(), face, std::move(target))));
}

// A document found by name in the documents collection: the port activates documents by name only.
struct NamedDocument {
    std::shared_ptr<word::Documents> documents;
    std::string name;
};
// What a served document stands for: an open document, or one found by name.
struct DocumentTarget {
    std::shared_ptr<word::Document> document;
    std::optional<NamedDocument> byName;
    word::Document& open() const {
        if (!document) wordError(err::MemberNotFound, "The test host serves only Name and Activate of a document found by name.");
        return *document;
    }
};
// A data field is read from the data source's active record when its value is asked for.
struct DataFieldTarget {
    std::shared_ptr<word::MailMergeDataSource> source;
    std::string name;
};
using FieldNameList = std::vector<std::string>;

Variant serveDocument(const ServedObject& from, std::shared_ptr<word::Document> document) {
    return serve(from, documentInterface(), std::make_shared<DocumentTarget>(DocumentTarget{std::move(document), {}}));
}

// Word raises its own error where a port raises 91 for "no document is open".
template <class Call>
Variant documentBound(Call&& call) {
    try {
        return call();
    } catch (const RuntimeError& e) {
        if (e.number() == err::ObjectNotSet)
            wordError(kWordNoDocumentOpen, "This command is not available because no document is open.");
        throw;
    }
}

template <class T>
Getter method(std::function<Variant(T&, const ServedObject&, const Arguments&)> f) {
    return [f](ServedObject& o, const Arguments& a) { return f(o.target<T>(), o, a); };
}
template <class T>
Setter setter(std::function<void(T&, const ServedObject&, const Variant&)> f) {
    return [f](ServedObject& o, const Variant& v) { f(o.target<T>(), o, v); };
}
// A read of one of the target's values.
template <class T, class F>
Getter value(F f) {
    return [f](ServedObject& o, const Arguments&) { return Variant(f(o.target<T>())); };
}
// A call that does something and answers nothing.
template <class T, class F>
Getter action(F f) {
    return [f](ServedObject& o, const Arguments&) {
        f(o.target<T>());
        return Variant();
    };
}
// A read of another object of the model, served through `face`.
template <class T, class F>
Getter child(const Interface& (*face)(), F f) {
    return [face, f](ServedObject& o, const Arguments&) { return serve(o, face(), f(o.target<T>())); };
}

const std::vector<std::string> kPrintOutParameters = {
    "Background", "Append", "Range", "OutputFileName", "From", "To", "Item", "Copies", "Pages", "PageType",
    "PrintToFile", "Collate", "FileName"};

const Interface& applicationInterface() {
    using A = WordProcessor;
    static const Interface face{
        "Application",
        {{"ActiveDocument", {}, method<A>([](A& w, const ServedObject& o, const Arguments&) {
              return documentBound([&] { return serveDocument(o, w.activeDocument()); });
          })},
         {"Selection", {}, method<A>([](A& w, const ServedObject& o, const Arguments&) {
              return documentBound([&] { return serve(o, selectionInterface(), w.selection()); });
          })},
         {"Documents", {}, child<A>(documentsInterface, [](A& w) { return w.documents(); })},
         {"CommandBars", {}, child<A>(commandBarsInterface, [](A& w) { return w.commandBars(); })},
         {"AddIns", {}, method<A>([](A& w, const ServedObject& o, const Arguments&) {
              const auto& own = o.state().addIns;
              return serve(o, addInsInterface(), own ? own : w.addIns());
          })},
         {"ActivePrinter", {}, value<A>([](A& w) { return w.activePrinter(); }),
          setter<A>([](A& w, const ServedObject&, const Variant& v) { w.setActivePrinter(v.toString()); })},
         // With a file name Word prints that file; without one, the active document.
         {"PrintOut", kPrintOutParameters, method<A>([](A& w, const ServedObject&, const Arguments& a) {
              if (a.has(12)) {
                  w.printFile(a.at(12).toString());
              } else {
                  w.PrintOut(a.named(kPrintOutParameters));
              }
              return Variant();
          })},
         {"Path", {}, value<A>([](A& w) { return w.path(); })},
         {"StatusBar", {}, value<A>([](A& w) { return w.statusBar(); }),
          setter<A>([](A& w, const ServedObject&, const Variant& v) { w.setStatusBar(v.toString()); })}}};
    return face;
}

const Interface& documentsInterface() {
    using D = word::Documents;
    static const Interface face{
        "Documents",
        {{"Count", {}, value<D>([](D& d) { return d.count(); })},
         {"Item", {"Index"}, method<D>([](D&, const ServedObject& o, const Arguments& a) {
              const std::string name = a.at(0).toString();
              bool open = false;
              for (const auto& n : o.state().word->documentNames()) open = open || equalsIgnoringCase(n, name);
              if (!open) wordError(err::CollectionMemberMissing, "The requested member of the collection does not exist.");
              return serve(o, documentInterface(),
                           std::make_shared<DocumentTarget>(DocumentTarget{nullptr, NamedDocument{o.shared<D>(), name}}));
          })}}};
    return face;
}

const Interface& documentInterface() {
    using T = DocumentTarget;
    static const Interface face{
        "Document",
        {{"Name", {}, value<T>([](T& d) { return d.byName ? d.byName->name : d.open().name(); })},
         {"Content", {}, child<T>(rangeInterface, [](T& d) { return d.open().content(); })},
         {"Styles", {}, child<T>(stylesInterface, [](T& d) { return d.open().styles(); })},
         {"Fields", {}, child<T>(fieldsInterface, [](T& d) { return d.open().fields(); })},
         {"MailMerge", {}, child<T>(mailMergeInterface, [](T& d) { return d.open().mailMerge(); })},
         {"Close", {"SaveChanges", "OriginalFormat", "RouteDocument"},
          method<T>([](T& d, const ServedObject&, const Arguments& a) {
              d.open().Close(a.has(0) ? a.at(0).toInt32() : -2);
              return Variant();
          })},
         // A document's own print: the port's one is in the foreground with Word's defaults.
         {"PrintOut", kPrintOutParameters, method<T>([](T& d, const ServedObject&, const Arguments& a) {
              if (!a.has(0) || a.at(0).toBool())
                  wordError(4605, "The test host prints documents in the foreground only.");
              d.open().PrintOut();
              return Variant();
          })},
         {"Activate", {}, method<T>([](T& d, const ServedObject& o, const Arguments&) {
              if (d.byName) {
                  d.byName->documents->activate(d.byName->name);
              } else {
                  o.state().word->documents()->activate(d.open().name());
              }
              return Variant();
          })}}};
    return face;
}

const Interface& windowInterface() {
    using W = word::Window;
    static const Interface face{
        "Window",
        {{"EnvelopeVisible", {}, value<W>([](W& w) { return w.envelopeVisible(); })}}};
    return face;
}

const Interface& selectionInterface() {
    using S = word::Selection;
    static const Interface face{
        "Selection",
        {{"Range", {}, child<S>(rangeInterface, [](S& s) { return s.range(); })},
         // Word takes a style object or a style's name.
         {"Style", {}, {}, setter<S>([](S& s, const ServedObject& o, const Variant& v) {
              if (v.is<Variant::Object>()) {
                  const auto& object = v.get<Variant::Object>();
                  const auto* style = dynamic_cast<const ServedObject*>(object.get());
                  if (!style || &style->face() != &styleInterface())
                      throw RuntimeError::standard(err::TypeMismatch, kWord);
                  s.setStyle(style->shared<word::Style>());
              } else {
                  s.setStyle(o.state().word->activeDocument()->styles()->item(v.toString()));
              }
          })}}};
    return face;
}

const Interface& rangeInterface() {
    using R = word::Range;
    static const Interface face{
        "Range",
        {{"Text", {}, value<R>([](R& r) { return r.text(); })},
         {"Start", {}, value<R>([](R& r) { return r.start(); })},
         {"End", {}, value<R>([](R& r) { return r.end(); })},
         {"Find", {}, child<R>(findInterface, [](R& r) { return r.find(); })},
         {"Font", {}, child<R>(fontInterface, [](R& r) { return r.font(); })}}};
    return face;
}

const Interface& findInterface() {
    using F = word::Find;
    static const Interface face{
        "Find",
        {{"ClearFormatting", {}, action<F>([](F& f) { f.ClearFormatting(); })},
         {"ClearAllFuzzyOptions", {}, action<F>([](F& f) { f.ClearAllFuzzyOptions(); })},
         {"Forward", {}, {}, setter<F>([](F& f, const ServedObject&, const Variant& v) { f.setForward(v.toBool()); })},
         {"Wrap", {}, {}, setter<F>([](F& f, const ServedObject&, const Variant& v) { f.setWrap(v.toInt32()); })},
         {"Text", {}, {}, setter<F>([](F& f, const ServedObject&, const Variant& v) { f.setText(v.toString()); })},
         {"Style", {}, {}, setter<F>([](F& f, const ServedObject&, const Variant& v) { f.setStyle(v.toString()); })},
         {"Execute",
          {"FindText", "MatchCase", "MatchWholeWord", "MatchWildcards", "MatchSoundsLike", "MatchAllWordForms", "Forward",
           "Wrap", "Format", "ReplaceWith", "Replace", "MatchKashida", "MatchDiacritics", "MatchAlefHamza",
           "MatchControl"},
          method<F>([](F& f, const ServedObject&, const Arguments& a) {
              if (a.has(0) || a.has(9) || a.has(10))
                  wordError(err::InvalidProcedureCall, "The test host searches with the find's own text only.");
              return Variant(f.Execute(a.has(8) && a.at(8).toBool()));
          })}}};
    return face;
}

bool inPoints(FontAttribute a) {
    return a == FontAttribute::Spacing || a == FontAttribute::Size || a == FontAttribute::SizeBi;
}

const Interface& fontInterface() {
    using F = word::Font;
    static const Interface face = [] {
        Interface f{"Font", {}};
        for (int i = 0; i < word::kFontAttributeCount; ++i) {
            const auto a = static_cast<FontAttribute>(i);
            f.members.push_back(
                {word::fontAttributeName(a),
                 {},
                 method<F>([a](F& font, const ServedObject&, const Arguments&) {
                     const auto value = font.get(a);
                     // Word documents this one as a Boolean, the other switches as Longs.
                     if (a == FontAttribute::DisableCharacterSpaceGrid) return Variant(std::get<std::int32_t>(value) != 0);
                     if (const auto* n = std::get_if<std::int32_t>(&value)) return Variant(*n);
                     if (const auto* p = std::get_if<float>(&value)) return Variant(static_cast<double>(*p));
                     return Variant(std::get<std::string>(value));
                 }),
                 setter<F>([a](F& font, const ServedObject&, const Variant& v) {
                     if (a == FontAttribute::Name) {
                         font.set(a, v.toString());
                     } else if (inPoints(a)) {
                         font.set(a, static_cast<float>(v.toDouble()));
                     } else {
                         font.set(a, v.toInt32());
                     }
                 })});
        }
        return f;
    }();
    return face;
}

const Interface& stylesInterface() {
    using S = word::Styles;
    static const Interface face{
        "Styles",
        {{"Item", {"Index"}, method<S>([](S& s, const ServedObject& o, const Arguments& a) {
              return serve(o, styleInterface(), s.item(a.at(0).toString()));
          })},
         {"Add", {"Name", "Type"}, method<S>([](S& s, const ServedObject& o, const Arguments& a) {
              return serve(o, styleInterface(), s.add(a.at(0).toString(), a.has(1) ? a.at(1).toInt32() : 1));
          })}}};
    return face;
}

const Interface& styleInterface() {
    using S = word::Style;
    static const Interface face{
        "Style",
        {{"NameLocal", {}, value<S>([](S& s) { return s.name(); })},
         {"Type", {}, value<S>([](S& s) { return s.type(); })},
         {"Font", {}, child<S>(fontInterface, [](S& s) { return s.font(); })},
         {"Delete", {}, action<S>([](S& s) { s.Delete(); })}}};
    return face;
}

const Interface& fieldsInterface() {
    using F = word::Fields;
    static const Interface face{
        "Fields",
        {{"Count", {}, value<F>([](F& f) { return f.count(); })},
         {"Item", {"Index"}, method<F>([](F& f, const ServedObject& o, const Arguments& a) {
              return serve(o, fieldInterface(), f.item(a.at(0).toInt32()));
          })},
         {"Update", {}, method<F>([](F& f, const ServedObject&, const Arguments&) {
              f.Update();
              return Variant(std::int32_t{0});
          })}}};
    return face;
}

const Interface& fieldInterface() {
    using F = word::Field;
    static const Interface face{
        "Field", {{"Type", {}, value<F>([](F& f) { return f.type(); })}}};
    return face;
}

const Interface& mailMergeInterface() {
    using M = word::MailMerge;
    static const Interface face{
        "MailMerge",
        {{"DataSource", {}, child<M>(dataSourceInterface, [](M& m) { return m.dataSource(); })},
         {"Destination", {}, {}, setter<M>([](M& m, const ServedObject&, const Variant& v) { m.setDestination(v.toInt32()); })},
         {"Execute", {"Pause"}, action<M>([](M& m) { m.Execute(); })}}};
    return face;
}

const Interface& dataSourceInterface() {
    using D = word::MailMergeDataSource;
    static const Interface face{
        "MailMergeDataSource",
        {{"Name", {}, value<D>([](D& d) { return d.name(); })},
         {"FieldNames", {}, child<D>(fieldNamesInterface, [](D& d) { return std::make_shared<FieldNameList>(d.fieldNames()); })},
         {"DataFields", {}, method<D>([](D&, const ServedObject& o, const Arguments&) {
              return serve(o, dataFieldsInterface(), o.shared<D>());
          })},
         {"ActiveRecord", {}, value<D>([](D& d) { return d.activeRecord(); }),
          setter<D>([](D& d, const ServedObject&, const Variant& v) { d.setActiveRecord(v.toInt32()); })},
         {"FirstRecord", {}, value<D>([](D& d) { return d.firstRecord(); }),
          setter<D>([](D& d, const ServedObject&, const Variant& v) { d.setFirstRecord(v.toInt32()); })},
         {"LastRecord", {}, value<D>([](D& d) { return d.lastRecord(); }),
          setter<D>([](D& d, const ServedObject&, const Variant& v) { d.setLastRecord(v.toInt32()); })}}};
    return face;
}

const Interface& fieldNamesInterface() {
    using L = FieldNameList;
    static const Interface face{
        "MailMergeFieldNames",
        {{"Count", {}, value<L>([](L& l) { return static_cast<std::int32_t>(l.size()); })},
         {"Item", {"Index"}, method<L>([](L& l, const ServedObject& o, const Arguments& a) {
              const auto i = a.at(0).toInt32();
              if (i < 1 || i > static_cast<std::int32_t>(l.size()))
                  wordError(err::CollectionMemberMissing, "The requested member of the collection does not exist.");
              return serve(o, fieldNameInterface(), std::make_shared<std::string>(l[static_cast<std::size_t>(i - 1)]));
          })}}};
    return face;
}

const Interface& fieldNameInterface() {
    using N = std::string;
    static const Interface face{
        "MailMergeFieldName", {{"Name", {}, value<N>([](N& n) { return n; })}}};
    return face;
}

const Interface& dataFieldsInterface() {
    using D = word::MailMergeDataSource;
    static const Interface face{
        "MailMergeDataFields",
        {{"Item", {"Index"}, method<D>([](D& d, const ServedObject& o, const Arguments& a) {
              const std::string name = a.at(0).toString();
              bool known = false;
              for (const auto& n : d.fieldNames()) known = known || equalsIgnoringCase(n, name);
              if (!known) wordError(err::CollectionMemberMissing, "The requested member of the collection does not exist.");
              return serve(o, dataFieldInterface(), std::make_shared<DataFieldTarget>(DataFieldTarget{o.shared<D>(), name}));
          })}}};
    return face;
}

const Interface& dataFieldInterface() {
    using F = DataFieldTarget;
    static const Interface face{
        "MailMergeDataField",
        {{"Value", {}, value<F>([](F& f) { return f.source->dataFieldValue(f.name); })}}};
    return face;
}

const Interface& commandBarsInterface() {
    using B = word::CommandBars;
    static const Interface face{
        "CommandBars",
        {{"Item", {"Index"}, method<B>([](B& b, const ServedObject& o, const Arguments& a) {
              return serve(o, commandBarInterface(), b.item(a.at(0).toString()));
          })}}};
    return face;
}

const Interface& commandBarInterface() {
    using B = word::CommandBar;
    static const Interface face{
        "CommandBar",
        {{"FindControl", {"Type", "Id", "Tag", "Visible", "Recursive"},
          method<B>([](B& b, const ServedObject& o, const Arguments& a) {
              // Word answers Nothing for a tag no control has.
              std::shared_ptr<word::CommandBarControl> control;
              try {
                  control = b.findControl(a.at(2).toString());
              } catch (const RuntimeError& e) {
                  if (e.number() != err::ObjectNotSet) throw;
                  return Variant(Variant::Object());
              }
              return serve(o, controlInterface(), control);
          })},
         {"Reset", {}, action<B>([](B& b) { b.Reset(); })},
         {"Visible", {}, value<B>([](B& b) { return b.visible(); }),
          setter<B>([](B& b, const ServedObject&, const Variant& v) { b.setVisible(v.toBool()); })}}};
    return face;
}

const Interface& controlsInterface() {
    using C = word::CommandBarControls;
    static const Interface face{
        "CommandBarControls",
        {{"Count", {}, value<C>([](C& c) { return c.count(); })},
         {"Item", {"Index"}, method<C>([](C& c, const ServedObject& o, const Arguments& a) {
              return serve(o, controlInterface(), c.item(a.at(0).toInt32()));
          })}}};
    return face;
}

const Interface& controlInterface() {
    using C = word::CommandBarControl;
    static const Interface face{
        "CommandBarControl",
        {{"Tag", {}, value<C>([](C& c) { return c.tag(); })},
         // msoControlPopup for a pop-up menu, msoControlButton for anything else.
         {"Type", {}, value<C>([](C& c) { return std::int32_t{c.isPopup() ? 10 : 1}; })},
         {"Controls", {}, child<C>(controlsInterface, [](C& c) { return c.controls(); })},
         {"Delete", {"Temporary"}, action<C>([](C& c) { c.Delete(); })}}};
    return face;
}

const Interface& addInsInterface() {
    using A = word::AddIns;
    static const Interface face{
        "AddIns",
        {{"Item", {"Index"}, method<A>([](A& l, const ServedObject& o, const Arguments& a) {
              return serve(o, addInInterface(), l.item(a.at(0).toString()));
          })},
         {"Add", {"FileName", "Install"}, method<A>([](A& l, const ServedObject& o, const Arguments& a) {
              auto entry = l.add(a.at(0).toString());
              if (a.has(1)) entry->setInstalled(a.at(1).toBool());
              return serve(o, addInInterface(), entry);
          })}}};
    return face;
}

const Interface& addInInterface() {
    using A = word::AddIn;
    static const Interface face{
        "AddIn",
        {{"Installed", {}, value<A>([](A& a) { return a.installed(); }),
          setter<A>([](A& a, const ServedObject&, const Variant& v) { a.setInstalled(v.toBool()); })}}};
    return face;
}

// The application's events: the word processor's window activations, raised as Word raises them.
class ServedEvents final : public AutomationEvents {
public:
    explicit ServedEvents(std::shared_ptr<State> state) : state_(std::move(state)) {}
    void subscribe(Handler handler) override {
        state_->subscriber = std::move(handler);
        const std::weak_ptr<State> weak = state_;
        state_->word->onWindowActivate([weak](const std::shared_ptr<word::Document>& document,
                                              const std::shared_ptr<word::Window>& window) {
            const auto state = weak.lock();
            if (!state || !state->subscriber) return;
            const auto handler = state->subscriber;  // it may end the subscription while it runs
            const ServedObject origin(state, applicationInterface(), state->word);
            handler(10, {serveDocument(origin, document), serve(origin, windowInterface(), window)});
        });
    }
    void unsubscribe() noexcept override {
        state_->subscriber = {};
        state_->word->onWindowActivate({});
    }

private:
    std::shared_ptr<State> state_;
};

}  // namespace

ServedWord::ServedWord(std::shared_ptr<WordProcessor> word, std::shared_ptr<word::AddIns> addIns)
    : state_(std::make_shared<State>()) {
    state_->word = std::move(word);
    state_->addIns = std::move(addIns);
}

ServedWord::~ServedWord() {
    if (state_->subscriber) state_->word->onWindowActivate({});
}

const std::vector<std::string>& ServedWord::violations() const noexcept { return state_->violations; }

WordProcessor& ServedWord::word() const noexcept { return *state_->word; }

std::shared_ptr<AutomationObject> ServedWord::application() const {
    return std::make_shared<ServedObject>(state_, applicationInterface(), state_->word);
}

std::shared_ptr<AutomationEvents> ServedWord::events() const { return std::make_shared<ServedEvents>(state_); }

bool ServedWord::subscribed() const noexcept { return static_cast<bool>(state_->subscriber); }

const std::vector<std::string>& ServedWord::calls() const noexcept { return state_->calls; }
const std::vector<std::string>& ServedWord::lookups() const noexcept { return state_->lookups; }

void ServedWord::record(bool on) noexcept { state_->recording = on; }

void ServedWord::clearRecords() {
    state_->calls.clear();
    state_->lookups.clear();
}

void ServedWord::failOn(std::string member, RuntimeError error) {
    state_->failures.emplace_back(std::move(member), std::move(error));
}

void ServedWord::failCall(std::size_t number, RuntimeError error) { state_->failingCall.emplace(number, std::move(error)); }

bool isServedObject(const AutomationObject& object) noexcept {
    return dynamic_cast<const ServedObject*>(&object) != nullptr;
}

std::string servedInterfaceName(const AutomationObject& object) {
    const auto* served = dynamic_cast<const ServedObject*>(&object);
    return served ? served->face().name : std::string();
}

}  // namespace telvora::sim
