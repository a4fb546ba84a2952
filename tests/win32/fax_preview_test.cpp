// The fax preview on a real window system: the fax printer's image decoded by the Windows Imaging
// Component as the recipient's machine prints it, and the user's Send, Cancel and closing of the
// window, by keyboard and mouse as a person uses it.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <bit>

#include "base/errors.h"
#include "support.h"
#include "user_script.h"
#include "win32/fax_preview_window.h"
#include "win32/text.h"

namespace telvora::win32 {
namespace {

const std::string kTwoPages = "Z:" TELVORA_TEST_DATA "/two-page-fax.tif";

// The share of a page's pixels that are black.
double inkOf(const FaxPreviewPage& page) {
    std::size_t black = 0;
    const std::size_t rowBytes = page.bits.size() / static_cast<std::size_t>(page.height);
    for (int y = 0; y < page.height; ++y) {
        for (int x = 0; x < page.width; ++x) {
            const std::uint8_t byte = page.bits[static_cast<std::size_t>(y) * rowBytes + static_cast<std::size_t>(x / 8)];
            black += ((byte >> (7 - x % 8)) & 1) == 0;
        }
    }
    return static_cast<double>(black) / (static_cast<double>(page.width) * page.height);
}

TEST(FaxImage, TheFaxPrintersGroup3ImageDecodesPageByPageAtItsOwnResolutionBlackOnWhite) {
    const auto pages = decodeFaxImage(kTwoPages);
    ASSERT_EQ(pages.size(), 2u);
    for (const auto& page : pages) {
        EXPECT_EQ(page.width, 1728);
        EXPECT_EQ(page.height, 2149);
        EXPECT_DOUBLE_EQ(page.xDpi, 204);
        EXPECT_DOUBLE_EQ(page.yDpi, 196);
        // Text on white paper: some ink, most of the page white (a reversed image would be mostly black).
        const double ink = inkOf(page);
        EXPECT_GT(ink, 0.0005);
        EXPECT_LT(ink, 0.2);
    }
    EXPECT_NE(pages[0].bits, pages[1].bits);
    EXPECT_THROW((void)decodeFaxImage("Z:" TELVORA_TEST_DATA "/no-such-fax.tif"), RuntimeError);
}

// Closes a preview the user's input never reached.
void CALLBACK closeUnanswered(HWND window, UINT, UINT_PTR, DWORD) {
    ADD_FAILURE() << "the user's way out never reached the preview";
    ::KillTimer(window, 1);
    ::PostMessageW(window, WM_CLOSE, 0, 0);
}

class FaxPreviewWindow : public ::testing::Test {
protected:
    void SetUp() override {
        if (!::GetEnvironmentVariableW(L"DISPLAY", nullptr, 0)) GTEST_SKIP() << "no display";
    }

    // Shows the preview of the two-page fax while the script acts on it; answers the user's choice.
    PreviewAnswer run(std::vector<test::Step> steps) {
        Win32FaxPreview preview;
        preview.onShown = [this](HWND window) { shown = window; };
        // The last step is the user's own way out, whose input arrives a little later; the window
        // is closed for them only when it has not gone five seconds on, or the script failed.
        test::UserScript script(std::move(steps), [this] {
            if (!shown || !::IsWindow(shown)) return;
            if (!userClosing) {
                ::PostMessageW(shown, WM_CLOSE, 0, 0);
                return;
            }
            ::SetTimer(shown, 1, 5000, &closeUnanswered);
        });
        const PreviewAnswer answer = preview.showFaxPreview({kTwoPages, "Ann Okafor", "0893351234", 3});
        EXPECT_EQ(script.failure(), "");
        EXPECT_TRUE(script.finished()) << "the preview closed before the script was done";
        EXPECT_FALSE(::IsWindow(shown)) << "the window goes with the preview";
        return answer;
    }
    std::wstring text(int id) const { return test::windowTextOf(::GetDlgItem(shown, id)); }

    // The user's way out of the preview: the last step of each script.
    test::Step leave(std::function<void()> how) {
        return test::act([this, how] {
            userClosing = true;
            how();
        });
    }

    HWND shown = nullptr;
    bool userClosing = false;
};

TEST_F(FaxPreviewWindow, PageDownTurnsThePageAndReturnSends) {
    const auto answer = run({
        test::until([this] { return shown && ::IsWindowVisible(shown); }, "the preview"),
        test::act([this] { EXPECT_EQ(text(preview_id::Count), L"Page 1 of 2 (204 x 196 dpi, black and white)"); }),
        test::act([this] { ::SetFocus(::GetDlgItem(shown, preview_id::Page)); }),
        test::act([] { test::pressKey(VK_NEXT); }),
        test::until([this] { return text(preview_id::Count).starts_with(L"Page 2 of 2"); }, "the second page"),
        test::act([this] {
            EXPECT_EQ(::SendDlgItemMessageW(shown, preview_id::Pages, LB_GETCURSEL, 0, 0), 1) << "its thumbnail chosen";
            EXPECT_EQ(::SendDlgItemMessageW(shown, preview_id::Pages, LB_GETCOUNT, 0, 0), 2);
        }),
        leave([] { test::pressKey(VK_RETURN); }),
    });
    EXPECT_EQ(answer, PreviewAnswer::Send);
}

TEST_F(FaxPreviewWindow, EscapeTheCancelButtonAndClosingTheWindowEachSendNothing) {
    const std::vector<std::function<void(HWND)>> ways = {
        [](HWND) { test::pressKey(VK_ESCAPE); },
        [](HWND w) { test::clickAt(::GetDlgItem(w, preview_id::Cancel)); },
        [](HWND w) { ::PostMessageW(w, WM_SYSCOMMAND, SC_CLOSE, 0); },
    };
    for (const auto& way : ways) {
        shown = nullptr;
        userClosing = false;
        const auto answer = run({
            test::until([this] { return shown && ::IsWindowVisible(shown); }, "the preview"),
            leave([this, &way] { way(shown); }),
        });
        EXPECT_EQ(answer, PreviewAnswer::Cancel);
    }
}

}  // namespace
}  // namespace telvora::win32
