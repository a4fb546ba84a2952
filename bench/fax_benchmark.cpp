// How fast the simulator faxes a long letter: `telvora-sim fax` of a marked letter of 40 pages
// (written here with the simulator's own .docx writer), end to end as a user runs it, in pages a
// second on the clock and on the processor, beside the floor the same libraries set in the same
// run: the same pages laid out by Pango, drawn by Cairo, made one bit a pixel and coded in CCITT
// Group 3 by libtiff, in memory, nothing else. Then the simulator's peak memory for the letter and
// for one a quarter as long: each page is laid out, drawn and coded before the next and the image
// goes straight into its file, so what grows is only the document itself and the copy of the fax
// the fax service keeps. Prints its figures; not a test (run it on an idle machine).
//
//     telvora_fax_benchmark [pages]
//     telvora_fax_benchmark --letter FILE.docx [pages]    # only writes the letter, to profile with
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "sim/docx/docx.h"
#include "sim/output/fax_image.h"
#include "sim/output/page_layout.h"
#include "sim/word/document_builder.h"
#include "support/sim_addin.h"

extern char** environ;

namespace telvora {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using sim::DocumentBuilder;
using sim::Format;

constexpr int kRepeats = 3;

// A marked letter of `pages` pages: the fax fields at the top, then a page of quotation lines at a
// time, each page ended by a page break, so the page count does not hang on the fonts.
void writeLetter(const fs::path& file, int pages) {
    DocumentBuilder b(file.filename().string());
    b.text("Harbour Street Joinery\r", Format().bold().size(16));
    b.text("To: ").styled("tlvRecipientName", "Ann Okafor").text("\r");
    b.text("Company: ").styled("tlvCompanyName", "Okafor & Sons Builders").text("\r");
    b.text("Fax: ").styled("tlvFaxNumber", "(08) 9335 1234").text("\r");
    b.text("Re: ").styled("tlvSubject", "Quote 42 - kitchen cabinets", Format().bold()).text("\r");
    for (int page = 1, line = 1; page <= pages; ++page) {
        for (int k = 0; k < 30; ++k, ++line)
            b.text("Line " + std::to_string(line) + ": cabinet unit " + std::to_string(line * 7) + ", oak veneer, delivered within " +
                   std::to_string(line % 30 + 1) + " days, $" + std::to_string(100 + line % 900) + ".00\r");
        if (page < pages) b.text("\f");
    }
    b.inFooter().text("Harbour Street Joinery - ABN 12 345 678 901\r");
    sim::docx::writeDocx(b.build(), file, file.string());
}

double peakMegabytes(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return usage.ru_maxrss / 1024.0;
}

// The processor time this process has used so far.
double processorSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// A run's time on the clock and on the processor (which other programs' share of a busy machine
// does not stretch), and its peak memory.
struct Run {
    double seconds = 0;
    double processor = 0;
    double peakMegabytes = 0;
};

// One `telvora-sim fax` of `letter` into `out`; exits the benchmark when no fax went out.
Run faxCommand(const fs::path& letter, const fs::path& out) {
    const std::string program = TELVORA_SIM;
    std::vector<std::string> args = {program, "--out", out.string(), "fax", letter.string()};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const auto start = Clock::now();
    pid_t child = 0;
    if (posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
        std::fprintf(stderr, "cannot start %s\n", program.c_str());
        std::exit(2);
    }
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "telvora-sim fax %s did not fax (status %d); see %s\n", letter.c_str(), status,
                     (out / "transcript.txt").c_str());
        std::exit(2);
    }
    const double processor = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                             static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    return {seconds, processor, usage.ru_maxrss / 1024.0};
}

// The best of a few `telvora-sim fax` runs, and the most memory any of them took.
Run bestFax(const fs::path& letter, const fs::path& out) {
    Run best{1e9, 1e9, 0};
    for (int k = 0; k < kRepeats; ++k) {
        const Run r = faxCommand(letter, out);
        best.seconds = std::min(best.seconds, r.seconds);
        best.processor = std::min(best.processor, r.processor);
        best.peakMegabytes = std::max(best.peakMegabytes, r.peakMegabytes);
    }
    return best;
}

// The floor: the letter's pages laid out, drawn, made bitonal and coded as one TIFF Class F image.
Run floorRun(const sim::DocumentModel& document, int pages) {
    Run best{1e9, 1e9, 0};
    for (int k = 0; k < kRepeats; ++k) {
        const auto start = Clock::now();
        const double startProcessor = processorSeconds();
        const sim::output::DocumentLayout layout(document);
        std::vector<int> all(static_cast<std::size_t>(layout.pageCount()));
        for (std::size_t i = 0; i < all.size(); ++i) all[i] = static_cast<int>(i);
        const std::string image = sim::output::encodeFaxTiff(sim::output::renderFaxPages(layout, all));
        best.seconds = std::min(best.seconds, std::chrono::duration<double>(Clock::now() - start).count());
        best.processor = std::min(best.processor, processorSeconds() - startProcessor);
        if (layout.pageCount() != pages || image.empty()) {
            std::fprintf(stderr, "the letter has %d pages, not %d\n", layout.pageCount(), pages);
            std::exit(2);
        }
    }
    return best;
}

int run(int pages) {
    testing::ScratchFolder scratch;
    const fs::path letter = scratch.path() / "Long letter.docx";
    const fs::path shorter = scratch.path() / "Short letter.docx";
    const int fewer = std::max(1, pages / 4);
    writeLetter(letter, pages);
    writeLetter(shorter, fewer);
    // A child's peak memory counts the memory of the process that started it (Linux keeps the
    // larger through the start of a program), so the peaks are taken while this one is still small,
    // before it lays anything out.
    const Run shortFax = faxCommand(shorter, scratch.path() / "out-short");
    const Run fax = bestFax(letter, scratch.path() / "out");
    const double ownMegabytes = peakMegabytes(RUSAGE_SELF);

    const auto document = sim::docx::readDocx(letter, letter.filename().string(), letter.string(), {});
    const Run floor = floorRun(document, pages);

    std::printf("                               on the clock           on the processor\n");
    std::printf("telvora-sim fax, %d pages:      %6.2f s %6.1f pages/s  %6.2f s %6.1f pages/s\n", pages, fax.seconds,
                pages / fax.seconds, fax.processor, pages / fax.processor);
    std::printf("layout, 1 bit, G3 (the floor): %6.2f s %6.1f pages/s  %6.2f s %6.1f pages/s\n", floor.seconds,
                pages / floor.seconds, floor.processor, pages / floor.processor);
    std::printf("telvora-sim at %.0f %% of the floor on the clock, %.0f %% on the processor (aim: 60 %% or more)\n",
                100 * floor.seconds / fax.seconds, 100 * floor.processor / fax.processor);
    std::printf("peak memory: %.0f MB for %d pages, %.0f MB for %d pages (the benchmark itself then: %.0f MB)\n",
                shortFax.peakMegabytes, fewer, fax.peakMegabytes, pages, ownMegabytes);
    return 0;
}

}  // namespace
}  // namespace telvora

int main(int argc, char** argv) {
    const bool letterOnly = argc > 2 && std::string(argv[1]) == "--letter";
    const int first = letterOnly ? 3 : 1;
    const int pages = argc > first ? std::atoi(argv[first]) : 40;
    if (pages < 1 || argc > first + 1) {
        std::fprintf(stderr, "usage: telvora_fax_benchmark [pages]\n       telvora_fax_benchmark --letter FILE.docx [pages]\n");
        return 2;
    }
    if (letterOnly) {
        telvora::writeLetter(argv[2], pages);
        return 0;
    }
    return telvora::run(pages);
}
