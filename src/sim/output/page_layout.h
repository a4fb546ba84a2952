// A document laid out on its pages as Word would print it: the main text in paragraphs broken
// into lines by Pango, in metric-compatible fonts (Liberation for Times New Roman, Arial and
// Courier New, Carlito and Caladea for Calibri and Cambria) with each character's size, weight, slant, underline and font, flowing onto a new
// page where it runs over the bottom margin or a page break stands; the header and footer on every
// page; a text box's text framed after the main text. One layout serves every kind of output, so
// a fax and a paper copy break their pages in the same places.
#pragma once

#include <functional>
#include <memory>

#include "sim/word/word_model.h"

// Cairo's drawing context, as its own header declares it; the rendering libraries stay private to
// the output floor.
typedef struct _cairo cairo_t;

namespace telvora::sim::output {

class DocumentLayout {
public:
    explicit DocumentLayout(const DocumentModel& document);
    // Lays the document out as above and hands each page to `eachPage` as soon as it is complete,
    // before the next one is laid out; once it returns, what only that page needed is let go, so
    // however long the document, no more than a page or two of it is laid out at a time. A page
    // handed on can be drawn only while it is being handed on.
    using PageSink = std::function<void(const DocumentLayout& layout, int index)>;
    DocumentLayout(const DocumentModel& document, const PageSink& eachPage);
    ~DocumentLayout();
    DocumentLayout(const DocumentLayout&) = delete;
    DocumentLayout& operator=(const DocumentLayout&) = delete;

    int pageCount() const;
    const PageSetup& page() const;
    // Draws page `index` (from 0) in black onto `cr`, whose user space is the page in points
    // with its origin at the top left corner. Raises for a page already handed on and let go.
    void draw(cairo_t* cr, int index) const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// The font the simulated printers use for a font Word names: the metric-compatible Liberation,
// Carlito or Caladea font for Word's standard fonts, the name itself (found by the system's font matching) otherwise.
std::string printerFont(const std::string& wordFont);

}  // namespace telvora::sim::output
