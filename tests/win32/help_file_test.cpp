// The help file as F1 and the Help command reach it: HTML Help opens a help window for each topic
// number the add-in asks for and none for a number the file does not know. (Which page each number
// opens is read from the compiled file by help_map.sh: Wine's help viewer shows no page here.)
#include <gtest/gtest.h>

#include <windows.h>
#include <htmlhelp.h>

#include <string>

#include "support.h"
#include "win32/handles.h"
#include "win32/text.h"

namespace telvora::win32 {
namespace {

using HtmlHelpFunction = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);

TEST(HelpFile, EachTopicNumberOpensAHelpWindowAndAnUnknownNumberNone) {
    test::Apartment apartment;
    unique_hmodule hhctrl(::LoadLibraryW(L"hhctrl.ocx"));
    ASSERT_TRUE(hhctrl);
    const auto htmlHelp = reinterpret_cast<HtmlHelpFunction>(reinterpret_cast<void*>(::GetProcAddress(hhctrl.get(), "HtmlHelpW")));
    ASSERT_NE(nullptr, htmlHelp);
    const std::wstring file = test::environmentText(L"TELVORA_HELP_FILE");
    ASSERT_FALSE(file.empty());
    for (const DWORD topic : {1000u, 1010u, 1070u, 1075u, 2000u}) {
        const HWND window = htmlHelp(nullptr, file.c_str(), HH_HELP_CONTEXT, topic);
        EXPECT_TRUE(window && ::IsWindow(window)) << "topic " << topic;
    }
    EXPECT_EQ(nullptr, htmlHelp(nullptr, file.c_str(), HH_HELP_CONTEXT, 1234));
    (void)htmlHelp(nullptr, nullptr, HH_CLOSE_ALL, 0);
}

}  // namespace
}  // namespace telvora::win32
