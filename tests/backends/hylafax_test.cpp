// The HylaFAX client against a small fake fax server on the loopback address: what the user is
// told when the server refuses, rejects, falls silent or hangs up, and what a fax job is sent as.
#include "backends/hylafax.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <map>
#include <atomic>
#include <thread>

#include "base/errors.h"
#include "sim/posix_network.h"

namespace telvora {
namespace {

using namespace std::chrono_literals;

int listener(std::uint16_t& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof a;
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), size);
    ::listen(fd, 4);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &size);
    port = ntohs(a.sin_port);
    return fd;
}

// Answers each command by the longest reply key it starts with ("JPARM DIALSTRING" before
// "JPARM"); an empty reply is never given (a server that fell silent), "CLOSE" hangs up.
class FakeServer {
public:
    explicit FakeServer(std::map<std::string, std::string> changes = {}) {
        for (auto& [command, reply] : changes) replies_[command] = reply;
        thread_ = std::thread([this] { serve(); });
    }
    ~FakeServer() {
        ::shutdown(client_, SHUT_RDWR);
        finish();
        if (client_ >= 0) ::close(client_);
        ::close(listener_);
    }
    std::uint16_t port() const { return port_; }
    // Waits until the client hung up (or, when none came, stops listening); then `commands` and
    // `upload` hold what it sent.
    void finish() {
        ::shutdown(listener_, SHUT_RDWR);
        if (thread_.joinable()) thread_.join();
    }
    std::vector<std::string> commands;
    std::string upload;

private:
    void serve() {
        const int client = ::accept(listener_, nullptr, nullptr);
        if (client < 0) return;
        client_ = client;
        const auto say = [&](const std::string& reply) {
            if (!reply.empty()) ::send(client, (reply + "\r\n").data(), reply.size() + 2, MSG_NOSIGNAL);
        };
        say(replies_.at("greeting"));
        std::string buffer;
        char bytes[512];
        std::uint16_t dataPort = 0;
        const int data = listener(dataPort);
        bool hungUp = false;
        for (ssize_t n; !hungUp && (n = ::recv(client, bytes, sizeof bytes, 0)) > 0;) {
            buffer.append(bytes, static_cast<std::size_t>(n));
            for (std::size_t end; (end = buffer.find("\r\n")) != std::string::npos; buffer.erase(0, end + 2)) {
                commands.push_back(buffer.substr(0, end));
                std::string reply;
                for (const auto& [key, answer] : replies_)
                    if (commands.back().starts_with(key)) reply = answer;
                if ((hungUp = reply == "CLOSE")) break;
                if (reply.starts_with("227"))
                    reply += " (127,0,0,1," + std::to_string(dataPort / 256) + "," + std::to_string(dataPort % 256) + ")";
                say(reply);
                if (reply.starts_with("150")) {
                    const int in = ::accept(data, nullptr, nullptr);
                    while ((n = ::recv(in, bytes, sizeof bytes, 0)) > 0) upload.append(bytes, static_cast<std::size_t>(n));
                    ::close(in);
                    say("226 Transfer complete (FILE: /tmp/doc9.tif).");
                }
            }
        }
        ::close(data);
        ::shutdown(client, SHUT_RDWR);
    }

    std::map<std::string, std::string> replies_{
        {"greeting", "220 fake server (HylaFAX (tm) Version 6.0.7) ready."},
        {"USER", "230 User logged in."},
        {"TYPE", "200 Type set to Image."},
        {"FORM", "200 Format set to TIFF."},
        {"PASV", "227 Entering passive mode"},
        {"STOT", "150 FILE: /tmp/doc9.tif (Opening new data connection)."},
        {"JNEW", "200 New job created: jobid: 42 groupid: 42."},
        {"JPARM", "213 Set."},
        {"JSUBM", "200 Job 42 submitted."},
        {"QUIT", "221 Goodbye."},
    };
    std::uint16_t port_ = 0;
    const int listener_ = listener(port_);
    std::atomic<int> client_ = -1;
    std::thread thread_;
};

// A fine-resolution TIFF header: YResolution 196/1 per inch.
const std::string kImage = std::string("II*\0\x08\0\0\0\x01\0\x1b\x01\x05\0\x01\0\0\0\x1a\0\0\0\0\0\0\0\xc4\0\0\0\x01\0\0\0", 34);

class HylafaxClientTest : public ::testing::Test {
protected:
    HylafaxFax fax{kImage, "9,0123 456", "Jane Doe", "Acme Ltd", "Quote 17", {}, ""};
    HylafaxLimits quick{1s, 300ms};
    sim::PosixNetwork network;

    std::string failure(std::uint16_t port) {
        try {
            submitToHylafax(network, {"127.0.0.1", port, "clerk"}, fax, quick);
        } catch (const RuntimeError& e) {
            return std::to_string(e.number()) + " " + e.description();
        }
        return "no error";
    }
};

TEST_F(HylafaxClientTest, EachRefusalTellsTheUserWhatTheServerRefusedAndWhy) {
    const struct {
        std::map<std::string, std::string> replies;
        std::string told;
    } cases[] = {
        {{{"greeting", "421 Service not available."}}, "421 The fax server 127.0.0.1:* is not taking clients: 421 Service not available."},
        {{{"USER", "530 User clerk access denied."}}, "530 The fax server 127.0.0.1:* refused the user name clerk."},
        {{{"USER", "331 Password required."}, {"PASS", "530 Login incorrect."}}, "530 The fax server 127.0.0.1:* refused the user name clerk."},
        {{{"STOT", "553 Permission denied."}}, "553 The fax server 127.0.0.1:* did not take the fax image: 553 Permission denied."},
        {{{"JPARM DIALSTRING", "503 Bad dialstring."}}, "503 The fax server 127.0.0.1:* refused the number: 503 Bad dialstring."},
        {{{"JPARM SENDTIME", "500 Bad time."}}, "500 The fax server 127.0.0.1:* refused the send time: 500 Bad time."},
        {{{"JSUBM", "504-Cannot submit job 42;\r\n504 Scheduler not running."}}, "504 The fax server 127.0.0.1:* did not queue the fax: 504 Cannot submit job 42; Scheduler not running."},
        {{{"USER", ""}}, "10060 The fax server 127.0.0.1:* stopped answering."},
        {{{"greeting", ""}}, "10060 The fax server 127.0.0.1:* stopped answering."},
        {{{"JNEW", "CLOSE"}}, "10054 The fax server 127.0.0.1:* closed the connection."},
        {{{"USER", "Welcome, friend"}}, "13 The program at 127.0.0.1:* is not a HylaFAX fax server."},
    };
    for (const auto& c : cases) {
        FakeServer server(c.replies);
        std::string told = c.told;
        told.replace(told.find('*'), 1, std::to_string(server.port()));
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(failure(server.port()), told);
        EXPECT_LT(std::chrono::steady_clock::now() - start, 2s) << told;
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
