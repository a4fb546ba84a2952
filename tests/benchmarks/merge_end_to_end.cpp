// A fax merge of 1,000 and of 10,000 records end to end, as a user runs it: telvora-sim runs a
// scenario over the bundled merge letter with a data file written here, every record faxed through
// the Windows fax service into the outbox. Prints each run's time and peak memory and whether they
// meet the aims: 10,000 records in under five minutes, time growing with the records (at most 11
// times as long for ten times as many) and memory not (under 300 MB). Not a test: run it on an idle
// machine (see the README).
#include <sys/resource.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#ifndef TELVORA_SIM
#error "the build names the telvora-sim program and the bundled examples"
#endif

namespace {

namespace fs = std::filesystem;

// Every hundredth customer has no fax number: the error log lists them and the user faxes the rest.
int writeCustomers(const fs::path& file, int records) {
    std::ofstream out(file, std::ios::binary);
    out << "Contact,Company,Fax,City\r\n";
    int valid = 0;
    for (int i = 1; i <= records; ++i) {
        const bool missing = i % 100 == 0;
        valid += missing ? 0 : 1;
        out << "Customer " << i << ",Company " << i % 97 << "," << (missing ? "" : "(02) " + std::to_string(10000000 + i))
            << ",Perth\r\n";
    }
    return valid;
}

void writeScenario(const fs::path& file, int recipients) {
    std::ofstream(file, std::ios::binary) << R"(name: merge
machine:
  files: {'C:\Users\Public\Documents\customers.csv': customers.csv}
settings: {Printer: Fax, FaxType: 1, DefaultPrinter: "Don't Print"}
documents: [{file: merge-letter.docx}]
steps:
  - call: MergeFax
    user:
      answers: [OK]
      dialogs:
        - frmGetFields:
            - choose: {cboName: Contact}
            - choose: {cboCompany: Company}
            - choose: {cboNumber: Fax}
            - click: cmdFaxOnly
        - frmErrorLog: [{click: cmdFaxAnyWay}]
expect:
  dialogs: [frmGetFields, frmErrorLog]
  messages:
    - "You are about to FaxMerge the current document to )"
                                          << recipients << R"( recipients.\r\nPress OK to start the Fax Merge or Cancel to return to the previous screen."
  tempFiles: []
)";
}

struct Figures {
    bool ran = false;
    double seconds = 0;
    double megabytes = 0;
};

// telvora-sim run over a merge of `records` records in a scratch folder, its transcript to nowhere.
Figures mergeOf(int records) {
    const fs::path folder = fs::temp_directory_path() / ("telvora-merge-" + std::to_string(records) + "-" +
                                                         std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    fs::copy_file(fs::path(TELVORA_EXAMPLES_DIR) / "merge-letter.docx", folder / "merge-letter.docx");
    const int recipients = writeCustomers(folder / "customers.csv", records);
    writeScenario(folder / "merge.yaml", recipients);

    const std::string program = TELVORA_SIM;
    const std::string out = (folder / "out").string();
    const std::string scenario = (folder / "merge.yaml").string();
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        const int nowhere = ::open("/dev/null", O_WRONLY);
        ::dup2(nowhere, STDOUT_FILENO);
        ::execl(program.c_str(), program.c_str(), "--out", out.c_str(), "run", scenario.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    Figures figures;
    if (child > 0 && ::wait4(child, &status, 0, &usage) == child) {
        figures.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        figures.megabytes = static_cast<double>(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
        std::size_t faxes = 0;
        for (const auto& entry : fs::directory_iterator(folder / "out" / "merge" / "outbox"))
            faxes += entry.is_directory() && entry.path().filename().string().starts_with("job-");
        figures.ran = WIFEXITED(status) && WEXITSTATUS(status) == 0 && faxes == static_cast<std::size_t>(recipients);
        if (!figures.ran)
            std::printf("the merge of %d records did not run as expected (exit status %d, %zu of %d faxes): see %s\n",
                        records, WIFEXITED(status) ? WEXITSTATUS(status) : -1, faxes, recipients,
                        (folder / "out" / "merge" / "transcript.txt").c_str());
    }
    if (figures.ran) fs::remove_all(folder);
    return figures;
}

}  // namespace

int main() {
    const int sizes[2] = {1000, 10000};
    Figures figures[2];
    for (int k = 0; k < 2; ++k) {
        figures[k] = mergeOf(sizes[k]);
        if (!figures[k].ran) return 2;
        std::printf("fax merge end to end, %6d records: %7.1f s, peak memory %6.1f MB\n", sizes[k], figures[k].seconds,
                    figures[k].megabytes);
        std::fflush(stdout);
    }
    const double ratio = figures[1].seconds / figures[0].seconds;
    std::printf("fax merge end to end, 10,000/1,000 time ratio: %.1f\n", ratio);
    const bool fast = figures[1].seconds < 300;
    const bool linear = ratio <= 11;
    const bool flat = figures[0].megabytes < 300 && figures[1].megabytes < 300;
    std::printf("aims: 10,000 records under 5 minutes %s, time linear %s, memory under 300 MB %s\n", fast ? "met" : "MISSED",
                linear ? "met" : "MISSED", flat ? "met" : "MISSED");
    return fast && linear && flat ? 0 : 1;
}
