// The network as the simulator and the native tests reach it: POSIX sockets, every wait bounded
// with poll().
#pragma once

#include "ports/network.h"

namespace telvora::sim {

class PosixNetwork final : public Network {
public:
    std::unique_ptr<Connection> connect(const std::string& host, std::uint16_t port,
                                        std::chrono::milliseconds timeout) override;
};

}  // namespace telvora::sim
