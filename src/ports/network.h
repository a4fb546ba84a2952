// A byte-stream connection to another machine (TCP), as the fax server's client speaks to its
// server. Every wait is bounded by the caller's time limit: a server that stops answering must
// never freeze Word.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace telvora {

// The failures a caller tells apart, numbered as Windows Sockets numbers them, whatever the
// binding. Any other failure raises the system's own error number with its text.
namespace neterr {
inline constexpr std::int32_t TimedOut = 10060;           // WSAETIMEDOUT
inline constexpr std::int32_t ConnectionRefused = 10061;  // WSAECONNREFUSED
inline constexpr std::int32_t ConnectionReset = 10054;    // WSAECONNRESET: the other side dropped it
inline constexpr std::int32_t HostNotFound = 11001;       // WSAHOST_NOT_FOUND
inline constexpr std::int32_t Unreachable = 10065;        // WSAEHOSTUNREACH
}  // namespace neterr

class Connection {
public:
    Connection() = default;
    virtual ~Connection() = default;  // closes the connection
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Sends every byte, waiting at most `timeout` for the other side to take each part; raises
    // TimedOut, ConnectionReset or the system's error.
    virtual void send(std::string_view bytes, std::chrono::milliseconds timeout) = 0;
    // Up to `limit` bytes, as soon as some have arrived; "" when the other side closed the
    // connection. Raises TimedOut when nothing arrived within `timeout`.
    virtual std::string receive(std::size_t limit, std::chrono::milliseconds timeout) = 0;
    // Tells the other side that nothing more will be sent (the end of an uploaded file), while
    // its answer can still be read.
    virtual void finishSending() = 0;
};

class Network {
public:
    Network() = default;
    virtual ~Network() = default;
    Network(const Network&) = delete;
    Network& operator=(const Network&) = delete;

    // Connects to `host` (a name or an address) at `port`, waiting at most `timeout`. Raises
    // HostNotFound, ConnectionRefused, TimedOut, Unreachable or the system's error.
    virtual std::unique_ptr<Connection> connect(const std::string& host, std::uint16_t port,
                                                std::chrono::milliseconds timeout) = 0;
};

}  // namespace telvora
