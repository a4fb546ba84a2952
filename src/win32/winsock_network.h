// The network as the add-in reaches it on Windows: Windows Sockets, every wait bounded with
// select().
#pragma once

#include "ports/network.h"

namespace telvora::win32 {

class WinsockNetwork final : public Network {
public:
    // Starts Windows Sockets for as long as this object lives; raises when it cannot.
    WinsockNetwork();
    ~WinsockNetwork() override;

    std::unique_ptr<Connection> connect(const std::string& host, std::uint16_t port,
                                        std::chrono::milliseconds timeout) override;
};

}  // namespace telvora::win32
