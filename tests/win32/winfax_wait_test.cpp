// A wait for WinFax on the real message loop: Word's thread rests between polls instead of
// spinning the processor while WinFax works.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>

#include "backends/winfax_wait.h"
#include "win32/automation.h"
#include "win32/registry_settings_store.h"
#include "win32/win32_platform.h"
#include "win32/win32_ui.h"

namespace telvora::win32 {
namespace {

std::chrono::microseconds threadProcessorTime() {
    FILETIME created, exited, kernel, user;
    ::GetThreadTimes(::GetCurrentThread(), &created, &exited, &kernel, &user);
    const auto ticks = [](const FILETIME& t) {
        return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return std::chrono::microseconds((ticks(kernel) + ticks(user)) / 10);
}

TEST(WinFaxWait, UsesLittleOfTheProcessorWhileWinFaxWorks) {
    RegistrySettingsStore settings;
    Win32Automation automation;
    Win32Ui ui;
    Win32Platform platform;
    Addin addin{Ports{settings, automation, ui, platform}};

    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const auto cpuBefore = threadProcessorTime();
    int polls = 0;
    ASSERT_TRUE(waitForWinFax(addin, [&] {
        ++polls;
        return Clock::now() - start >= std::chrono::seconds(1);
    }));
    const auto wall = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start);
    const auto cpu = threadProcessorTime() - cpuBefore;
    EXPECT_LT(cpu.count() * 20, wall.count()) << "more than 5 % of one core: " << cpu.count() << " of "
                                              << wall.count() << " microseconds";
    // Polled often enough that the fax goes on at once, and no more.
    EXPECT_GE(polls, 5);
    EXPECT_LE(polls, 20);
}

}  // namespace
}  // namespace telvora::win32
