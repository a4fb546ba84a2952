// libFuzzer: the simulated machine's date-time reading on untrusted text. A moment it reads is
// written in each full pattern and must read back as the same moment.
#include "fuzz/fuzz_support.h"
#include "sim/sim_date_time.h"
#include "sim/sim_platform.h"

using namespace std::chrono;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    telvora::sim::SimPlatform clock(telvora::fuzz::scratchFolder("date-time"));
    clock.clock = local_days{2025y / March / 3} + 9h + 30min;
    telvora::sim::SimDateTime texts(clock);
    const auto moment = texts.parse(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!moment) return 0;
    for (const auto pattern : {telvora::DateTimePattern::DateTimeSeconds12, telvora::DateTimePattern::ShortDate}) {
        const std::string written = texts.format(*moment, pattern);
        const auto back = texts.parse(written);
        const auto expected = pattern == telvora::DateTimePattern::ShortDate ? floor<days>(*moment) : *moment;
        if (back != expected) telvora::fuzz::broken("\"" + written + "\" does not read back as the moment it was written from");
    }
    return 0;
}
