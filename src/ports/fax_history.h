// What became of the faxes this user sent: one entry per submission to the fax software, kept
// across Word sessions. The entries are what the status window lists and what following a job
// updates; a kept fax image lets the user send the same fax again.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ports/platform.h"

namespace telvora {

// Where a fax stands. The first four are on their way; the last four are final.
enum class FaxState : std::uint8_t {
    Queued,     // waiting in the fax software's queue (or scheduled for later)
    Dialling,   // the fax software is calling the number
    Sending,    // pages are going out
    Retrying,   // an attempt failed; the fax software tries again later
    Sent,       // every page arrived
    Failed,     // given up (the reason says why)
    Cancelled,  // stopped by the user or the server
    HandedOn,   // given to fax software that tells nothing more (WinFax)
};

// The fax software a submission went to, as it is stored.
enum class FaxSoftwareKind : std::uint8_t { LegacyFaxService, ExtendedFaxService, WinFax, Hylafax };

struct FaxRecord {
    std::int64_t id = 0;  // given by the history when the entry is added
    LocalTime submitted{};
    std::string recipient;
    std::string company;
    std::string number;  // as dialled: the dial-out prefix and the cleaned number
    std::string subject;
    std::int32_t pagesSent = 0;
    std::int32_t pagesTotal = 0;
    FaxState state = FaxState::Queued;
    std::string reason;  // for a failure, a retry or a cancellation, in words
    std::int32_t retries = 0;
    std::string mergeRun;  // the merge run the fax belongs to; empty for a single fax
    FaxSoftwareKind software = FaxSoftwareKind::ExtendedFaxService;
    std::string server;  // the fax server the jobs were given to
    std::vector<std::string> jobIds;
    std::string keptImage;  // the fax image kept for sending again; empty when none is kept
    // The schedule and delivery texts the fax was sent with, so a resend uses the same options.
    std::string schedule;
    std::string delivery;
};

class FaxHistory {
public:
    FaxHistory() = default;
    virtual ~FaxHistory() = default;
    FaxHistory(const FaxHistory&) = delete;
    FaxHistory& operator=(const FaxHistory&) = delete;

    // Each call raises a run-time error naming the file when it cannot be read or written (a
    // damaged file, one another program holds too long, a full disk).

    // Adds the entry and answers the id it was given.
    virtual std::int64_t add(const FaxRecord& record) = 0;
    // Replaces the entry with the record's id; an id that is not there is no error.
    virtual void update(const FaxRecord& record) = 0;
    // Every entry submitted at or after `from`, newest first.
    virtual std::vector<FaxRecord> since(LocalTime from) = 0;
    // Removes every entry submitted before `before` and answers them (their kept images are the
    // caller's to delete).
    virtual std::vector<FaxRecord> removeBefore(LocalTime before) = 0;
    // The folder where kept fax images go, in the platform's own terms, with its trailing separator.
    virtual std::string imageFolder() = 0;
};

}  // namespace telvora
