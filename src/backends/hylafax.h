// HylaFAX as fax software: its client protocol (hfaxd's, which is shaped like FTP) spoken over the
// Network port. One fax printed to a TIFF file becomes one job queued on the fax server; a job's
// state can be asked for later. Every wait is bounded, and every failure is a run-time error whose
// description a user can read.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "ports/network.h"

namespace telvora {

inline constexpr std::uint16_t kHylafaxPort = 4559;

struct HylafaxServer {
    std::string host;
    std::uint16_t port = kHylafaxPort;
    std::string user;
    // Asked for only when the server's access list wants one.
    std::string password{};
};

// When the server sends the fax. HylaFAX has no discount period of its own to ask for: a time
// window its administrator set applies to every fax without the client's asking.
struct HylafaxSchedule {
    enum class Kind { Now, Discount, At };
    Kind kind = Kind::Now;
    std::chrono::sys_seconds at{};  // Kind::At: the moment, in universal time (the protocol's)
};

struct HylafaxFax {
    std::string image;   // the bytes of the TIFF file the fax printer wrote
    std::string number;  // as dialled, the dial-out prefix already in front
    std::string recipient;
    std::string company;
    std::string subject;
    HylafaxSchedule schedule;
    std::string receiptAddress{};  // where the delivery receipt is mailed; "" for none
};

// How long each step may take: reaching the server, and each answer (or upload part) after that.
struct HylafaxLimits {
    std::chrono::milliseconds connect{std::chrono::seconds(15)};
    std::chrono::milliseconds answer{std::chrono::seconds(30)};
};

// Logs in, uploads the image, describes the job and submits it; answers the job ID the server
// gave. Raises a run-time error whose description names the server and what went wrong ("The fax
// server fax.example:4559 refused the number: 503 ..."), numbered with the network's error number
// or the server's reply code. A job the server created but never queued goes with the session.
std::string submitToHylafax(Network& network, const HylafaxServer& server, const HylafaxFax& fax,
                            const HylafaxLimits& limits = {});

struct HylafaxJobStatus {
    std::string state;   // as the server names it: PENDING, SLEEPING, READY, ACTIVE, DONE, FAILED, ...
    std::string status;  // why the last try failed; "" while nothing failed
    int pagesSent = 0;
    int pagesTotal = 0;  // 0 until the server has prepared the document for sending
};

// What the server says of one job submitted earlier (by the same user).
HylafaxJobStatus queryHylafaxJob(Network& network, const HylafaxServer& server, const std::string& jobId,
                                 const HylafaxLimits& limits = {});

// Kills one job submitted earlier by the same user, waiting or being sent: the server stops
// trying to send it. Raises, with the server's reply, when the server refuses (a job already done,
// one it does not know, one of another user).
void killHylafaxJob(Network& network, const HylafaxServer& server, const std::string& jobId,
                    const HylafaxLimits& limits = {});

}  // namespace telvora
