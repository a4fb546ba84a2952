// libFuzzer: the mail-merge data reader on untrusted text. The first byte picks the delimiter
// (or, when it is none Word allows, detection picks it); what is refused is refused with Word's
// data-source error, and what is read is rectangular.
#include "fuzz/fuzz_support.h"
#include "sim/word/csv_data_source.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    const char chosen = static_cast<char>(data[0]);
    const char delimiter = chosen == ',' || chosen == ';' || chosen == '\t' || chosen == '|' ? chosen : telvora::sim::detectDelimiter(text);
    try {
        const auto source = telvora::sim::parseDelimitedText(text, "input.csv", delimiter);
        if (source.fieldNames.empty()) telvora::fuzz::broken("a source without field names");
        for (const auto& record : source.records)
            if (record.size() != source.fieldNames.size()) telvora::fuzz::broken("a record of another width than the header");
    } catch (const telvora::RuntimeError& e) {
        if (e.number() != telvora::sim::wderr::DataSourceUnreadable) telvora::fuzz::broken("refused with " + e.description());
    }
    return 0;
}
