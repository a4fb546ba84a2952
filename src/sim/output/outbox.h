// The simulated fax software's outbox: every job it accepted, delivered to a folder of its own
// with the fax image as sent, a PNG preview of each page and a job.json a person or a script can
// read: number, recipient, company, subject, schedule, receipt kind and address, server, the
// moment of submission and which fax software took it.
#pragma once

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "sim/fax_software.h"

namespace telvora::sim::output {

class Outbox {
public:
    // `folder` is the outbox; it is made when the first job is delivered.
    explicit Outbox(std::filesystem::path folder) : folder_(std::move(folder)) {}

    // Delivers a job to "job-<id>": "fax.tif" for a fax image (the body as it was submitted, under
    // its own file name when it is no fax image) with "page-<n>.png" for each page, and job.json.
    // A folder of that name from an earlier run is replaced. Answers the job's folder.
    std::filesystem::path deliver(const SubmittedFax& job);
    // Delivers the jobs not delivered yet, in order; a WinFax job waits until its print arrived.
    // Answers the folders delivered now. `jobs` is the fax software's list, which only grows: the
    // jobs before the first one not delivered are not looked at again.
    std::vector<std::filesystem::path> deliverNew(const std::vector<SubmittedFax>& jobs);

    const std::filesystem::path& folder() const noexcept { return folder_; }

private:
    std::filesystem::path folder_;
    std::set<std::string> delivered_;
    std::size_t settled_ = 0;
};

// The fax software's name as a user knows it, from the programmatic identifier that took the job.
std::string faxSoftwareName(const std::string& progId);

}  // namespace telvora::sim::output
