// The HylaFAX client against a small fake fax server on the loopback address: what the user is
// told when the server refuses, rejects, falls silent or hangs up, and what a fax job is sent as.
#include "backends/hylafax.h"

#include <gtest/gtest.h>

#include <map>

#include "base/errors.h"
#include "sim/posix_network.h"
#include "support/error_number.h"
#include "support/fake_hylafax_server.h"

namespace telvora {
namespace {

using testing::FakeServer;
using testing::listener;

using namespace std::chrono_literals;

// A fine-resolution TIFF header: YResolution 196/1 per inch.
const std::string kImage = std::string("II*\0\x08\0\0\0\x01\0\x1b\x01\x05\0\x01\0\0\0\x1a\0\0\0\0\0\0\0\xc4\0\0\0\x01\0\0\0", 34);

class HylafaxClientTest : public ::testing::Test {
protected:
    HylafaxFax fax{kImage, "9,0123 456", "Jane Doe", "Acme Ltd", "Quote 17", {}, ""};
    HylafaxLimits quick{1s, 300ms};
    sim::PosixNetwork network;

    std::string failure(std::uint16_t port) {
        const RuntimeError e =
            testing::errorRaisedBy([&] { submitToHylafax(network, {"127.0.0.1", port, "clerk"}, fax, quick); });
        return std::to_string(e.number()) + " " + e.description();
    }
};

TEST_F(HylafaxClientTest, EachRefusalTellsTheUserWhatTheServerRefusedAndWhy) {
    const struct {
        std::map<std::string, std::string> replies;
        std::string told;
    } cases[] = {
        {{{"greeting", "421 Service not available."}}, "421 The fax server 127.0.0.1:* is not taking clients: 421 Service not available."},
        {{{"USER", "530 User clerk access denied."}}, "530 The fax server 127.0.0.1:* refused the user name clerk."},
        {{{"USER", "331 Password required."}}, "331 The fax server 127.0.0.1:* asks for a password for the user clerk. Telvora sends only to HylaFAX servers that let their users in without one; ask the server's administrator to let this computer in without a password."},
        {{{"STOT", "553 Permission denied."}}, "553 The fax server 127.0.0.1:* did not take the fax image: 553 Permission denied."},
        {{{"JPARM DIALSTRING", "503 Bad dialstring."}}, "503 The fax server 127.0.0.1:* refused the number: 503 Bad dialstring."},
        {{{"JPARM SENDTIME", "500 Bad time."}}, "500 The fax server 127.0.0.1:* refused the send time: 500 Bad time."},
        {{{"JSUBM", "504-Cannot submit job 42;\r\n504 Scheduler not running."}}, "504 The fax server 127.0.0.1:* did not queue the fax: 504 Cannot submit job 42; Scheduler not running."},
        {{{"USER", ""}}, "10060 The fax server 127.0.0.1:* stopped answering."},
        {{{"greeting", ""}}, "10060 The fax server 127.0.0.1:* stopped answering."},
        {{{"JNEW", "CLOSE"}}, "10054 The fax server 127.0.0.1:* closed the connection."},
        {{{"JNEW", "503 Unable to open sequence number file sendq/seqf; File exists."}},
         "503 The fax server 127.0.0.1:* could not create a fax job: 503 Unable to open sequence number file sendq/seqf; File exists."},
        {{{"USER", "Welcome, friend"}}, "13 The program at 127.0.0.1:* is not a HylaFAX fax server."},
    };
    for (const auto& c : cases) {
        FakeServer server(c.replies);
        std::string told = c.told;
        told.replace(told.find('*'), 1, std::to_string(server.port()));
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(failure(server.port()), told);
        EXPECT_LT(std::chrono::steady_clock::now() - start, 2s) << told;
        server.finish();
        if (c.replies.contains("JNEW") && c.told.starts_with("503")) {
            EXPECT_EQ(std::count(server.commands.begin(), server.commands.end(), "JNEW"), 5)
                << "a job number is asked for again while the server is updating its numbers";
        }
    }
}

TEST_F(HylafaxClientTest, AServerThatIsNotThereRefusesTheConnection) {
    std::uint16_t port;
    ::close(listener(port));
    EXPECT_EQ(failure(port), "10061 The fax server 127.0.0.1:" + std::to_string(port) + " refused the connection.");
}

TEST_F(HylafaxClientTest, TheJobIsDescribedOneCommandALineWhateverTheTextsHold) {
    FakeServer server;
    fax.subject = "Quote\r\nJPARM DIALSTRING 0900 666";
    fax.recipient = "Jane \"JD\" Doe";
    fax.schedule = {HylafaxSchedule::Kind::At, std::chrono::sys_days{std::chrono::year{2027} / 1 / 2} + 3h + 4min + 59s};
    fax.receiptAddress = "jane@acme.example";
    EXPECT_EQ(submitToHylafax(network, {"127.0.0.1", server.port(), "clerk"}, fax, quick), "42");
    server.finish();
    EXPECT_EQ(server.upload, kImage);
    const std::vector<std::string> expected{
        "USER clerk", "TYPE I", "FORM TIFF", "PASV", "STOT", "JNEW",
        "JPARM DIALSTRING \"9,0123 456\"", "JPARM TOUSER \"Jane 'JD' Doe\"", "JPARM TOCOMPANY \"Acme Ltd\"",
        "JPARM REGARDING \"Quote  JPARM DIALSTRING 0900 666\"", "JPARM SENDTIME 202701020304", "JPARM LASTTIME 000300",
        "JPARM NOTIFYADDR \"jane@acme.example\"", "JPARM NOTIFY DONE", "JPARM VRES 196",
        "JPARM DOCUMENT /tmp/doc9.tif", "JSUBM", "QUIT"};
    EXPECT_EQ(server.commands, expected);
}

TEST_F(HylafaxClientTest, WhatCannotBeSentIsRefusedBeforeTheServerIsCalled) {
    FakeServer server;
    fax.schedule.kind = HylafaxSchedule::Kind::Discount;
    EXPECT_EQ(failure(server.port()), "445 The fax server 127.0.0.1:" + std::to_string(server.port()) +
                                   " (HylaFAX) has no discount period. Send the fax now or choose the time it is to be sent.");
    fax.schedule.kind = HylafaxSchedule::Kind::Now;
    fax.image = "%PDF-1.4";
    EXPECT_EQ(failure(server.port()), "13 The fax printer's file is no fax image (TIFF).");
    server.finish();
    EXPECT_TRUE(server.commands.empty());
}

}  // namespace
}  // namespace telvora
