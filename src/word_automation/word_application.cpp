// Word's objects, one class per interface the add-in uses, each port call one object-model call.
#include "word_automation/word_application.h"

#include "base/errors.h"
#include "word_automation/late_bound.h"

namespace telvora::word_automation {
namespace {

using word::FontAttribute;
using word::FontValue;

// Every wrapper holds the object it stands for; the port's objects are shared references to it.
class Wrapper {
protected:
    explicit Wrapper(Bound bound) : bound_(std::move(bound)) {}
    Bound bound_;
};

template <class T>
std::shared_ptr<T> wrap(Bound bound) {
    return std::make_shared<T>(std::move(bound));
}

// The font attributes Word keeps in points (Single); the name is text; all others are whole
// numbers, Booleans among them as Word reports them (True = -1).
bool inPoints(FontAttribute a) {
    return a == FontAttribute::Spacing || a == FontAttribute::Size || a == FontAttribute::SizeBi;
}

class FontImpl final : public word::Font, Wrapper {
public:
    explicit FontImpl(Bound b) : Wrapper(std::move(b)) {}
    FontValue get(FontAttribute a) override {
        const Variant v = bound_.get(word::fontAttributeName(a));
        if (a == FontAttribute::Name) return v.toString();
        if (inPoints(a)) return static_cast<float>(v.toDouble());
        return v.toInt32();
    }
    void set(FontAttribute a, const FontValue& value) override {
        Variant v;
        if (const auto* i = std::get_if<std::int32_t>(&value)) {
            v = Variant(*i);
        } else if (const auto* f = std::get_if<float>(&value)) {
            v = Variant(static_cast<double>(*f));
        } else {
            v = Variant(std::get<std::string>(value));
        }
        bound_.put(word::fontAttributeName(a), v);
    }
};

class StyleImpl final : public word::Style, Wrapper {
public:
    explicit StyleImpl(Bound b) : Wrapper(std::move(b)) {}
    // Word's style has no "Name": its name in the user's language is the one the user sees and
    // finds by.
    std::string name() override { return bound_.text("NameLocal"); }
    std::int32_t type() override { return bound_.number("Type"); }
    std::shared_ptr<word::Font> font() override { return wrap<FontImpl>(bound_.object("Font", "Font")); }
    void Delete() override { bound_.perform("Delete"); }
    const Bound& bound() const noexcept { return bound_; }
};

class StylesImpl final : public word::Styles, Wrapper {
public:
    explicit StylesImpl(Bound b) : Wrapper(std::move(b)) {}
    std::shared_ptr<word::Style> item(const std::string& name) override {
        return wrap<StyleImpl>(bound_.object("Item", "Style", {Variant(name)}));
    }
    std::shared_ptr<word::Style> add(const std::string& name, std::int32_t type) override {
        return wrap<StyleImpl>(bound_.object("Add", "Style", {Variant(name), Variant(type)}));
    }
};

class FindImpl final : public word::Find, Wrapper {
public:
    explicit FindImpl(Bound b) : Wrapper(std::move(b)) {}
    void ClearFormatting() override { bound_.perform("ClearFormatting"); }
    void ClearAllFuzzyOptions() override { bound_.perform("ClearAllFuzzyOptions"); }
    void setForward(bool forward) override { bound_.put("Forward", Variant(forward)); }
    void setWrap(std::int32_t wrap) override { bound_.put("Wrap", Variant(wrap)); }
    void setText(const std::string& text) override { bound_.put("Text", Variant(text)); }
    void setStyle(const std::string& styleName) override { bound_.put("Style", Variant(styleName)); }
    bool Execute(bool format) override { return bound_.call("Execute", {}, {{"Format", Variant(format)}}).toBool(); }
};

class RangeImpl final : public word::Range, Wrapper {
public:
    explicit RangeImpl(Bound b) : Wrapper(std::move(b)) {}
    std::string text() override { return bound_.text("Text"); }
    std::int32_t start() override { return bound_.number("Start"); }
    std::int32_t end() override { return bound_.number("End"); }
    std::shared_ptr<word::Find> find() override { return wrap<FindImpl>(bound_.object("Find", "Find")); }
    std::shared_ptr<word::Font> font() override { return wrap<FontImpl>(bound_.object("Font", "Font")); }
};

class SelectionImpl final : public word::Selection, Wrapper {
public:
    explicit SelectionImpl(Bound b) : Wrapper(std::move(b)) {}
    std::shared_ptr<word::Range> range() override { return wrap<RangeImpl>(bound_.object("Range", "Range")); }
    void setStyle(const std::shared_ptr<word::Style>& style) override {
        if (!style) raiseNothing();
        // Word's own style object where there is one; a style of another origin goes by its name,
        // which Word accepts as well.
        if (const auto* own = dynamic_cast<const StyleImpl*>(style.get())) {
            bound_.put("Style", Variant(own->bound().automationObject()));
        } else {
            bound_.put("Style", Variant(style->name()));
        }
    }
};

class FieldImpl final : public word::Field, Wrapper {
public:
    explicit FieldImpl(Bound b) : Wrapper(std::move(b)) {}
    std::int32_t type() override { return bound_.number("Type"); }
};

class FieldsImpl final : public word::Fields, Wrapper {
public:
    explicit FieldsImpl(Bound b) : Wrapper(std::move(b)) {}
    std::int32_t count() override { return bound_.number("Count"); }
    std::shared_ptr<word::Field> item(std::int32_t index) override {
        return wrap<FieldImpl>(bound_.object("Item", "Field", {Variant(index)}));
    }
    void Update() override { bound_.perform("Update"); }
};

class DataSourceImpl final : public word::MailMergeDataSource, Wrapper {
public:
    explicit DataSourceImpl(Bound b) : Wrapper(std::move(b)) {}
    std::string name() override { return bound_.text("Name"); }
    std::vector<std::string> fieldNames() override {
        const Bound names = bound_.object("FieldNames", "MailMergeFieldNames");
        const std::int32_t count = names.number("Count");
        std::vector<std::string> out;
        for (std::int32_t i = 1; i <= count; ++i)
            out.push_back(names.object("Item", "MailMergeFieldName", {Variant(i)}).text("Name"));
        return out;
    }
    std::string dataFieldValue(const std::string& fieldName) override {
        return bound_.object("DataFields", "MailMergeDataFields")
            .object("Item", "MailMergeDataField", {Variant(fieldName)})
            .text("Value");
    }
    std::int32_t activeRecord() override { return bound_.number("ActiveRecord"); }
    void setActiveRecord(std::int32_t record) override { bound_.put("ActiveRecord", Variant(record)); }
    std::int32_t firstRecord() override { return bound_.number("FirstRecord"); }
    void setFirstRecord(std::int32_t record) override { bound_.put("FirstRecord", Variant(record)); }
    std::int32_t lastRecord() override { return bound_.number("LastRecord"); }
    void setLastRecord(std::int32_t record) override { bound_.put("LastRecord", Variant(record)); }
};

class MailMergeImpl final : public word::MailMerge, Wrapper {
public:
    explicit MailMergeImpl(Bound b) : Wrapper(std::move(b)) {}
    std::shared_ptr<word::MailMergeDataSource> dataSource() override {
        return wrap<DataSourceImpl>(bound_.object("DataSource", "MailMergeDataSource"));
    }
    void setDestination(std::int32_t destination) override { bound_.put("Destination", Variant(destination)); }
    void Execute() override { bound_.perform("Execute"); }
};

class WindowImpl final : public word::Window, Wrapper {
public:
    explicit WindowImpl(Bound b) : Wrapper(std::move(b)) {}
    bool envelopeVisible() override { return bound_.boolean("EnvelopeVisible"); }
};

class DocumentImpl final : public word::Document, Wrapper {
public:
    explicit DocumentImpl(Bound b) : Wrapper(std::move(b)) {}
    std::string name() override { return bound_.text("Name"); }
    std::shared_ptr<word::Range> content() override { return wrap<RangeImpl>(bound_.object("Content", "Range")); }
    std::shared_ptr<word::Styles> styles() override { return wrap<StylesImpl>(bound_.object("Styles", "Styles")); }
    std::shared_ptr<word::Fields> fields() override { return wrap<FieldsImpl>(bound_.object("Fields", "Fields")); }
    std::shared_ptr<word::MailMerge> mailMerge() override {
        return wrap<MailMergeImpl>(bound_.object("MailMerge", "MailMerge"));
    }
    void Close(std::int32_t saveChanges) override { bound_.perform("Close", {Variant(saveChanges)}); }
    void PrintOut() override { bound_.perform("PrintOut", {}, {{"Background", Variant(false)}}); }
};

class DocumentsImpl final : public word::Documents, Wrapper {
public:
    explicit DocumentsImpl(Bound b) : Wrapper(std::move(b)) {}
    std::int32_t count() override { return bound_.number("Count"); }
    void activate(const std::string& name) override {
        bound_.object("Item", "Document", {Variant(name)}).perform("Activate");
    }
};

class CommandBarControlsImpl;

class CommandBarControlImpl final : public word::CommandBarControl, Wrapper {
public:
    explicit CommandBarControlImpl(Bound b) : Wrapper(std::move(b)) {}
    std::string tag() override { return bound_.text("Tag"); }
    bool isPopup() override { return bound_.number("Type") == msoControlPopup; }
    std::shared_ptr<word::CommandBarControls> controls() override;
    void Delete() override { bound_.perform("Delete"); }
};

class CommandBarControlsImpl final : public word::CommandBarControls, Wrapper {
public:
    explicit CommandBarControlsImpl(Bound b) : Wrapper(std::move(b)) {}
    std::int32_t count() override { return bound_.number("Count"); }
    std::shared_ptr<word::CommandBarControl> item(std::int32_t index) override {
        return wrap<CommandBarControlImpl>(bound_.object("Item", "CommandBarControl", {Variant(index)}));
    }
};

// Only a pop-up has controls: its members are those of the pop-up's own interface.
std::shared_ptr<word::CommandBarControls> CommandBarControlImpl::controls() {
    return wrap<CommandBarControlsImpl>(bound_.as("CommandBarPopup").object("Controls", "CommandBarControls"));
}

class CommandBarImpl final : public word::CommandBar, Wrapper {
public:
    explicit CommandBarImpl(Bound b) : Wrapper(std::move(b)) {}
    std::shared_ptr<word::CommandBarControl> findControl(const std::string& tag) override {
        return wrap<CommandBarControlImpl>(
            bound_.object("FindControl", "CommandBarControl", {}, {{"Tag", Variant(tag)}, {"Recursive", Variant(true)}}));
    }
    void Reset() override { bound_.perform("Reset"); }
    bool visible() override { return bound_.boolean("Visible"); }
    void setVisible(bool visible) override { bound_.put("Visible", Variant(visible)); }
};

class CommandBarsImpl final : public word::CommandBars, Wrapper {
public:
    explicit CommandBarsImpl(Bound b) : Wrapper(std::move(b)) {}
    std::shared_ptr<word::CommandBar> item(const std::string& name) override {
        return wrap<CommandBarImpl>(bound_.object("Item", "CommandBar", {Variant(name)}));
    }
};

class AddInImpl final : public word::AddIn, Wrapper {
public:
    explicit AddInImpl(Bound b) : Wrapper(std::move(b)) {}
    bool installed() override { return bound_.boolean("Installed"); }
    void setInstalled(bool installed) override { bound_.put("Installed", Variant(installed)); }
};

class AddInsImpl final : public word::AddIns, Wrapper {
public:
    explicit AddInsImpl(Bound b) : Wrapper(std::move(b)) {}
    std::shared_ptr<word::AddIn> item(const std::string& name) override {
        return wrap<AddInImpl>(bound_.object("Item", "AddIn", {Variant(name)}));
    }
    std::shared_ptr<word::AddIn> add(const std::string& path) override {
        return wrap<AddInImpl>(bound_.object("Add", "AddIn", {Variant(path), Variant(true)}));
    }
};

// Word's "no document is open" is what the port calls Nothing where a document should be.
template <class Call>
auto documentBound(Call&& call) {
    try {
        return call();
    } catch (const RuntimeError& e) {
        if (e.number() == kNoDocumentOpen) raiseNothing();
        throw;
    }
}

class ApplicationImpl final : public word::Application, Wrapper {
public:
    ApplicationImpl(Bound b, std::shared_ptr<AutomationEvents> events)
        : Wrapper(std::move(b)), events_(std::move(events)) {}
    ~ApplicationImpl() override {
        if (events_) events_->unsubscribe();
    }

    std::shared_ptr<word::Document> activeDocument() override {
        return documentBound([&] { return wrap<DocumentImpl>(bound_.object("ActiveDocument", "Document")); });
    }
    std::shared_ptr<word::Selection> selection() override {
        return documentBound([&] { return wrap<SelectionImpl>(bound_.object("Selection", "Selection")); });
    }
    std::shared_ptr<word::Documents> documents() override {
        return wrap<DocumentsImpl>(bound_.object("Documents", "Documents"));
    }
    std::shared_ptr<word::CommandBars> commandBars() override {
        return wrap<CommandBarsImpl>(bound_.object("CommandBars", "CommandBars"));
    }
    std::shared_ptr<word::AddIns> addIns() override { return wrap<AddInsImpl>(bound_.object("AddIns", "AddIns")); }

    std::string activePrinter() override { return bound_.text("ActivePrinter"); }
    void setActivePrinter(const std::string& deviceName) override {
        bound_.put("ActivePrinter", Variant(deviceName));
    }
    void PrintOut(const word::PrintOutArgs& args) override { bound_.perform("PrintOut", {}, args); }
    // In the foreground, so the file can go once the call returns: the whole file, its content,
    // one copy of all pages, on paper.
    void printFile(const std::string& path) override {
        bound_.perform("PrintOut", {},
                          {{"FileName", Variant(path)},
                           {"Background", Variant(false)},
                           {"Range", Variant(std::int32_t{0})},
                           {"Item", Variant(std::int32_t{0})},
                           {"Copies", Variant(std::int32_t{1})},
                           {"PageType", Variant(std::int32_t{0})},
                           {"PrintToFile", Variant(false)}});
    }
    std::string path() override { return bound_.text("Path"); }
    void setStatusBar(const std::string& text) override { bound_.put("StatusBar", Variant(text)); }
    std::string statusBarText() override { return bound_.get("StatusBar").toString(); }

    void onWindowActivate(WindowActivateHandler handler) override {
        if (!handler) {
            if (events_) events_->unsubscribe();
            return;
        }
        if (!events_)
            throw RuntimeError(err::MemberNotFound, "Word's events cannot be received through this connection.",
                               kWordSource);
        // The handler holds the identifiers, not the application: nothing keeps Word alive but the
        // subscription itself.
        events_->subscribe([ids = bound_.ids(), handler = std::move(handler)](MemberId event, const Args& args) {
            if (event != kWindowActivateEvent || args.size() < 2) return;
            const auto* doc = args[0].is<Variant::Object>() ? &args[0].get<Variant::Object>() : nullptr;
            const auto* window = args[1].is<Variant::Object>() ? &args[1].get<Variant::Object>() : nullptr;
            // The handler is promised both objects; an activation without them is not one of a
            // document's window.
            if (!doc || !*doc || !window || !*window) return;
            handler(wrap<DocumentImpl>(Bound(*doc, "Document", ids)), wrap<WindowImpl>(Bound(*window, "Window", ids)));
        });
    }

private:
    std::shared_ptr<AutomationEvents> events_;
};

}  // namespace

std::shared_ptr<word::Application> wordApplication(std::shared_ptr<AutomationObject> application,
                                                   std::shared_ptr<AutomationEvents> events) {
    return std::make_shared<ApplicationImpl>(Bound(std::move(application), "Application", std::make_shared<MemberIds>()),
                                             std::move(events));
}

}  // namespace telvora::word_automation
