// Reads a mail-merge data source from a CSV file: a header row of field names, then one record a
// line, RFC 4180 quoting, UTF-8.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "sim/word/word_model.h"

namespace telvora::sim {

// Parses CSV text. `sourceName` names the source in errors and becomes its name. A malformed text
// raises a run-time error whose description names the line at fault.
MergeSource parseCsv(std::string_view text, const std::string& sourceName);

// Reads and parses a CSV file from the disk; the source's name is the path as given.
MergeSource readCsvFile(const std::filesystem::path& file);

}  // namespace telvora::sim
