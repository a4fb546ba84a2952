// How long the add-in makes Word's start wait: from the creation of Telvora.Pagewire to the return
// of the first window activation, inside the Word-like host, with a fax printer stored and
// installed and the companion template in place. Each run loads the DLL afresh, as a start of Word
// does; the system libraries Word itself loads at its start (the print spooler's among them, whose
// first load under Wine alone takes about 20 ms) are loaded beforehand, as they are in Word, so the
// figure is what the add-in adds. Prints the median of the runs, the add-in's own share (the host's
// time answering its calls taken out) and the COM calls one start-up makes. Exit code 1 when a
// start-up did not complete quietly (a message shown, the add-in not connected): its time would
// mean nothing.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "sim/word/document_builder.h"
#include "support.h"
#include "word_host/machine_setup.h"
#include "message_boxes.h"
#include "word_host/word_host.h"

using namespace telvora;
using namespace telvora::win32;

namespace {

constexpr int kRuns = 20;
constexpr int kWarmUpRuns = 3;

std::shared_ptr<sim::WordProcessor> startingWord() {
    auto word = std::make_shared<sim::WordProcessor>();
    word->addCommandBar("Help", {sim::button("HelpContents")});
    word->addCommandBar("Tools", {sim::button("Options")});
    word->addCommandBar("Telvora", {sim::button("FaxNumber")}, false);
    return word;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main() {
    test::Apartment apartment;
    for (const wchar_t* library : {L"winspool.drv", L"comdlg32.dll", L"shell32.dll", L"shlwapi.dll"}) {
        if (!::LoadLibraryW(library)) {
            std::printf("a library Word loads is missing\n");
            return 1;
        }
    }
    host::MessageBoxWatcher user;
    host::CompanionTemplate companion;
    host::InstalledPrinter printer(L"Telvora Fax");
    host::StoredSetting stored("Printer", "Telvora Fax");
    if (!printer.installed()) {
        std::printf("the fax printer could not be installed\n");
        return 1;
    }
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    const double msPerTick = 1000.0 / static_cast<double>(frequency.QuadPart);

    struct Run {
        bool quiet;
        double ms;
        double ownMs;
        long lookups;
        long invocations;
    };
    // One start of Word with the add-in: the time from creating the add-in's connection to the end
    // of the first window activation, and what the add-in asked of Word meanwhile.
    const auto startUp = [&](int number) {
        auto word = startingWord();
        host::WordHost host(word);
        LARGE_INTEGER start;
        LARGE_INTEGER end;
        ::QueryPerformanceCounter(&start);
        const auto loaded = host.loadAddins();
        word->open(sim::DocumentBuilder("Letter.doc").text("Fax 555 1234").build());
        ::QueryPerformanceCounter(&end);
        Run run{loaded.size() == 1 && word->commandBarVisible("Telvora") && user.texts().empty(),
                static_cast<double>(end.QuadPart - start.QuadPart) * msPerTick, 0, host.counters().lookups,
                host.counters().invocations};
        run.ownMs = run.ms - static_cast<double>(host.counters().servingTicks) * msPerTick;
        if (!run.quiet) {
            std::printf("run %d: the start-up did not complete quietly (%zu add-ins, toolbar %s)\n", number,
                        loaded.size(), word->commandBarVisible("Telvora") ? "shown" : "hidden");
            for (const auto& text : user.texts()) std::printf("  message: %s\n", text.c_str());
        }
        host.unloadAddins();
        ::CoFreeUnusedLibrariesEx(0, 0);
        return run;
    };

    // The first starts also read the DLL from disk and fill the system's caches: they are not
    // measured.
    for (int run = 1; run <= kWarmUpRuns; ++run) {
        if (!startUp(-run).quiet) return 1;
    }

    std::vector<double> total;
    std::vector<double> own;
    long lookups = 0;
    long invocations = 0;
    for (int number = 1; number <= kRuns; ++number) {
        const Run run = startUp(number);
        if (!run.quiet) return 1;
        total.push_back(run.ms);
        own.push_back(run.ownMs);
        lookups = run.lookups;
        invocations = run.invocations;
    }
    const long calls = lookups + invocations + 1;
    // Each build tree runs it for its own DLL: the two figures side by side are the two Words'.
    std::printf("start-up of the %s Telvora.Pagewire to the end of the first WindowActivate, %d runs:\n",
                sizeof(void*) == 8 ? "64-bit (x86_64)" : "32-bit (i686)", kRuns);
    std::printf("  median %.3f ms (fastest %.3f, slowest %.3f)\n", median(total), *std::min_element(total.begin(), total.end()),
                *std::max_element(total.begin(), total.end()));
    std::printf("  the add-in's own time: median %.3f ms\n", median(own));
    std::printf("  COM calls into Word per start-up: %ld (%ld lookups, %ld calls, 1 event subscription)\n", calls,
                lookups, invocations);
    return 0;
}
