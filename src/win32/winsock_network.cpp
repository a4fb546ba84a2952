// TCP connections over Windows Sockets: non-blocking sockets waited on with select() (which, unlike
// WSAPoll on older Windows, reports a refused connection), failures raised with the Windows
// Sockets error number and the system's text for it.
#include "win32/winsock_network.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <utility>

#include "base/errors.h"
#include "win32/com_errors.h"

namespace telvora::win32 {
namespace {

using Clock = std::chrono::steady_clock;

[[noreturn]] void raise(int code, const std::string& what) {
    std::string text = systemMessage(static_cast<DWORD>(code));
    if (text.empty()) text = "Windows Sockets error " + std::to_string(code);
    throw RuntimeError(code, what + ": " + text);
}

// Waits until the socket can take (or give) bytes, or has failed to connect; false when the
// deadline passed first.
bool ready(SOCKET s, bool writing, Clock::time_point deadline) {
    fd_set wanted, failed;
    FD_ZERO(&wanted);
    FD_ZERO(&failed);
    FD_SET(s, &wanted);
    FD_SET(s, &failed);
    const auto ms = std::max<std::chrono::milliseconds::rep>(
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count(), 0);
    timeval limit{static_cast<long>(ms / 1000), static_cast<long>(ms % 1000 * 1000)};
    const int n = ::select(0, writing ? nullptr : &wanted, writing ? &wanted : nullptr, &failed, &limit);
    if (n == SOCKET_ERROR) raise(::WSAGetLastError(), "waiting on the connection");
    return n > 0;
}

class Socket {
public:
    explicit Socket(SOCKET s) : s_(s) {}
    ~Socket() {
        if (s_ != INVALID_SOCKET) ::closesocket(s_);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    SOCKET get() const noexcept { return s_; }
    SOCKET release() noexcept { return std::exchange(s_, INVALID_SOCKET); }

private:
    SOCKET s_;
};

class WinsockConnection final : public Connection {
public:
    WinsockConnection(SOCKET s, std::string peer) : s_(s), peer_(std::move(peer)) {}

    // The time limit runs from the last bytes that moved: a wake-up with nothing to do (which
    // select() may give) must not start the wait over.
    void send(std::string_view bytes, std::chrono::milliseconds timeout) override {
        auto deadline = Clock::now() + timeout;
        while (!bytes.empty()) {
            if (!ready(s_.get(), true, deadline))
                throw RuntimeError(neterr::TimedOut, peer_ + " took nothing for " + std::to_string(timeout.count()) + " ms.");
            const int part = static_cast<int>(std::min<std::size_t>(bytes.size(), 1 << 20));
            const int n = ::send(s_.get(), bytes.data(), part, 0);
            if (n == SOCKET_ERROR) {
                if (::WSAGetLastError() == WSAEWOULDBLOCK) continue;
                raise(::WSAGetLastError(), "sending to " + peer_);
            }
            bytes.remove_prefix(static_cast<std::size_t>(n));
            deadline = Clock::now() + timeout;
        }
    }

    std::string receive(std::size_t limit, std::chrono::milliseconds timeout) override {
        std::string bytes(std::min<std::size_t>(limit, 1 << 20), '\0');
        const auto deadline = Clock::now() + timeout;
        for (;;) {
            if (!ready(s_.get(), false, deadline))
                throw RuntimeError(neterr::TimedOut, peer_ + " sent nothing for " + std::to_string(timeout.count()) + " ms.");
            const int n = ::recv(s_.get(), bytes.data(), static_cast<int>(bytes.size()), 0);
            if (n == SOCKET_ERROR) {
                if (::WSAGetLastError() == WSAEWOULDBLOCK) continue;
                raise(::WSAGetLastError(), "receiving from " + peer_);
            }
            bytes.resize(static_cast<std::size_t>(n));
            return bytes;
        }
    }

    void finishSending() override {
        if (::shutdown(s_.get(), SD_SEND) == SOCKET_ERROR) raise(::WSAGetLastError(), "ending the data sent to " + peer_);
    }

private:
    Socket s_;
    std::string peer_;
};

}  // namespace

WinsockNetwork::WinsockNetwork() {
    WSADATA data;
    if (const int code = ::WSAStartup(MAKEWORD(2, 2), &data); code != 0) raise(code, "Starting Windows Sockets");
}

WinsockNetwork::~WinsockNetwork() { ::WSACleanup(); }

std::unique_ptr<Connection> WinsockNetwork::connect(const std::string& host, std::uint16_t port,
                                                    std::chrono::milliseconds timeout) {
    const std::string peer = host + ":" + std::to_string(port);
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* found = nullptr;
    if (const int code = ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found); code != 0)
        raise(code == WSANO_DATA ? neterr::HostNotFound : code, "Looking up " + host);
    std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> addresses(found, &::freeaddrinfo);

    // Every address the name has is tried in turn, all within the one time limit.
    const auto deadline = Clock::now() + timeout;
    int lastError = WSAETIMEDOUT;
    for (const addrinfo* a = found; a; a = a->ai_next) {
        SOCKET raw = ::socket(a->ai_family, a->ai_socktype, a->ai_protocol);
        if (raw == INVALID_SOCKET) {
            lastError = ::WSAGetLastError();
            continue;
        }
        Socket s(raw);
        u_long nonBlocking = 1;
        ::ioctlsocket(s.get(), FIONBIO, &nonBlocking);
        if (::connect(s.get(), a->ai_addr, static_cast<int>(a->ai_addrlen)) == SOCKET_ERROR) {
            if (::WSAGetLastError() != WSAEWOULDBLOCK) {
                lastError = ::WSAGetLastError();
                continue;
            }
            if (Clock::now() >= deadline || !ready(s.get(), true, deadline)) {
                lastError = WSAETIMEDOUT;
                break;
            }
            int code = 0;
            int size = sizeof code;
            ::getsockopt(s.get(), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&code), &size);
            if (code != 0) {
                lastError = code;
                continue;
            }
        }
        return std::make_unique<WinsockConnection>(s.release(), peer);
    }
    raise(lastError, "Connecting to " + peer);
}

}  // namespace telvora::win32
