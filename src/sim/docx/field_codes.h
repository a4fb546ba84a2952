// What a field's code says about it: the type Word gives the field, and which data field a merge
// field shows.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace telvora::sim::docx {

// Word's type number for a field of this code ("MERGEFIELD Fax" 59, "REF Total" 3, "PAGE" 33). A
// code starting with a word Word does not know as a field names a bookmark, which makes it a
// reference field, as Word reads it; an empty code is an empty field (-1).
std::int32_t fieldTypeOf(std::string_view code);

// The data field a merge field's code names ("MERGEFIELD \"First Name\" \* MERGEFORMAT" names
// First Name); "" for a code that is no merge field.
std::string mergeFieldName(std::string_view code);

}  // namespace telvora::sim::docx
