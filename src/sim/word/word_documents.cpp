// The object-model classes of a simulated document: document, range and its find, fonts, styles,
// selection, fields, mail merge and window.
#include <algorithm>

#include "sim/word/word_session.h"

namespace telvora::sim {

using word::FontAttribute;
using word::FontValue;

void checkOpen(const DocumentModel& model) {
    if (model.closed) throw wordError(wderr::ObjectDeleted, "Object has been deleted.");
}

namespace {

[[noreturn]] void notMailMergeMain() {
    throw wordError(wderr::CommandNotAvailable,
                    "This method or property is not available because the document is not a mail merge "
                    "main document.");
}

struct RangeState {
    std::shared_ptr<DocumentModel> model;
    StoryKind story = StoryKind::Main;
    Span span;
};

class RangeFont final : public word::Font {
public:
    RangeFont(std::shared_ptr<DocumentModel> model, StoryKind story, Span span)
        : model_(std::move(model)), story_(story), span_(span) {}
    FontValue get(FontAttribute a) override {
        checkOpen(*model_);
        return model_->fontValue(story_, span_, a);
    }
    void set(FontAttribute a, const FontValue& value) override {
        checkOpen(*model_);
        model_->setFontValue(story_, span_, a, value);
    }

private:
    std::shared_ptr<DocumentModel> model_;
    StoryKind story_;
    Span span_;
};

class StyleFont final : public word::Font {
public:
    StyleFont(std::shared_ptr<DocumentModel> model, std::uint32_t id) : model_(std::move(model)), id_(id) {}
    // The style's look: its own formatting over Normal's.
    FontValue get(FontAttribute a) override {
        (void)entry();
        return model_->styleLook(id_)[a];
    }
    void set(FontAttribute a, const FontValue& value) override {
        auto& style = entry();
        const auto change = convertFontValue(a, value);
        if (change.kind == FontChange::Kind::Toggle) {
            const auto current = std::get<std::int32_t>(get(a));
            style.font.set(a, std::int32_t{current == 0 ? -1 : 0});
        } else if (change.kind == FontChange::Kind::Set) {
            style.font.set(a, change.value);
        }
    }

private:
    StyleEntry& entry() {
        checkOpen(*model_);
        auto* e = model_->styleById(id_);
        if (!e || e->deleted) throw wordError(wderr::ObjectDeleted, "Object has been deleted.");
        return *e;
    }
    std::shared_ptr<DocumentModel> model_;
    std::uint32_t id_;
};

class FindImpl final : public word::Find {
public:
    explicit FindImpl(std::shared_ptr<RangeState> range) : range_(std::move(range)) {}

    void ClearFormatting() override { styleId_ = 0; }
    // The simulated search has no fuzzy matching to switch off.
    void ClearAllFuzzyOptions() override {}
    void setForward(bool forward) override { forward_ = forward; }
    void setWrap(std::int32_t wrap) override {
        if (wrap < 0 || wrap > 2) throw wordError(wderr::ValueOutOfRange, "Value out of range");
        wrap_ = wrap;
    }
    void setText(const std::string& text) override {
        std::vector<std::string> needle;
        const auto chars = splitCharacters(text);
        for (std::size_t i = 0; i < chars.size(); ++i) {
            if (chars[i] != "^") {
                needle.push_back(chars[i]);
                continue;
            }
            const std::string code = i + 1 < chars.size() ? chars[++i] : std::string();
            if (code == "p") needle.emplace_back("\r");
            else if (code == "t") needle.emplace_back("\t");
            else if (code == "^") needle.emplace_back("^");
            else
                throw wordError(err::InvalidProcedureCall,
                                "The search text uses the special character \"^" + code +
                                    "\", which the simulated word processor does not know.");
        }
        needle_ = std::move(needle);
    }
    void setStyle(const std::string& styleName) override {
        checkOpen(*range_->model);
        const auto* style = range_->model->findStyle(styleName);
        if (!style) throw RuntimeError::standard(err::CollectionMemberMissing, "Microsoft Word");
        styleId_ = style->id;
    }
    bool Execute(bool format) override {
        auto& model = *range_->model;
        checkOpen(model);
        if (wrap_ != word::wdFindStop)
            throw wordError(err::InvalidProcedureCall,
                            "The simulated word processor searches a range only with wrapping stopped.");
        // As in Word, a collapsed range, or one this find has just narrowed, is searched on from
        // there to the end of the story (the start, searching backward), so that executing again
        // moves on to the next occurrence instead of finding the same one for ever.
        Span within = range_->span;
        if (within.start == within.end || lastFound_ == within)
            within = forward_ ? Span{within.end, model.length(range_->story)} : Span{0, within.start};
        // The style set on the find is part of the search only when Format says so, as in Word; an
        // empty search text without formatting finds nothing.
        const std::uint32_t style = format ? liveStyle() : 0;
        std::optional<Span> found;
        if (!needle_.empty())
            found = model.findText(range_->story, within, needle_, style, forward_);
        else if (style != 0)
            found = model.findStyleRun(range_->story, within, style, forward_);
        if (!found) return false;
        range_->span = *found;
        lastFound_ = *found;
        return true;
    }

private:
    // The style searched for, unless it was deleted since: then no text can carry it.
    std::uint32_t liveStyle() const {
        const auto* style = range_->model->styleById(styleId_);
        return style && !style->deleted ? styleId_ : 0;
    }

    std::shared_ptr<RangeState> range_;
    std::vector<std::string> needle_;
    std::uint32_t styleId_ = 0;
    bool forward_ = true;
    std::int32_t wrap_ = word::wdFindStop;
    std::optional<Span> lastFound_;
};

class RangeImpl final : public word::Range {
public:
    explicit RangeImpl(std::shared_ptr<RangeState> state) : state_(std::move(state)) {}
    std::string text() override {
        checkOpen(*state_->model);
        return state_->model->text(state_->story, state_->span.start, state_->span.end);
    }
    std::int32_t start() override { return state_->span.start; }
    std::int32_t end() override { return state_->span.end; }
    std::shared_ptr<word::Find> find() override {
        checkOpen(*state_->model);
        if (!find_) find_ = std::make_shared<FindImpl>(state_);
        return find_;
    }
    std::shared_ptr<word::Font> font() override {
        checkOpen(*state_->model);
        return std::make_shared<RangeFont>(state_->model, state_->story, state_->span);
    }

private:
    std::shared_ptr<RangeState> state_;
    std::shared_ptr<FindImpl> find_;
};

std::shared_ptr<word::Range> makeRange(const std::shared_ptr<DocumentModel>& model, StoryKind story, Span span) {
    return std::make_shared<RangeImpl>(std::make_shared<RangeState>(RangeState{model, story, span}));
}

class StyleImpl final : public word::Style {
public:
    StyleImpl(std::shared_ptr<DocumentModel> model, std::uint32_t id) : model_(std::move(model)), id_(id) {}
    std::string name() override { return entry().name; }
    std::int32_t type() override { return entry().type; }
    std::shared_ptr<word::Font> font() override {
        (void)entry();
        return std::make_shared<StyleFont>(model_, id_);
    }
    void Delete() override {
        checkOpen(*model_);
        model_->deleteStyle(id_);
    }

    const std::shared_ptr<DocumentModel>& model() const { return model_; }
    std::uint32_t id() const { return id_; }
    StyleEntry& entry() const {
        checkOpen(*model_);
        auto* e = model_->styleById(id_);
        if (!e || e->deleted) throw wordError(wderr::ObjectDeleted, "Object has been deleted.");
        return *e;
    }

private:
    std::shared_ptr<DocumentModel> model_;
    std::uint32_t id_;
};

class StylesImpl final : public word::Styles {
public:
    explicit StylesImpl(std::shared_ptr<DocumentModel> model) : model_(std::move(model)) {}
    std::shared_ptr<word::Style> item(const std::string& name) override {
        checkOpen(*model_);
        const auto* style = model_->findStyle(name);
        if (!style) throw RuntimeError::standard(err::CollectionMemberMissing, "Microsoft Word");
        return std::make_shared<StyleImpl>(model_, style->id);
    }
    std::shared_ptr<word::Style> add(const std::string& name, std::int32_t type) override {
        checkOpen(*model_);
        return std::make_shared<StyleImpl>(model_, model_->addStyle(name, type).id);
    }

private:
    std::shared_ptr<DocumentModel> model_;
};

class SelectionImpl final : public word::Selection {
public:
    explicit SelectionImpl(std::shared_ptr<DocumentModel> model) : model_(std::move(model)) {}
    std::shared_ptr<word::Range> range() override {
        checkOpen(*model_);
        return makeRange(model_, StoryKind::Main, model_->selection);
    }
    void setStyle(const std::shared_ptr<word::Style>& style) override {
        checkOpen(*model_);
        const auto* ours = dynamic_cast<const StyleImpl*>(style.get());
        if (!ours) throw RuntimeError::objectNotSet("Microsoft Word");
        if (ours->model() != model_)
            throw wordError(err::InvalidProcedureCall, "The style belongs to another document.");
        (void)ours->entry();
        model_->applyStyle(StoryKind::Main, model_->selection, ours->id());
    }

private:
    std::shared_ptr<DocumentModel> model_;
};

class FieldImpl final : public word::Field {
public:
    FieldImpl(std::shared_ptr<DocumentModel> model, std::int32_t type) : model_(std::move(model)), type_(type) {}
    std::int32_t type() override {
        checkOpen(*model_);
        return type_;
    }

private:
    std::shared_ptr<DocumentModel> model_;
    std::int32_t type_;
};

class FieldsImpl final : public word::Fields {
public:
    explicit FieldsImpl(std::shared_ptr<DocumentModel> model) : model_(std::move(model)) {}
    std::int32_t count() override {
        checkOpen(*model_);
        return static_cast<std::int32_t>(model_->fields.size());
    }
    std::shared_ptr<word::Field> item(std::int32_t index) override {
        checkOpen(*model_);
        if (index < 1 || index > count()) throw RuntimeError::standard(err::CollectionMemberMissing, "Microsoft Word");
        return std::make_shared<FieldImpl>(model_, model_->fields[static_cast<std::size_t>(index - 1)].type);
    }
    void Update() override {
        checkOpen(*model_);
        ++model_->fieldUpdates;
    }

private:
    std::shared_ptr<DocumentModel> model_;
};

class DataSourceImpl final : public word::MailMergeDataSource {
public:
    explicit DataSourceImpl(std::shared_ptr<DocumentModel> model) : model_(std::move(model)) {}
    std::string name() override {
        checkOpen(*model_);
        return model_->merge.source ? model_->merge.source->name : std::string();
    }
    std::vector<std::string> fieldNames() override { return source().fieldNames; }
    std::string dataFieldValue(const std::string& fieldName) override {
        const auto& src = source();
        const int record = model_->merge.activeRecord;
        if (record < 1) throw wordError(wderr::CommandNotAvailable, "The data source has no records.");
        for (std::size_t k = 0; k < src.fieldNames.size(); ++k) {
            if (equalsIgnoringCase(src.fieldNames[k], fieldName))
                return src.records.at(static_cast<std::size_t>(record - 1)).at(k);
        }
        throw RuntimeError::standard(err::CollectionMemberMissing, "Microsoft Word");
    }
    std::int32_t activeRecord() override {
        (void)source();
        return model_->merge.activeRecord;
    }
    void setActiveRecord(std::int32_t record) override {
        const int count = recordCount();
        auto& active = model_->merge.activeRecord;
        if (count == 0) return;
        switch (record) {
        case word::wdFirstRecord: active = 1; return;
        case word::wdLastRecord: active = count; return;
        case word::wdNextRecord: active = std::min(active + 1, count); return;
        case wdPreviousRecord: active = std::max(active - 1, 1); return;
        default:
            if (record < 1 || record > count) throw wordError(wderr::ValueOutOfRange, "Value out of range");
            active = record;
        }
    }
    std::int32_t firstRecord() override {
        (void)source();
        return model_->merge.firstRecord;
    }
    void setFirstRecord(std::int32_t record) override {
        (void)source();
        if (record < 1) throw wordError(wderr::ValueOutOfRange, "Value out of range");
        model_->merge.firstRecord = record;
    }
    std::int32_t lastRecord() override {
        const int count = recordCount();
        return model_->merge.lastRecord.value_or(count);
    }
    void setLastRecord(std::int32_t record) override {
        (void)source();
        if (record == wdDefaultLastRecord) {
            model_->merge.lastRecord.reset();
            return;
        }
        if (record < 1) throw wordError(wderr::ValueOutOfRange, "Value out of range");
        model_->merge.lastRecord = record;
    }

private:
    static constexpr std::int32_t wdPreviousRecord = -3;
    static constexpr std::int32_t wdDefaultLastRecord = -16;

    const MergeSource& source() {
        checkOpen(*model_);
        if (!model_->merge.source) notMailMergeMain();
        return *model_->merge.source;
    }
    int recordCount() { return static_cast<int>(source().records.size()); }

    std::shared_ptr<DocumentModel> model_;
};

class MailMergeImpl final : public word::MailMerge {
public:
    MailMergeImpl(std::shared_ptr<Session> session, std::shared_ptr<DocumentModel> model)
        : session_(std::move(session)), model_(std::move(model)) {}
    std::shared_ptr<word::MailMergeDataSource> dataSource() override {
        checkOpen(*model_);
        return std::make_shared<DataSourceImpl>(model_);
    }
    void setDestination(std::int32_t destination) override {
        checkOpen(*model_);
        if (destination < 0 || destination > 3) throw wordError(wderr::ValueOutOfRange, "Value out of range");
        model_->merge.destination = destination;
    }
    void Execute() override {
        checkOpen(*model_);
        const auto& merge = model_->merge;
        if (!merge.source) notMailMergeMain();
        if (merge.destination != word::wdSendToNewDocument)
            throw wordError(wderr::CommandNotAvailable,
                            "The simulated word processor merges to a new document only.");
        const int count = static_cast<int>(merge.source->records.size());
        const int last = std::min(merge.lastRecord.value_or(count), count);
        std::vector<int> records;
        for (int r = std::max(merge.firstRecord, 1); r <= last; ++r) records.push_back(r);
        if (records.empty())
            throw wordError(wderr::NoRecordsMatched,
                            "Word could not merge the main document with the data source because the data "
                            "records were empty or no data records matched your query options.");
        const std::string name = "Letters" + std::to_string(++session_->mergedDocuments);
        session_->addDocument(std::make_shared<DocumentModel>(model_->mergeRecords(name, records)));
    }

private:
    std::shared_ptr<Session> session_;
    std::shared_ptr<DocumentModel> model_;
};

class WindowImpl final : public word::Window {
public:
    explicit WindowImpl(std::shared_ptr<DocumentModel> model) : model_(std::move(model)) {}
    bool envelopeVisible() override {
        checkOpen(*model_);
        return model_->envelopeVisible;
    }

private:
    std::shared_ptr<DocumentModel> model_;
};

class DocumentImpl final : public word::Document {
public:
    DocumentImpl(std::shared_ptr<Session> session, std::shared_ptr<DocumentModel> model)
        : session_(std::move(session)), model_(std::move(model)) {}
    std::string name() override {
        checkOpen(*model_);
        return model_->name;
    }
    std::shared_ptr<word::Range> content() override {
        checkOpen(*model_);
        return makeRange(model_, StoryKind::Main, Span{0, model_->length(StoryKind::Main)});
    }
    std::shared_ptr<word::Styles> styles() override {
        checkOpen(*model_);
        return std::make_shared<StylesImpl>(model_);
    }
    std::shared_ptr<word::Fields> fields() override {
        checkOpen(*model_);
        return std::make_shared<FieldsImpl>(model_);
    }
    std::shared_ptr<word::MailMerge> mailMerge() override {
        checkOpen(*model_);
        return std::make_shared<MailMergeImpl>(session_, model_);
    }
    void Close(std::int32_t saveChanges) override {
        checkOpen(*model_);
        if (saveChanges != word::wdDoNotSaveChanges)
            throw wordError(wderr::CommandNotAvailable,
                            "The simulated word processor closes documents without saving only.");
        session_->close(model_);
    }
    void PrintOut() override {
        checkOpen(*model_);
        session_->print(model_, PrintRecord::Kind::Document, {});
    }

private:
    std::shared_ptr<Session> session_;
    std::shared_ptr<DocumentModel> model_;
};

}  // namespace

std::shared_ptr<word::Document> makeDocument(const std::shared_ptr<Session>& session,
                                             const std::shared_ptr<DocumentModel>& model) {
    return std::make_shared<DocumentImpl>(session, model);
}

std::shared_ptr<word::Window> makeWindow(const std::shared_ptr<DocumentModel>& model) {
    return std::make_shared<WindowImpl>(model);
}

std::shared_ptr<word::Selection> makeSelection(const std::shared_ptr<DocumentModel>& model) {
    return std::make_shared<SelectionImpl>(model);
}

}  // namespace telvora::sim
