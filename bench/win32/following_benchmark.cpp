// What following a fax costs while Word is idle: a letter is faxed from inside the Word-like host to
// the shared fax server (the recording double, whose job stays queued), then the host's thread
// waits for messages as Word's does for a minute while the add-in asks after the job. Prints the
// processor time the process used in that minute (user and kernel), as a share of one core, and
// how often the fax server was asked. Exit code 1 when the fax was not sent: the figure would mean
// nothing.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "support.h"
#include "word_host/fax_sending.h"
#include "word_host/shared_fax_office.h"
#include "message_boxes.h"
#include "word_host/word_host.h"

using namespace telvora;
using namespace telvora::win32;

namespace {

constexpr DWORD kIdleMs = 60'000;

double processorSeconds() {
    FILETIME created, exited, kernel, user;
    ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto seconds = [](const FILETIME& t) {
        return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

}  // namespace

int main() {
    host::SharedFaxOffice office;
    auto& word = office.word;
    auto& host = office.host;
    host.loadAddins();
    word->activateWindow("Letter.doc");
    const host::FaxDialogRun sent = host::faxFromTheDialog();
    if (!sent.failure.empty() || !office.messages.texts().empty()) {
        std::printf("the fax was not sent: %s\n", sent.failure.c_str());
        return 1;
    }
    office.faxService.clearLog();
    const double before = processorSeconds();
    (void)host::idleUntil([] { return false; }, kIdleMs);
    const double used = processorSeconds() - before;
    const auto calls = office.faxService.calls();
    const auto asked = std::count_if(calls.begin(), calls.end(), [](const std::string& c) {
        return c.starts_with("member=GetJob ");
    });
    std::printf("idle %.0f s following a queued fax: %.3f s of processor time (%.3f %% of one core), the fax "
                "server asked %ld times; status bar: %s\n",
                kIdleMs / 1000.0, used, used * 100.0 / (kIdleMs / 1000.0), static_cast<long>(asked),
                word->statusBar().c_str());
    host.unloadAddins();
    return 0;
}
