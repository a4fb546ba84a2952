// The private HylaFAX server the tests start (tests/support/hylafax_server.sh), seen from a test of
// either binding: where it listens, and a queued job as the scheduler keeps it in its spool (the
// q file in sendq, the document in docq). Plain files, so a Windows test under Wine reads them too.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>

#include "backends/hylafax.h"

namespace telvora::testing {

inline std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// The spool, as a path this process opens files by (`drive` before it: "Z:" under Wine), and the
// port the server listens on; nothing when the server did not start (see the start's output).
struct HylafaxSpool {
    std::string path;
    std::uint16_t port = 0;

    static std::optional<HylafaxSpool> find(const std::string& drive = "") {
        const char* spool = std::getenv("TELVORA_HYLAFAX_SPOOL");
        if (!spool) return std::nullopt;
        const std::string path = drive + spool;
        const std::string port = fileText(path + "/port");
        if (port.empty()) return std::nullopt;
        return HylafaxSpool{path, static_cast<std::uint16_t>(std::stoi(port))};
    }

    // The job's q file: one "name:value" a line.
    std::map<std::string, std::string> queued(const std::string& jobId) const {
        std::map<std::string, std::string> fields;
        std::istringstream lines(fileText(path + "/sendq/q" + jobId));
        for (std::string line; std::getline(lines, line);)
            if (const auto colon = line.find(':'); colon != std::string::npos)
                fields[line.substr(0, colon)] = line.substr(colon + 1);
        return fields;
    }
};

// The job is queued as the fax asked: number, recipient, company, subject, send time (the
// scheduler's "time to send", seconds since 1970: the minute asked for, or about now), receipt, fine
// resolution, and the very image.
inline void expectQueuedAsSent(const HylafaxSpool& spool, const std::string& jobId, const HylafaxFax& fax) {
    auto q = spool.queued(jobId);
    ASSERT_FALSE(q.empty()) << "no sendq/q" << jobId << " in " << spool.path;
    EXPECT_EQ(q["number"], fax.number);
    EXPECT_EQ(q["receiver"], fax.recipient);
    EXPECT_EQ(q["company"], fax.company);
    EXPECT_EQ(q["regarding"], fax.subject);
    if (fax.schedule.kind == HylafaxSchedule::Kind::At) {
        const auto minute = std::chrono::floor<std::chrono::minutes>(fax.schedule.at);
        EXPECT_EQ(q["tts"], std::to_string(std::chrono::sys_seconds(minute).time_since_epoch().count()));
    } else {
        const auto now = std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
        EXPECT_NEAR(std::stoll(q["tts"]), now.time_since_epoch().count(), 120);
    }
    EXPECT_EQ(q["notify"], fax.receiptAddress.empty() ? "none" : "when done");
    if (!fax.receiptAddress.empty()) {
        EXPECT_EQ(q["mailaddr"], fax.receiptAddress);
    }
    EXPECT_EQ(q["resolution"], "196");
    // "0::docq/doc7.tif.12": the document the job sends, as uploaded.
    const std::string document = q["tiff"].substr(q["tiff"].rfind(':') + 1);
    EXPECT_TRUE(fileText(spool.path + "/" + document) == fax.image) << document << " is not the image sent";
}

}  // namespace telvora::testing
