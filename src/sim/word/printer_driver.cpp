// The plain-text printer driver.
#include "sim/word/printer_driver.h"

#include <fstream>

namespace telvora::sim {

std::optional<std::filesystem::path> PrinterDriver::print(const PrintJob&) { return std::nullopt; }

void PlainTextDriver::printToFile(const PrintJob& job, const std::filesystem::path& file) {
    std::string out;
    for (const auto& c : job.document.story(StoryKind::Main)) out += c.glyph == "\r" ? std::string("\r\n") : c.glyph;
    std::ofstream stream(file, std::ios::binary | std::ios::trunc);
    if (stream) stream.write(out.data(), static_cast<std::streamsize>(out.size()));
    if (!stream) throw RuntimeError::standard(err::PathFileAccess, "Microsoft Word");
}

}  // namespace telvora::sim
