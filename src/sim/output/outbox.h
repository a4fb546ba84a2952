// The simulated fax software's outbox: every job it accepted, delivered to a folder of its own
// with the fax image as sent, a PNG preview of each page when asked for, and a job.json a person
// or a script can read: number, recipient, company, subject, schedule, receipt kind and address,
// server, the moment of submission, which fax software took it and how many pages it has.
#pragma once

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "sim/fax_software.h"

namespace telvora::sim::output {

class Outbox {
public:
    // What one delivery left: the job's folder, the pages of its fax image and their previews.
    struct Delivery {
        std::filesystem::path folder;
        int pages = 0;
        std::vector<std::filesystem::path> previews;
    };

    // `folder` is the outbox; it is made when the first job is delivered. With `previews`, each
    // page of each fax image is shown in a PNG picture beside it.
    Outbox(std::filesystem::path folder, bool previews) : folder_(std::move(folder)), previews_(previews) {}

    // Delivers a job to "job-<id>": "fax.tif" for a fax image (the body as it was submitted, under
    // its own file name when it is no fax image), "page-<n>.png" for each page when previews are
    // asked for, and job.json. A folder of that name from an earlier run is replaced. A fax image
    // is read a page at a time, so its pages' pixels are never all held at once.
    Delivery deliver(const SubmittedFax& job);
    // Delivers the jobs not delivered yet, in order; a WinFax job waits until its print arrived.
    // Answers what was delivered now. `jobs` is the fax software's list, which only grows: the
    // jobs before the first one not delivered are not looked at again.
    std::vector<Delivery> deliverNew(const std::vector<SubmittedFax>& jobs);

    const std::filesystem::path& folder() const noexcept { return folder_; }

private:
    std::filesystem::path folder_;
    bool previews_ = false;
    std::set<std::string> delivered_;
    std::size_t settled_ = 0;
};

// The fax software's name as a user knows it, from the programmatic identifier that took the job.
std::string faxSoftwareName(const std::string& progId);

}  // namespace telvora::sim::output
