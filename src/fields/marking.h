// Marking the fax fields in the document and reading them back. A mark is a character style of a
// fixed name on the marked text; the document is the only record of the marks.
#pragma once

#include <memory>
#include <string>

#include "app/addin.h"
#include "ports/word.h"

namespace telvora {

enum class FaxField { Number, Name, Company, Subject };

// The style that marks a field ("tlvFaxNumber", ...).
const char* FieldStyleName(FaxField field) noexcept;
// What a marking command says when nothing is selected.
const char* NothingSelectedMessage(FaxField field) noexcept;

// The marking command of one field: marks the selection, or says that nothing is selected.
// Reports its own errors.
void MarkFieldCommand(Addin& addin, FaxField field);

// Marks the current selection with the field style, moving the mark from wherever it was.
void MarkField(Addin& addin, const std::string& styleName);
// The text of the first run inside the range that carries the style; "" when there is none, and
// for an empty range or one whose document is gone. Never raises.
std::string FindFieldText(Addin& addin, const std::shared_ptr<word::Range>& range, const std::string& styleName);
// The marked text of a field in the active document's main text (91 when no document is open).
std::string ReadField(Addin& addin, FaxField field);
[[nodiscard]] bool FieldStyleExists(Addin& addin, const std::string& styleName);
void CreateFieldStyle(Addin& addin, const std::string& styleName);
// Removes the style from the document while the marked text keeps its look.
void ClearFieldMark(Addin& addin, const std::string& styleName);
void DeleteFieldStyle(Addin& addin, const std::string& styleName);

}  // namespace telvora
