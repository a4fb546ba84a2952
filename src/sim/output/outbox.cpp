// Delivering the fax software's jobs to the outbox.
#include "sim/output/outbox.h"

#include <nlohmann/json.hpp>

#include <chrono>
#include <cstdio>
#include <random>
#include <system_error>

#include "base/text.h"
#include "sim/output/fax_image.h"
#include "sim/output/output_files.h"

namespace telvora::sim::output {
namespace fs = std::filesystem;
namespace {

std::string isoTime(LocalTime t) {
    using namespace std::chrono;
    const auto day = floor<days>(t);
    const year_month_day date{day};
    const hh_mm_ss time{t - day};
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()), static_cast<int>(time.hours().count()),
                  static_cast<int>(time.minutes().count()), static_cast<int>(time.seconds().count()));
    return text;
}

const char* receiptName(ReceiptKind kind) {
    switch (kind) {
    case ReceiptKind::Email: return "email";
    case ReceiptKind::PopUp: return "popup";
    case ReceiptKind::None: break;
    }
    return "none";
}

bool looksLikeTiff(const std::string& bytes) {
    return bytes.starts_with(std::string("II*\0", 4)) || bytes.starts_with(std::string("MM\0*", 4));
}

std::string folderName(const std::string& jobId) {
    std::string id = jobId;
    if (!id.empty() && id.size() < 4 && id.find_first_not_of("0123456789") == std::string::npos) id.insert(0, 4 - id.size(), '0');
    return "job-" + safeName(id);
}

RuntimeError cannotDeliver(const fs::path& folder, const std::string& why) {
    return RuntimeError(err::PathFileAccess, "Path/File access error: the fax job cannot be delivered to \"" +
                                                 folder.string() + "\" (" + why + ").");
}

}  // namespace

std::string faxSoftwareName(const std::string& progId) {
    if (equalsIgnoringCase(progId, fax_progid::FaxServer)) return "Windows fax service";
    if (equalsIgnoringCase(progId, fax_progid::ExtendedDocument) || equalsIgnoringCase(progId, fax_progid::ExtendedServer))
        return "Extended fax service";
    if (equalsIgnoringCase(progId, fax_progid::WinFax8) || equalsIgnoringCase(progId, fax_progid::WinFax)) return "WinFax";
    return progId;
}

Outbox::Delivery Outbox::deliver(const SubmittedFax& job) {
    std::error_code ec;
    fs::create_directories(folder_, ec);
    if (ec) throw cannotDeliver(folder_, ec.message());
    Delivery delivery{folder_ / folderName(job.jobId), 0, {}};
    const fs::path& final = delivery.folder;
    std::random_device random;
    const fs::path staging = folder_ / ("." + final.filename().string() + "." + std::to_string(random() % 1000000) + ".partial");
    fs::create_directory(staging, ec);
    if (ec) throw cannotDeliver(staging, ec.message());

    try {
        nlohmann::json record;
        record["job"] = job.jobId;
        record["software"] = job.software;
        record["softwareName"] = faxSoftwareName(job.software);
        record["server"] = job.server;
        record["number"] = job.number;
        record["recipient"] = job.recipient;
        record["company"] = job.company;
        record["subject"] = job.subject;
        record["schedule"] = job.schedule;
        record["receipt"] = receiptName(job.receipt);
        record["receiptAddress"] = job.receiptAddress;
        record["submitted"] = isoTime(job.submitted);
        record["bodyFile"] = job.bodyFile;
        record["image"] = nullptr;
        record["pages"] = 0;
        record["previews"] = nlohmann::json::array();
        if (!job.body.empty()) {
            if (looksLikeTiff(job.body)) {
                writeWhole(staging / "fax.tif", job.body);
                record["image"] = "fax.tif";
                std::vector<std::string> previews;
                try {
                    FaxTiffReader image(job.body, job.bodyFile);
                    int pages = 0;
                    while (image.nextPage()) {
                        // Every page is read, pictures or not: a page whose coding is damaged is
                        // no page the fax software could send.
                        const FaxPage page = image.page();
                        ++pages;
                        if (!previews_) continue;
                        previews.push_back("page-" + std::to_string(pages) + ".png");
                        writeWhole(staging / previews.back(), previewPng(page));
                    }
                    delivery.pages = pages;
                    record["pages"] = pages;
                    record["previews"] = previews;
                    for (const auto& name : previews) delivery.previews.push_back(final / name);
                } catch (const RuntimeError& e) {
                    // The image is delivered as it came; the job says why it shows no pages, and
                    // the pictures of the pages before the fault go with them.
                    for (const auto& name : previews) fs::remove(staging / name, ec);
                    record["imageError"] = e.description();
                }
            } else {
                // Whatever else the sender handed over is kept under its own name.
                const auto slash = job.bodyFile.find_last_of("\\/");
                std::string name = safeName(slash == std::string::npos ? job.bodyFile : job.bodyFile.substr(slash + 1));
                if (name == "_" || name == "job.json") name = "body.bin";
                writeWhole(staging / name, job.body);
                record["image"] = name;
            }
        }
        writeWhole(staging / "job.json", record.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n");
        fs::remove_all(final, ec);
        if (ec) throw cannotDeliver(final, ec.message());
        fs::rename(staging, final, ec);
        if (ec) throw cannotDeliver(final, ec.message());
    } catch (...) {
        fs::remove_all(staging, ec);
        throw;
    }
    delivered_.insert(job.jobId);
    return delivery;
}

std::vector<Outbox::Delivery> Outbox::deliverNew(const std::vector<SubmittedFax>& jobs) {
    std::vector<Delivery> out;
    if (settled_ > jobs.size()) settled_ = 0;
    for (std::size_t i = settled_; i < jobs.size(); ++i) {
        const SubmittedFax& job = jobs[i];
        if (delivered_.contains(job.jobId)) continue;
        if (job.bodyPrintedByApplication && job.body.empty()) continue;  // WinFax still waits for the print
        out.push_back(deliver(job));
    }
    while (settled_ < jobs.size() && delivered_.contains(jobs[settled_].jobId)) ++settled_;
    return out;
}

}  // namespace telvora::sim::output
