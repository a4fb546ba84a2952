// The HylaFAX client against the real HylaFAX server the tests start on the loopback address: the
// job queued as the fax asked, as the server's own tools (faxstat, faxinfo) and its queue files
// show it, and its state asked for through the protocol.
#include <gtest/gtest.h>

#include <thread>

#include "backends/fax_follower.h"
#include "backends/hylafax.h"
#include "base/errors.h"
#include "sim/host_tools.h"
#include "sim/posix_network.h"
#include "support/hylafax_queue.h"

namespace telvora {
namespace {

using namespace std::chrono_literals;
using telvora::testing::runTool;

TEST(RealHylafaxServer, AFaxIsQueuedWithItsNumberPagesSendTimeAndReceipt) {
    const auto spool = telvora::testing::HylafaxSpool::find();
    if (!spool) GTEST_SKIP() << "SKIPPED: no HylaFAX server was started (see the output of hylafax_server_start)";
    sim::PosixNetwork network;
    const HylafaxServer server{"127.0.0.1", spool->port, "clerk", ""};
    // A two-page letter as the simulated fax printer prints it (the Windows test sends it too).
    const std::string image = telvora::testing::fileText(TELVORA_TEST_DATA "/two-page-fax.tif");
    const auto tomorrow = std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now()) + 24h;
    const HylafaxFax faxes[] = {
        {image, "9,0123 456", "Jane Doe", "Acme Ltd", "Quote 17", {HylafaxSchedule::Kind::At, tomorrow}, "jane@acme.example"},
        {image, "0044 20 7946 0000", "Ann Lee", "Lee & Sons", "Order 5", {}, ""},
    };
    for (const auto& fax : faxes) {
        const std::string jobId = submitToHylafax(network, server, fax);
        SCOPED_TRACE("job " + jobId);
        telvora::testing::expectQueuedAsSent(*spool, jobId, fax);
        const std::string document = spool->queued(jobId)["tiff"].substr(spool->queued(jobId)["tiff"].rfind(':') + 1);
        EXPECT_NE(runTool("faxinfo " + spool->path + "/" + document).find("Pages: 2"), std::string::npos);
        // The server's own check: the image goes out as it is, without reformatting.
        EXPECT_EQ(runTool("/usr/lib/hylafax/bin/tiffcheck -r 196 -w 1728 " + spool->path + "/" + document), "OK\n");
        // Without a modem the scheduler keeps a job for now ready and one for tomorrow pending.
        const std::string listing = runTool("faxstat -s -h 127.0.0.1:" + std::to_string(spool->port));
        std::printf("%s\n", listing.c_str());
        const bool later = fax.schedule.kind == HylafaxSchedule::Kind::At;
        EXPECT_NE(listing.find("\n" + jobId + " "), std::string::npos) << listing;
        const HylafaxJobStatus status = queryHylafaxJob(network, server, jobId);
        EXPECT_EQ(status.state, later ? "PENDING" : "READY");
        EXPECT_EQ(status.status, "");
    }
    HylafaxFax noNumber = faxes[1];
    noNumber.number = "";
    try {
        submitToHylafax(network, server, noNumber);
        ADD_FAILURE() << "a fax without a number was queued";
    } catch (const RuntimeError& e) {
        EXPECT_NE(e.description().find("The fax server 127.0.0.1:" + std::to_string(spool->port) + " refused the number: 504 "),
                  std::string::npos) << e.description();
    }
}

// A fax the user cancels, killed within the limits Word waits for, leaves the server's queue.
TEST(RealHylafaxServer, AKilledJobLeavesTheQueue) {
    const auto spool = telvora::testing::HylafaxSpool::find();
    if (!spool) GTEST_SKIP() << "SKIPPED: no HylaFAX server was started (see the output of hylafax_server_start)";
    sim::PosixNetwork network;
    const HylafaxServer server{"127.0.0.1", spool->port, "clerk", ""};
    const std::string jobId = submitToHylafax(
        network, server, {telvora::testing::fileText(TELVORA_TEST_DATA "/two-page-fax.tif"), "0123 456", "Jo", "", "", {}, ""});
    killHylafaxJob(network, server, jobId, kHylafaxWhileWordWaits);
    // The scheduler takes the job out of sendq after the server answered the kill.
    for (int wait = 0; wait < 50 && !spool->queued(jobId).empty(); ++wait) std::this_thread::sleep_for(100ms);
    EXPECT_TRUE(spool->queued(jobId).empty()) << "the job is still in sendq";
    EXPECT_EQ(queryHylafaxJob(network, server, jobId).state, "FAILED");
}

}  // namespace
}  // namespace telvora
