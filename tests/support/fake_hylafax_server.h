// A small fake HylaFAX server on the loopback address for the native tests (POSIX sockets): it
// answers each command with a reply a test may change, takes one upload, and records what the
// client sent.
#pragma once

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace telvora::testing {

inline int listener(std::uint16_t& port) {
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

}  // namespace telvora::testing
