// The HylaFAX client over Windows Sockets, under Wine: a refused connection and a silent server
// told in the user's terms within the time allowed. (A fax queued over Windows Sockets on the real
// HylaFAX server is the Word-like host's HylaFAX test.)
#include <winsock2.h>

#include <gtest/gtest.h>

#include "backends/hylafax.h"
#include "base/errors.h"
#include "win32/winsock_network.h"

namespace telvora {
namespace {

using namespace std::chrono_literals;

// A socket listening on the loopback address that accepts nobody: a client's connection completes
// into its backlog and then hears nothing.
class SilentListener {
public:
    SilentListener() {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int size = sizeof a;
        ::bind(s_, reinterpret_cast<sockaddr*>(&a), size);
        ::listen(s_, 4);
        ::getsockname(s_, reinterpret_cast<sockaddr*>(&a), &size);
        port = ntohs(a.sin_port);
    }
    ~SilentListener() { ::closesocket(s_); }
    std::uint16_t port = 0;

private:
    SOCKET s_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
};

std::string failure(Network& network, std::uint16_t port) {
    const HylafaxFax fax{std::string("II*\0\x08\0\0\0\0\0", 10), "1", "", "", "", {}, ""};
    try {
        submitToHylafax(network, {"127.0.0.1", port, "clerk", ""}, fax, {1s, 300ms});
    } catch (const RuntimeError& e) {
        return std::to_string(e.number()) + " " + e.description();
    }
    return "no error";
}

TEST(WinsockHylafax, ARefusedConnectionAndASilentServerAreToldInTheUsersTerms) {
    win32::WinsockNetwork network;
    std::uint16_t closed;
    {
        SilentListener gone;
        closed = gone.port;
    }
    EXPECT_EQ(failure(network, closed), "10061 The fax server 127.0.0.1:" + std::to_string(closed) + " refused the connection.");
    SilentListener silent;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(failure(network, silent.port), "10060 The fax server 127.0.0.1:" + std::to_string(silent.port) + " stopped answering.");
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
}

}  // namespace
}  // namespace telvora
