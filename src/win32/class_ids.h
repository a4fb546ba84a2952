// The class identifiers and programmatic identifiers of the add-in's creatable classes. Macros,
// Word's add-in list and existing registrations refer to them: they never change.
#pragma once

#include <windows.h>

namespace telvora::win32 {

// {FDD05042-C7EF-447C-978D-E7B7C97FE935}
inline constexpr CLSID kClsidButtons = {0xFDD05042, 0xC7EF, 0x447C, {0x97, 0x8D, 0xE7, 0xB7, 0xC9, 0x7F, 0xE9, 0x35}};
// {283238B9-EC67-4AD5-9590-94A72EBE8AF0}
inline constexpr CLSID kClsidPagewire = {0x283238B9, 0xEC67, 0x4AD5, {0x95, 0x90, 0x94, 0xA7, 0x2E, 0xBE, 0x8A, 0xF0}};
// {0B6CDED4-8A45-4C78-B0BB-0702073CFE29}
inline constexpr CLSID kClsidFax = {0x0B6CDED4, 0x8A45, 0x4C78, {0xB0, 0xBB, 0x07, 0x02, 0x07, 0x3C, 0xFE, 0x29}};
// {0632E007-9F46-4D61-8C10-2ED9619C0871}
inline constexpr CLSID kClsidFaxSBS = {0x0632E007, 0x9F46, 0x4D61, {0x8C, 0x10, 0x2E, 0xD9, 0x61, 0x9C, 0x08, 0x71}};
// {B428435A-44D1-427C-A699-BA4ABDA7E11D}
inline constexpr CLSID kClsidWinFax = {0xB428435A, 0x44D1, 0x427C, {0xA6, 0x99, 0xBA, 0x4A, 0xBD, 0xA7, 0xE1, 0x1D}};

// The type library and the dispatch interfaces it describes, one a class (telvora.idl). An
// early-bound macro asks the object for its class's interface by these identifiers.
// {47AFF9E0-E666-4B9D-935E-9AA71692A77C}
inline constexpr GUID kLibidTelvora = {0x47AFF9E0, 0xE666, 0x4B9D, {0x93, 0x5E, 0x9A, 0xA7, 0x16, 0x92, 0xA7, 0x7C}};
// {F5DFE206-230D-436A-90D9-754087D24174}
inline constexpr IID kDiidButtons = {0xF5DFE206, 0x230D, 0x436A, {0x90, 0xD9, 0x75, 0x40, 0x87, 0xD2, 0x41, 0x74}};
// {24F795A5-4C97-4B68-BF3F-412188317A8E}
inline constexpr IID kDiidFax = {0x24F795A5, 0x4C97, 0x4B68, {0xBF, 0x3F, 0x41, 0x21, 0x88, 0x31, 0x7A, 0x8E}};
// {AE555884-44C1-4C3F-9C02-C8A28FA026D2}
inline constexpr IID kDiidFaxSBS = {0xAE555884, 0x44C1, 0x4C3F, {0x9C, 0x02, 0xC8, 0xA2, 0x8F, 0xA0, 0x26, 0xD2}};
// {6C162C02-0197-4F52-AD4A-DC5A1AF9AAE9}
inline constexpr IID kDiidWinFax = {0x6C162C02, 0x0197, 0x4F52, {0xAD, 0x4A, 0xDC, 0x5A, 0x1A, 0xF9, 0xAA, 0xE9}};
inline constexpr const wchar_t* kTypeLibVersion = L"1.0";

inline constexpr const wchar_t* kProgIdButtons = L"Telvora.Buttons";
inline constexpr const wchar_t* kProgIdPagewire = L"Telvora.Pagewire";
inline constexpr const wchar_t* kProgIdFax = L"Telvora.Fax";
inline constexpr const wchar_t* kProgIdFaxSBS = L"Telvora.FaxSBS";
inline constexpr const wchar_t* kProgIdWinFax = L"Telvora.WinFax";

}  // namespace telvora::win32
