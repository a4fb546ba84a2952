// TCP connections over POSIX sockets: non-blocking sockets waited on with poll(), failures raised
// with the Windows Sockets numbers the port names, so both bindings report alike.
#include "sim/posix_network.h"

#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <utility>

#include "base/errors.h"

namespace telvora::sim {
namespace {

using Clock = std::chrono::steady_clock;

std::int32_t portableNumber(int code) {
    switch (code) {
    case ETIMEDOUT: return neterr::TimedOut;
    case ECONNREFUSED: return neterr::ConnectionRefused;
    case ECONNRESET:
    case EPIPE:
    case ECONNABORTED: return neterr::ConnectionReset;
    case EHOSTUNREACH:
    case ENETUNREACH: return neterr::Unreachable;
    default: return code;
    }
}

[[noreturn]] void raise(int code, const std::string& what) {
    throw RuntimeError(portableNumber(code), what + ": " + std::strerror(code) + ".");
}

// Waits until `fd` can take or give bytes; false when the deadline passed first.
bool ready(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd p{fd, events, 0};
        const int n = ::poll(&p, 1, static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 0)));
        if (n > 0) return true;
        if (n == 0) return false;
        if (errno != EINTR) raise(errno, "waiting on the connection");
    }
}

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const noexcept { return fd_; }
    int release() noexcept { return std::exchange(fd_, -1); }

private:
    int fd_;
};

class PosixConnection final : public Connection {
public:
    PosixConnection(int fd, std::string peer) : fd_(fd), peer_(std::move(peer)) {}

    // The time limit runs from the last bytes that moved: a wake-up with nothing to do must not
    // start the wait over.
    void send(std::string_view bytes, std::chrono::milliseconds timeout) override {
        auto deadline = Clock::now() + timeout;
        while (!bytes.empty()) {
            if (!ready(fd_.get(), POLLOUT, deadline))
                throw RuntimeError(neterr::TimedOut, peer_ + " took nothing for " + seconds(timeout) + ".");
            const ssize_t n = ::send(fd_.get(), bytes.data(), bytes.size(), MSG_NOSIGNAL);
            if (n < 0) {
                if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) continue;
                raise(errno, "sending to " + peer_);
            }
            bytes.remove_prefix(static_cast<std::size_t>(n));
            deadline = Clock::now() + timeout;
        }
    }

    std::string receive(std::size_t limit, std::chrono::milliseconds timeout) override {
        std::string bytes(limit, '\0');
        const auto deadline = Clock::now() + timeout;
        for (;;) {
            if (!ready(fd_.get(), POLLIN, deadline))
                throw RuntimeError(neterr::TimedOut, peer_ + " sent nothing for " + seconds(timeout) + ".");
            const ssize_t n = ::recv(fd_.get(), bytes.data(), limit, 0);
            if (n < 0) {
                if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) continue;
                raise(errno, "receiving from " + peer_);
            }
            bytes.resize(static_cast<std::size_t>(n));
            return bytes;
        }
    }

    void finishSending() override {
        if (::shutdown(fd_.get(), SHUT_WR) != 0) raise(errno, "ending the data sent to " + peer_);
    }

private:
    static std::string seconds(std::chrono::milliseconds timeout) {
        return std::to_string(timeout.count()) + " ms";
    }

    Descriptor fd_;
    std::string peer_;
};

}  // namespace

std::unique_ptr<Connection> PosixNetwork::connect(const std::string& host, std::uint16_t port,
                                                  std::chrono::milliseconds timeout) {
    const std::string peer = host + ":" + std::to_string(port);
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    if (const int code = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &found); code != 0) {
        const bool unknown = code == EAI_NONAME || code == EAI_FAIL || code == EAI_NODATA;
        throw RuntimeError(unknown ? neterr::HostNotFound : code,
                           "Looking up " + host + ": " + ::gai_strerror(code) + ".");
    }
    std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> addresses(found, &::freeaddrinfo);

    // Every address the name has is tried in turn, all within the one time limit.
    const auto deadline = Clock::now() + timeout;
    int lastError = ETIMEDOUT;
    for (const addrinfo* a = found; a; a = a->ai_next) {
        Descriptor fd(::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol));
        if (fd.get() < 0) {
            lastError = errno;
            continue;
        }
        if (::connect(fd.get(), a->ai_addr, a->ai_addrlen) != 0) {
            if (errno != EINPROGRESS) {
                lastError = errno;
                continue;
            }
            if (Clock::now() >= deadline || !ready(fd.get(), POLLOUT, deadline)) {
                lastError = ETIMEDOUT;
                break;
            }
            int code = 0;
            socklen_t size = sizeof code;
            ::getsockopt(fd.get(), SOL_SOCKET, SO_ERROR, &code, &size);
            if (code != 0) {
                lastError = code;
                continue;
            }
        }
        return std::make_unique<PosixConnection>(fd.release(), peer);
    }
    raise(lastError, "Connecting to " + peer);
}

}  // namespace telvora::sim
