// Laying a document out on pages with Pango.
#include "sim/output/page_layout.h"

#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/errors.h"
#include "base/text.h"

namespace telvora::sim::output {
namespace {

using word::FontAttribute;

struct GObjectUnref {
    void operator()(gpointer p) const noexcept {
        if (p) g_object_unref(p);
    }
};
template <class T>
using GObjectPtr = std::unique_ptr<T, GObjectUnref>;

struct FontOptionsFree {
    void operator()(cairo_font_options_t* o) const noexcept { cairo_font_options_destroy(o); }
};
struct AttrListUnref {
    void operator()(PangoAttrList* l) const noexcept { pango_attr_list_unref(l); }
};
struct FontDescriptionFree {
    void operator()(PangoFontDescription* d) const noexcept { pango_font_description_free(d); }
};
struct TabArrayFree {
    void operator()(PangoTabArray* t) const noexcept { pango_tab_array_free(t); }
};
struct LayoutIterFree {
    void operator()(PangoLayoutIter* i) const noexcept { pango_layout_iter_free(i); }
};

// Word's default tab stops: every half inch.
constexpr double kTabStop = 36.0;
// The room between a text box's frame and its text.
constexpr double kTextBoxPadding = 6.0;

bool on(const word::FontValue& v) { return std::get<std::int32_t>(v) != 0; }
float points(const word::FontValue& v) { return std::get<float>(v); }

// A line of a paragraph put on a page.
struct PlacedLine {
    std::size_t layout = 0;
    int line = 0;
    double x = 0;
    double baseline = 0;
};

struct Frame {
    double top = 0;
    double bottom = 0;
};

struct Page {
    std::vector<PlacedLine> lines;
    std::vector<Frame> frames;
};

// The lines of a run of paragraphs, measured from the top of the first.
struct Block {
    std::vector<PlacedLine> lines;
    double height = 0;
};

}  // namespace

std::string printerFont(const std::string& wordFont) {
    static const std::map<std::string, std::string> metricCompatible = {
        {"times new roman", "Liberation Serif"}, {"times", "Liberation Serif"},
        {"arial", "Liberation Sans"},           {"helvetica", "Liberation Sans"},
        {"courier new", "Liberation Mono"},     {"courier", "Liberation Mono"},
        {"arial narrow", "Liberation Sans Narrow"},
        {"calibri", "Carlito"},                 {"cambria", "Caladea"},
    };
    const auto it = metricCompatible.find(lowerAscii(wordFont));
    return it == metricCompatible.end() ? wordFont : it->second;
}

struct DocumentLayout::Impl {
    const PageSetup page;
    GObjectPtr<PangoFontMap> fontMap{pango_cairo_font_map_new()};
    GObjectPtr<PangoContext> context{pango_font_map_create_context(fontMap.get())};
    std::vector<GObjectPtr<PangoLayout>> layouts;
    std::vector<Page> pages{1};
    Block header;
    Block footer;

    explicit Impl(const DocumentModel& document) : page(document.page) {
        // Layout in points, independent of any device: the fax and the paper copy break alike.
        std::unique_ptr<cairo_font_options_t, FontOptionsFree> options(cairo_font_options_create());
        cairo_font_options_set_hint_metrics(options.get(), CAIRO_HINT_METRICS_OFF);
        cairo_font_options_set_hint_style(options.get(), CAIRO_HINT_STYLE_NONE);
        pango_cairo_context_set_font_options(context.get(), options.get());
        pango_cairo_context_set_resolution(context.get(), 72.0);
        pango_context_set_round_glyph_positions(context.get(), FALSE);

        const double width = page.width - page.left - page.right;
        header = block(document, StoryKind::Header, width);
        footer = block(document, StoryKind::Footer, width);
        kept = layouts.size();
    }

    // The main text, then a text box's, flowed onto the pages; each page complete goes to `sink`.
    void layOut(const DocumentModel& document, const DocumentLayout& owner, const PageSink* eachPage) {
        sink = eachPage;
        self = &owner;
        const double width = page.width - page.left - page.right;
        flow(document, StoryKind::Main, width, 0, false);
        if (document.hasStory(StoryKind::TextBox)) flow(document, StoryKind::TextBox, width - 2 * kTextBoxPadding, kTextBoxPadding, true);
        handOn();
        sink = nullptr;
    }

    // The last page, complete, to the sink; then every paragraph laid out so far but the last
    // (whose lines may run on to the next page) is let go, with the page's lines.
    void handOn() {
        if (!sink) return;
        const auto index = pages.size() - 1;
        (*sink)(*self, static_cast<int>(index));
        for (; kept + 1 < layouts.size(); ++kept) layouts[kept].reset();
        pages[index] = Page{};
        handedOn = index + 1;
    }

    PangoFontDescription* describe(const FontAttributes& look) const {
        auto* d = pango_font_description_new();
        pango_font_description_set_family(d, printerFont(std::get<std::string>(look[FontAttribute::Name])).c_str());
        pango_font_description_set_size(d, static_cast<gint>(points(look[FontAttribute::Size]) * PANGO_SCALE));
        pango_font_description_set_weight(d, on(look[FontAttribute::Bold]) ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
        pango_font_description_set_style(d, on(look[FontAttribute::Italic]) ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
        return d;
    }

    static void add(PangoAttrList* list, PangoAttribute* attribute, std::size_t start, std::size_t end) {
        attribute->start_index = static_cast<guint>(start);
        attribute->end_index = static_cast<guint>(end);
        pango_attr_list_insert(list, attribute);
    }

    // The characters [start, end) of a story (no paragraph mark) as one Pango paragraph.
    std::size_t paragraphLayout(const DocumentModel& document, StoryKind kind, int start, int end, int mark, double width) {
        const auto& chars = document.story(kind);
        std::string text;
        std::unique_ptr<PangoAttrList, AttrListUnref> attributes(pango_attr_list_new());
        const auto sameFormatting = [&](const Character& a, const Character& b) {
            return a.style == b.style && a.direct == b.direct && a.paragraphStyle == b.paragraphStyle;
        };
        for (int i = start; i < end;) {
            // Characters formatted alike look alike: the look is worked out once a run.
            const auto look = document.fontAt(kind, i);
            const std::size_t from = text.size();
            int j = i;
            for (; j < end && sameFormatting(chars[j], chars[i]); ++j) {
                const auto& g = chars[j].glyph;
                if (g == "\v") text += "\u2028";  // a line break inside the paragraph
                else if (g == kNonBreakingHyphen) text += "\u2011";  // a hyphen no line breaks at
                else if (g == kOptionalHyphen) text += "\u00AD";     // shown where a line breaks at it
                else if (g == "\t" || static_cast<unsigned char>(g[0]) >= 0x20) text += g;
                // other control characters print nothing
            }
            const std::size_t to = text.size();
            i = j;
            if (from == to) continue;
            const float size = points(look[FontAttribute::Size]);
            const bool raised = on(look[FontAttribute::Superscript]);
            const bool lowered = on(look[FontAttribute::Subscript]);
            std::unique_ptr<PangoFontDescription, FontDescriptionFree> d(describe(look));
            if (raised || lowered) pango_font_description_set_size(d.get(), static_cast<gint>(size * 0.65 * PANGO_SCALE));
            add(attributes.get(), pango_attr_font_desc_new(d.get()), from, to);
            if (raised || lowered)
                add(attributes.get(), pango_attr_rise_new(static_cast<int>((raised ? 0.35 : -0.14) * size * PANGO_SCALE)), from, to);
            if (const auto u = std::get<std::int32_t>(look[FontAttribute::Underline]); u != 0)
                add(attributes.get(), pango_attr_underline_new(u == 3 ? PANGO_UNDERLINE_DOUBLE : PANGO_UNDERLINE_SINGLE), from, to);
            if (on(look[FontAttribute::StrikeThrough]) || on(look[FontAttribute::DoubleStrikeThrough]))
                add(attributes.get(), pango_attr_strikethrough_new(TRUE), from, to);
            if (on(look[FontAttribute::AllCaps]))
                add(attributes.get(), pango_attr_text_transform_new(PANGO_TEXT_TRANSFORM_UPPERCASE), from, to);
            else if (on(look[FontAttribute::SmallCaps]))
                add(attributes.get(), pango_attr_variant_new(PANGO_VARIANT_SMALL_CAPS), from, to);
        }
        GObjectPtr<PangoLayout> layout(pango_layout_new(context.get()));
        pango_layout_set_width(layout.get(), static_cast<int>(width * PANGO_SCALE));
        pango_layout_set_wrap(layout.get(), PANGO_WRAP_WORD_CHAR);
        // An empty paragraph is as high as its paragraph mark's font.
        std::unique_ptr<PangoFontDescription, FontDescriptionFree> markFont(
            describe(document.fontAt(kind, std::min(mark, document.length(kind) - 1))));
        pango_layout_set_font_description(layout.get(), markFont.get());
        std::unique_ptr<PangoTabArray, TabArrayFree> tabs(pango_tab_array_new(1, FALSE));
        pango_tab_array_set_tab(tabs.get(), 0, PANGO_TAB_LEFT, static_cast<gint>(kTabStop * PANGO_SCALE));
        pango_layout_set_tabs(layout.get(), tabs.get());
        pango_layout_set_text(layout.get(), text.c_str(), static_cast<int>(text.size()));
        pango_layout_set_attributes(layout.get(), attributes.get());
        layouts.push_back(std::move(layout));
        return layouts.size() - 1;
    }

    // Calls `place` for each line of each paragraph of a story, with a page break after a
    // paragraph part that ended in one.
    template <class Place, class Break>
    void eachLine(const DocumentModel& document, StoryKind kind, double width, Place place, Break pageBreak) {
        const auto& chars = document.story(kind);
        const int n = static_cast<int>(chars.size());
        for (int start = 0; start < n;) {
            int end = start;
            while (end < n && chars[end].glyph != "\r" && chars[end].glyph != "\f") ++end;
            const bool breaks = end < n && chars[end].glyph == "\f";
            if (breaks && end == start) {
                // A page break alone at the start of a paragraph takes no line of its own.
                pageBreak();
                start = end + 1;
                continue;
            }
            int mark = end;
            while (mark < n && chars[mark].glyph != "\r") ++mark;
            const auto index = paragraphLayout(document, kind, start, end, mark, width);
            std::unique_ptr<PangoLayoutIter, LayoutIterFree> iter(pango_layout_get_iter(layouts[index].get()));
            int line = 0;
            do {
                PangoRectangle logical;
                pango_layout_iter_get_line_extents(iter.get(), nullptr, &logical);
                const double height = static_cast<double>(logical.height) / PANGO_SCALE;
                const double ascent = static_cast<double>(pango_layout_iter_get_baseline(iter.get()) - logical.y) / PANGO_SCALE;
                place(PlacedLine{index, line++, static_cast<double>(logical.x) / PANGO_SCALE, ascent}, height);
            } while (pango_layout_iter_next_line(iter.get()));
            if (breaks) pageBreak();
            start = end + 1;
        }
    }

    Block block(const DocumentModel& document, StoryKind kind, double width) {
        Block b;
        if (!document.hasStory(kind)) return b;
        eachLine(document, kind, width,
                 [&](PlacedLine line, double height) {
                     line.baseline += b.height;
                     b.lines.push_back(line);
                     b.height += height;
                 },
                 [] {});
        return b;
    }

    void flow(const DocumentModel& document, StoryKind kind, double width, double indent, bool framed) {
        const double top = page.top;
        const double bottom = page.height - page.bottom;
        double y = pages.size() == 1 && pages.back().lines.empty() ? top : cursor;
        std::optional<double> frameTop;
        const auto closeFrame = [&] {
            if (framed && frameTop) pages.back().frames.push_back({*frameTop, y + kTextBoxPadding});
            frameTop.reset();
        };
        const auto newPage = [&] {
            closeFrame();
            handOn();
            pages.emplace_back();
            y = top;
        };
        if (framed) y += kTextBoxPadding;
        eachLine(document, kind, width,
                 [&](PlacedLine line, double height) {
                     if (y + height > bottom && y > top + (framed ? kTextBoxPadding : 0)) newPage();
                     if (framed && !frameTop) {
                         frameTop = y - kTextBoxPadding;
                         if (*frameTop < top) {
                             y += top - *frameTop;
                             frameTop = top;
                         }
                     }
                     line.x += page.left + indent;
                     line.baseline += y;
                     pages.back().lines.push_back(line);
                     y += height;
                 },
                 newPage);
        closeFrame();
        cursor = y;
    }

    void drawLines(cairo_t* cr, const std::vector<PlacedLine>& lines, double dx, double dy) const {
        for (const auto& l : lines) {
            cairo_move_to(cr, l.x + dx, l.baseline + dy);
            pango_cairo_show_layout_line(cr, pango_layout_get_line_readonly(layouts[l.layout].get(), l.line));
        }
    }

    double cursor = 0;
    // While the document is laid out for a sink: where its pages go, and the layout they belong to.
    const PageSink* sink = nullptr;
    const DocumentLayout* self = nullptr;
    // The layouts before this one are let go or the header's and footer's, which every page draws.
    std::size_t kept = 0;
    // The pages before this one were handed on and let go.
    std::size_t handedOn = 0;
};

DocumentLayout::DocumentLayout(const DocumentModel& document) : impl_(std::make_unique<Impl>(document)) {
    impl_->layOut(document, *this, nullptr);
}

DocumentLayout::DocumentLayout(const DocumentModel& document, const PageSink& eachPage)
    : impl_(std::make_unique<Impl>(document)) {
    impl_->layOut(document, *this, &eachPage);
}

DocumentLayout::~DocumentLayout() = default;

int DocumentLayout::pageCount() const { return static_cast<int>(impl_->pages.size()); }

const PageSetup& DocumentLayout::page() const { return impl_->page; }

void DocumentLayout::draw(cairo_t* cr, int index) const {
    const auto& impl = *impl_;
    const auto& page = impl.pages.at(static_cast<std::size_t>(index));
    if (static_cast<std::size_t>(index) < impl.handedOn)
        throw RuntimeError(err::InternalError, "Page " + std::to_string(index + 1) + " was let go once it was handed on.");
    cairo_save(cr);
    cairo_set_source_rgb(cr, 0, 0, 0);
    impl.drawLines(cr, impl.header.lines, impl.page.left, impl.page.header);
    impl.drawLines(cr, impl.footer.lines, impl.page.left, impl.page.height - impl.page.footer - impl.footer.height);
    impl.drawLines(cr, page.lines, 0, 0);
    cairo_set_line_width(cr, 0.75);
    for (const auto& f : page.frames) {
        cairo_rectangle(cr, impl.page.left, f.top, impl.page.width - impl.page.left - impl.page.right, f.bottom - f.top);
        cairo_stroke(cr);
    }
    cairo_restore(cr);
}

}  // namespace telvora::sim::output
