// CSV data sources: RFC 4180 records, checked as strictly as a merge needs, every fault named by
// its line so the user can find it in the file.
#include "sim/word/csv_data_source.h"

#include <fstream>
#include <sstream>
#include <unordered_set>

#include "base/text.h"

namespace telvora::sim {
namespace {

struct Row {
    std::vector<std::string> fields;
    int line = 1;
    bool blank = false;  // a line with nothing on it
};

[[noreturn]] void malformed(const std::string& source, int line, const std::string& what) {
    throw wordError(wderr::DataSourceUnreadable, "Word was unable to open the data source \"" + source +
                                                     "\": line " + std::to_string(line) + ": " + what);
}

std::vector<Row> splitRows(std::string_view text, const std::string& source, char delimiter) {
    std::vector<Row> rows;
    Row row;
    std::string field;
    int line = 1;
    std::size_t i = 0;
    const auto atLineEnd = [&](std::size_t k) { return k < text.size() && (text[k] == '\r' || text[k] == '\n'); };
    const auto skipLineEnd = [&] {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        ++i;
        ++line;
    };
    while (true) {
        bool quoted = false;
        if (i < text.size() && text[i] == '"') {
            quoted = true;
            const int opened = line;
            ++i;
            while (true) {
                if (i >= text.size()) malformed(source, opened, "a quoted field is never closed");
                const char c = text[i];
                if (c == '"') {
                    if (i + 1 < text.size() && text[i + 1] == '"') {
                        field += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                if (c == '\n' || (c == '\r' && !(i + 1 < text.size() && text[i + 1] == '\n'))) ++line;
                field += c;
                ++i;
            }
            if (i < text.size() && text[i] != delimiter && !atLineEnd(i))
                malformed(source, line, "text follows the closing quote of a field");
        } else {
            while (i < text.size() && text[i] != delimiter && !atLineEnd(i)) {
                if (text[i] == '"') malformed(source, line, "a quote inside a field that does not start with one");
                field += text[i++];
            }
        }
        const bool blankField = !quoted && field.empty();
        row.fields.push_back(std::move(field));
        field.clear();
        if (i < text.size() && text[i] == delimiter) {
            ++i;
            continue;
        }
        row.blank = row.fields.size() == 1 && blankField;
        const bool end = i >= text.size();
        rows.push_back(std::move(row));
        row = Row{};
        if (end) break;
        skipLineEnd();
        row.line = line;
        if (i >= text.size()) break;
    }
    // A file ends with a line break or with blank lines; those are not records.
    while (!rows.empty() && rows.back().blank) rows.pop_back();
    return rows;
}

}  // namespace

char detectDelimiter(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    // The header row decides, quoted names skipped: field names rarely hold a delimiter, data often does.
    constexpr std::string_view candidates = "\t,;|";
    std::size_t counts[candidates.size()] = {};
    bool quoted = false;
    for (const char c : text) {
        if (c == '"') quoted = !quoted;
        if (quoted) continue;
        if (c == '\r' || c == '\n') break;
        if (const auto k = candidates.find(c); k != std::string_view::npos) ++counts[k];
    }
    std::size_t best = 1;  // a single field name: a comma-separated file of one column
    for (std::size_t k = 0; k < candidates.size(); ++k)
        if (counts[k] > counts[best]) best = k;
    return candidates[best];
}

MergeSource parseCsv(std::string_view text, const std::string& sourceName) {
    return parseDelimitedText(text, sourceName, ',');
}

MergeSource parseDelimitedText(std::string_view text, const std::string& sourceName, char delimiter) {
    if (delimiter == '"' || delimiter == '\r' || delimiter == '\n' || delimiter == '\0')
        throw wordError(wderr::DataSourceUnreadable, "Word was unable to open the data source \"" + sourceName +
                                                         "\": its field delimiter cannot be a quote or a line break");
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    auto rows = splitRows(text, sourceName, delimiter);
    if (rows.empty()) malformed(sourceName, 1, "there is no header row of field names");

    MergeSource source;
    source.name = sourceName;
    source.delimiter = delimiter;
    for (const auto& row : rows) {
        for (const auto& value : row.fields) {
            try {
                (void)splitCharacters(value);
            } catch (const RuntimeError&) {
                malformed(sourceName, row.line, "the text is not UTF-8");
            }
        }
    }
    const auto& header = rows.front();
    // Field names compare without regard to letter case.
    std::unordered_set<std::string> seen;
    for (std::size_t k = 0; k < header.fields.size(); ++k) {
        const auto& name = header.fields[k];
        if (name.empty()) malformed(sourceName, header.line, "field " + std::to_string(k + 1) + " has no name");
        if (!seen.insert(lowerAscii(name)).second)
            malformed(sourceName, header.line, "the field name \"" + name + "\" appears twice");
    }
    source.fieldNames = header.fields;
    for (std::size_t r = 1; r < rows.size(); ++r) {
        const auto& row = rows[r];
        if (row.fields.size() != header.fields.size())
            malformed(sourceName, row.line,
                      std::to_string(row.fields.size()) + " fields where the header row has " +
                          std::to_string(header.fields.size()));
        source.records.push_back(row.fields);
    }
    return source;
}

MergeSource readCsvFile(const std::filesystem::path& file) { return readDataSourceFile(file, file.string(), ','); }

MergeSource readDataSourceFile(const std::filesystem::path& file, const std::string& sourceName,
                               std::optional<char> delimiter) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw wordError(wderr::FileNotFound, "This file could not be found. (" + sourceName + ")");
    std::ostringstream bytes;
    bytes << in.rdbuf();
    const std::string text = bytes.str();
    return parseDelimitedText(text, sourceName, delimiter ? *delimiter : detectDelimiter(text));
}

}  // namespace telvora::sim
