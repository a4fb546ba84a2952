// The add-in's Variant and the automation VARIANT, converted both ways. Objects travel as IDispatch.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>

#include "base/product.h"
#include "base/variant.h"
#include "win32/handles.h"

namespace telvora::win32 {

// Reads a VARIANT (by-reference values followed) the way a macro would receive it. A missing
// optional argument reads as Empty; Null stays Null, so using it as a value raises 94 as in a
// macro. A one-dimensional array becomes an array of its elements; a Date keeps the text the
// system writes for it in the user's locale; a value of any other kind is held as an opaque value
// (so reading it is no error; using it as text or a number is 13). `source` names the object for
// errors of objects it returns.
Variant fromVariant(const VARIANT& v, const std::string& source = kAppTitle);

// Builds a VARIANT holding `value`; strings become BSTRs, objects their IDispatch, arrays a
// SAFEARRAY of VARIANTs. Raises type mismatch (13) for an object that is not an automation object
// of this binding and for an opaque value.
UniqueVariant toVariant(const Variant& value);

}  // namespace telvora::win32
