// Reads a mail-merge data source from a CSV or other delimited text file: a header row of field
// names, then one record a line, RFC 4180 quoting, UTF-8.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "sim/word/word_model.h"

namespace telvora::sim {

// Parses CSV text. `sourceName` names the source in errors and becomes its name. A malformed text
// raises a run-time error whose description names the line at fault.
MergeSource parseCsv(std::string_view text, const std::string& sourceName);

// The same with fields separated by `delimiter` (a tab, a semicolon, ...).
MergeSource parseDelimitedText(std::string_view text, const std::string& sourceName, char delimiter);
// The delimiter a text data source uses, as Word guesses it when the document does not say: the
// most frequent of tab, comma, semicolon and bar in the header row; a comma when there is none.
char detectDelimiter(std::string_view text);

// Reads and parses a CSV file from the disk; the source's name is the path as given.
MergeSource readCsvFile(const std::filesystem::path& file);
// Reads a delimited text file of the disk as the data source named `sourceName` (the path Word
// reports), with the delimiter given or detected.
MergeSource readDataSourceFile(const std::filesystem::path& file, const std::string& sourceName,
                               std::optional<char> delimiter = std::nullopt);

}  // namespace telvora::sim
