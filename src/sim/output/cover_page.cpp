// Drawing a cover page and setting it in front of a fax image.
#include "sim/output/cover_page.h"

#include <vector>

#include "sim/output/fax_image.h"
#include "sim/output/page_layout.h"
#include "sim/word/document_builder.h"

namespace telvora::sim::output {
namespace {

// One line of the cover page: a bold caption and its value.
void field(DocumentBuilder& page, const char* caption, const std::string& value) {
    page.text(caption, Format().bold().size(14).name("Arial")).text(value + "\r", Format().size(14).name("Arial"));
}

FaxPage drawCoverPage(const SubmittedFax& job, const SubmittedCoverPage& cover, int pages) {
    DocumentBuilder page("Cover page");
    page.text("FAX\r", Format().bold().size(36).name("Arial")).text("\r");
    field(page, "To: ", job.recipient);
    if (!job.company.empty()) field(page, "Company: ", job.company);
    field(page, "Fax number: ", job.number);
    field(page, "From: ", cover.sender);
    field(page, "Subject: ", job.subject);
    field(page, "Pages: ", std::to_string(pages) + " including this cover page");
    page.text("\r");
    if (!cover.note.empty()) {
        page.text("Note:\r", Format().bold().size(14).name("Arial"));
        std::string note = cover.note;
        // A note's line breaks are the paragraphs of the note field.
        for (std::size_t at = 0; (at = note.find("\r\n", at)) != std::string::npos;) note.erase(at + 1, 1);
        for (char& c : note) {
            if (c == '\n') c = '\r';
        }
        page.text(note + "\r", Format().size(12).name("Arial"));
    }
    const DocumentModel model = page.build();
    const DocumentLayout layout(model);
    // A note longer than a page is cut where the page ends, as on a cover page file's note field.
    return FaxPageRenderer(layout).render(0);
}

}  // namespace

std::string withCoverPage(const SubmittedFax& job, const SubmittedCoverPage& cover, const std::string& tiff,
                          const std::string& name) {
    int pages = 0;
    {
        FaxTiffReader counting(tiff, name);
        while (counting.nextPage()) ++pages;
    }
    FaxTiffWriter out;
    out.add(drawCoverPage(job, cover, pages + 1));
    FaxTiffReader image(tiff, name);
    while (image.nextPage()) out.add(image.page());
    return out.finish();
}

}  // namespace telvora::sim::output
