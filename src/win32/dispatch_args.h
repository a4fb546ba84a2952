// The arguments of a late-bound call as macros pass them (plain values, by-reference strings and
// Variants, numbers of any integer width), read as the types a member declares, and changed texts
// written back to the caller's variables.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>

#include "base/variant.h"
#include "win32/handles.h"

namespace telvora::win32 {

// The types of the add-in's late-bound members, named as a macro declares them.
enum class DispatchType {
    None,     // the result of a Sub: Empty
    String,
    Boolean,
    Long,
    Object,   // an automation object, or Nothing
    Array,    // an array the add-in passes over unread
};

// An argument as the member's declared type: a String as text, a Boolean as a macro's CBool
// converts it, a Long as a 32-bit integer, an Object as an object or Nothing, an Array as Empty.
// Raises what the macro's own conversion raises: 13 when the value cannot become that type, 94
// for Null, 6 for a number out of range.
Variant readArgument(const VARIANT& v, DispatchType type);

// A member's answer as the VARIANT of its declared result type.
UniqueVariant resultVariant(const Variant& answer, DispatchType type);

// A String argument whose text the member changed: the new text goes back when the caller passed
// a variable by reference (a string or a Variant), as with a macro's own ByRef String parameter;
// a value passed by value is left alone. Raises std::bad_alloc.
void writeBackText(VARIANT& argument, const std::string& text);

// The text an argument stands for: integers exactly, everything else as the macro runtime turns
// it into a string.
std::string argumentText(const VARIANT& v);

}  // namespace telvora::win32
