// Word documents in the .docx format for the in-memory word processor: read into a DocumentModel
// and written from one, with paragraphs and runs, character and paragraph styles by name, the font
// attributes Word keeps, simple and complex fields with their types, headers, footers and text
// boxes as stories of their own, the page setup and the mail-merge settings with their text data
// source. A damaged file raises Word's corrupted-file error naming the file and what is wrong.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "sim/machine/machine_paths.h"
#include "sim/word/word_model.h"

namespace telvora::sim::docx {

// Reads the mail-merge data source a document names: the path as the document gives it (a Windows
// path) and the field delimiter, when the document says which.
using DataSourceOpener = std::function<MergeSource(const std::string& path, std::optional<char> delimiter)>;

// Reads the .docx `file` as the document `documentName`. `displayName` names the file in errors
// (the path the user gave). A document that is a mail-merge main document has its data source
// read through `openDataSource`; without one, such a document raises, since its data would be lost.
DocumentModel readDocx(const std::filesystem::path& file, const std::string& documentName,
                       const std::string& displayName, const DataSourceOpener& openDataSource);

// Writes the document as a .docx, replacing `file` only once the whole file is written.
void writeDocx(const DocumentModel& document, const std::filesystem::path& file, const std::string& displayName);

// The same on the simulated machine's drive, by Windows path: the document is named by its file
// name as Word names it, and a data source with a relative path is looked for in the document's
// folder. Every path resolves inside the machine (75 for one that leads out).
DocumentModel openDocx(const MachinePaths& drive, const std::string& windowsPath);
void saveDocx(const DocumentModel& document, const MachinePaths& drive, const std::string& windowsPath);

}  // namespace telvora::sim::docx
