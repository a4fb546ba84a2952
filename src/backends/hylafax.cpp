// HylaFAX's client protocol: command lines ending in CR LF, numbered replies (a reply of several
// lines ends with the line that has a blank after its number), and a passive data connection
// for the upload.
#include "backends/hylafax.h"

#include <cctype>
#include <cstdio>
#include <memory>
#include <optional>
#include <regex>
#include <string_view>
#include <thread>

#include "base/errors.h"

namespace telvora {
namespace {

// A reply longer than this comes from no fax server: the client stops reading rather than fill
// the memory.
constexpr std::size_t kLongestReply = 64 * 1024;
// Days, hours and minutes the server goes on trying to send a fax: as long as HylaFAX's own client
// gives it.
constexpr const char* kTryingFor = "000300";
// How often a job number is asked for while the server is updating its job numbers.
constexpr int kJobNumberAttempts = 5;

struct Reply {
    int code = 0;
    std::string text;  // every line, without the line ends, joined with blanks

    bool positive() const noexcept { return code >= 100 && code < 400; }
};

// A value as one command line can carry it: a line end or another control character in a name
// or subject would end the command early and start another of the text's own choosing.
std::string oneLine(std::string_view value) {
    std::string line;
    line.reserve(value.size());
    for (const char c : value) line += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? ' ' : c;
    return line;
}

// A value as a quoted JPARM argument. The server's command parser knows no escapes inside
// quotes, so a double quote in the text becomes a single one.
std::string quoted(std::string_view value) {
    std::string text = oneLine(value);
    for (char& c : text)
        if (c == '"') c = '\'';
    return '"' + text + '"';
}

std::string universalMinute(std::chrono::sys_seconds at) {
    using namespace std::chrono;
    const auto day = floor<days>(at);
    const year_month_day date{day};
    const hh_mm_ss time{floor<minutes>(at - day)};
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02u%02u%02d%02d", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()));
    return text;
}

std::uint32_t tiffNumber(std::string_view bytes, std::size_t at, std::size_t size, bool bigEndian) {
    std::uint32_t n = 0;
    for (std::size_t i = 0; i < size; ++i) {
        const auto byte = static_cast<unsigned char>(bytes[at + (bigEndian ? i : size - 1 - i)]);
        n = (n << 8) | byte;
    }
    return n;
}

// Whether the fax printer printed in fine resolution (about 196 lines an inch), from the first
// page's vertical resolution; the server is told, so it does not convert the pages to another.
// Raises when the file is no TIFF at all.
bool fineResolution(std::string_view image) {
    const bool little = image.starts_with(std::string_view("II*\0", 4));
    const bool big = image.starts_with(std::string_view("MM\0*", 4));
    if (!little && !big) throw RuntimeError(err::TypeMismatch, "The fax printer's file is no fax image (TIFF).");
    const auto number = [&](std::size_t at, std::size_t size) -> std::optional<std::uint32_t> {
        if (at + size > image.size()) return std::nullopt;
        return tiffNumber(image, at, size, big);
    };
    const auto directory = number(4, 4);
    const auto entries = directory ? number(*directory, 2) : std::nullopt;
    if (!entries) return true;
    double resolution = 196;
    bool centimetres = false;
    for (std::uint32_t i = 0; i < *entries; ++i) {
        const std::size_t entry = *directory + 2 + 12 * static_cast<std::size_t>(i);
        const auto tag = number(entry, 2);
        if (!tag) break;
        if (*tag == 283) {  // YResolution: a fraction stored elsewhere in the file
            const auto offset = number(entry + 8, 4);
            const auto numerator = offset ? number(*offset, 4) : std::nullopt;
            const auto denominator = offset ? number(*offset + 4, 4) : std::nullopt;
            if (numerator && denominator && *denominator != 0) resolution = double(*numerator) / *denominator;
        } else if (*tag == 296) {  // ResolutionUnit: 3 is centimetres
            centimetres = number(entry + 8, 2) == 3u;
        }
    }
    return (centimetres ? resolution * 2.54 : resolution) > 150;
}

class Session {
public:
    Session(Network& network, const HylafaxServer& server, const HylafaxLimits& limits)
        : network_(network), server_(server), limits_(limits),
          name_(server.host + ":" + std::to_string(server.port)) {
        control_ = open(server.port);
        const Reply greeting = read();
        if (greeting.code != 220) fail(greeting, "is not taking clients");
    }

    ~Session() {
        // A polite goodbye; a job created but never submitted goes with the session.
        if (!control_) return;
        try {
            control_->send("QUIT\r\n", limits_.answer);
        } catch (const RuntimeError&) {
        }
    }

    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    void logIn() {
        Reply reply = command("USER " + oneLine(server_.user));
        // No password is kept where it could be read back, so a server that wants one is told
        // apart from one that refuses the user.
        if (reply.code == 331 && server_.password.empty())
            fail(reply, "asks for a password for the user " + server_.user +
                            ". Telvora sends only to HylaFAX servers that let their users in without one; "
                            "ask the server's administrator to let this computer in without a password", false);
        if (reply.code == 331) reply = command("PASS " + oneLine(server_.password));
        if (reply.code != 230) fail(reply, "refused the user name " + server_.user, false);
    }

    Reply command(const std::string& line) {
        transport([&] { control_->send(line + "\r\n", limits_.answer); });
        return read();
    }

    // A command the server must accept, or the fax cannot go as the user asked.
    Reply require(const std::string& line, const std::string& refusal) {
        Reply reply = command(line);
        if (!reply.positive()) fail(reply, refusal);
        return reply;
    }

    // Uploads the image as a temporary file of the server's naming; answers that name.
    std::string upload(std::string_view image) {
        const std::string refusal = "did not take the fax image";
        require("TYPE I", refusal);
        require("FORM TIFF", refusal);
        const Reply passive = require("PASV", refusal);
        static const std::regex address(R"(\((\d+),(\d+),(\d+),(\d+),(\d+),(\d+)\))");
        std::smatch m;
        if (!std::regex_search(passive.text, m, address)) fail(passive, refusal);
        // The data connection goes to the host the user named, whatever address the reply
        // gives: a server behind address translation names one the client cannot reach.
        const auto port = static_cast<std::uint16_t>(std::stoi(m[5]) * 256 + std::stoi(m[6]));
        std::unique_ptr<Connection> data = open(port);
        const Reply opening = command("STOT");
        if (opening.code != 150 && opening.code != 125) fail(opening, refusal);
        transport([&] {
            data->send(image, limits_.answer);
            data->finishSending();
        });
        data.reset();
        const Reply done = read();
        if (done.code != 226) fail(done, refusal);
        static const std::regex file(R"(FILE: ([^\s)]+))");
        for (const Reply* reply : {&done, &opening}) {
            std::smatch f;
            if (std::regex_search(reply->text, f, file)) return f[1];
        }
        fail(done, refusal);
    }

    [[noreturn]] void fail(const Reply& reply, const std::string& what, bool withReply = true) const {
        const std::string told = reply.code ? std::to_string(reply.code) + " " + reply.text : reply.text;
        throw RuntimeError(reply.code, "The fax server " + name_ + " " + what + (withReply ? ": " + told : "."));
    }

    const std::string& name() const noexcept { return name_; }

private:
    std::unique_ptr<Connection> open(std::uint16_t port) {
        try {
            return network_.connect(server_.host, port, limits_.connect);
        } catch (const RuntimeError& e) {
            const std::string there = server_.host + ":" + std::to_string(port);
            switch (e.number()) {
            case neterr::ConnectionRefused: throw RuntimeError(e.number(), "The fax server " + there + " refused the connection.");
            case neterr::HostNotFound: throw RuntimeError(e.number(), "The fax server " + server_.host + " could not be found.");
            case neterr::TimedOut: throw RuntimeError(e.number(), "The fax server " + there + " did not answer.");
            default: throw RuntimeError(e.number(), "The fax server " + there + " could not be reached: " + e.description());
            }
        }
    }

    // Runs one exchange with the server, telling a silent or vanished server in the user's terms.
    template <class Step>
    void transport(Step&& step) {
        try {
            step();
        } catch (const RuntimeError& e) {
            if (e.number() == neterr::TimedOut) throw RuntimeError(e.number(), "The fax server " + name_ + " stopped answering.");
            if (e.number() == neterr::ConnectionReset) closed();
            throw RuntimeError(e.number(), "The connection to the fax server " + name_ + " failed: " + e.description());
        }
    }

    [[noreturn]] void closed() const {
        throw RuntimeError(neterr::ConnectionReset, "The fax server " + name_ + " closed the connection.");
    }

    std::string line() {
        for (;;) {
            if (const auto end = buffer_.find('\n'); end != std::string::npos) {
                std::string text = buffer_.substr(0, end);
                buffer_.erase(0, end + 1);
                if (!text.empty() && text.back() == '\r') text.pop_back();
                return text;
            }
            if (buffer_.size() > kLongestReply) notFaxServer();
            std::string more;
            transport([&] { more = control_->receive(4096, limits_.answer); });
            if (more.empty()) closed();
            buffer_ += more;
        }
    }

    [[noreturn]] void notFaxServer() const {
        throw RuntimeError(err::TypeMismatch, "The program at " + name_ + " is not a HylaFAX fax server.");
    }

    static bool numbered(const std::string& text) {
        return text.size() >= 3 && std::isdigit(static_cast<unsigned char>(text[0])) &&
               std::isdigit(static_cast<unsigned char>(text[1])) && std::isdigit(static_cast<unsigned char>(text[2]));
    }

    Reply read() {
        std::string first = line();
        if (!numbered(first)) notFaxServer();
        Reply reply{std::stoi(first.substr(0, 3)), first.size() > 4 ? first.substr(4) : ""};
        if (first.size() > 3 && first[3] == '-') {
            // Further lines until the one that starts with the same number and a blank.
            std::size_t length = first.size();
            for (;;) {
                std::string next = line();
                length += next.size();
                if (length > kLongestReply) notFaxServer();
                const bool last = next.size() >= 4 && next.compare(0, 3, first, 0, 3) == 0 && next[3] == ' ';
                const std::size_t from = last ? 4 : next.find_first_not_of(' ');
                if (from != std::string::npos && from < next.size()) reply.text += " " + next.substr(from);
                if (last) break;
            }
        }
        return reply;
    }

    Network& network_;
    const HylafaxServer& server_;
    const HylafaxLimits& limits_;
    std::string name_;
    std::unique_ptr<Connection> control_;
    std::string buffer_;
};

int number(const std::string& text) {
    try {
        return std::stoi(text);
    } catch (const std::exception&) {
        return 0;
    }
}

}  // namespace

std::string submitToHylafax(Network& network, const HylafaxServer& server, const HylafaxFax& fax,
                            const HylafaxLimits& limits) {
    const std::string name = server.host + ":" + std::to_string(server.port);
    if (fax.schedule.kind == HylafaxSchedule::Kind::Discount)
        throw RuntimeError(err::ActionNotSupported, "The fax server " + name +
                                                        " (HylaFAX) has no discount period. Send the fax now or "
                                                        "choose the time it is to be sent.");
    const bool fine = fineResolution(fax.image);

    Session session(network, server, limits);
    session.logIn();
    const std::string file = session.upload(fax.image);

    // The server's processes number their jobs from one file: while another one (a client's
    // session ending, the scheduler) is updating it, JNEW fails for an instant ("503 Unable to open
    // sequence number file"), which a merge sending a job a record would meet now and then.
    Reply created = session.command("JNEW");
    const auto numbersBusy = [](const Reply& reply) {
        return !reply.positive() && reply.text.find("sequence number") != std::string::npos;
    };
    for (int attempt = 1; attempt < kJobNumberAttempts && numbersBusy(created); ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        created = session.command("JNEW");
    }
    if (!created.positive()) session.fail(created, "could not create a fax job");
    static const std::regex jobIdText(R"(jobid: *(\w+))", std::regex::icase);
    std::smatch id;
    if (!std::regex_search(created.text, id, jobIdText)) session.fail(created, "named no fax job");
    const std::string jobId = id[1];

    session.require("JPARM DIALSTRING " + quoted(fax.number), "refused the number");
    session.require("JPARM TOUSER " + quoted(fax.recipient), "refused the recipient's name");
    session.require("JPARM TOCOMPANY " + quoted(fax.company), "refused the recipient's company");
    session.require("JPARM REGARDING " + quoted(fax.subject), "refused the subject");
    const std::string when = fax.schedule.kind == HylafaxSchedule::Kind::At ? universalMinute(fax.schedule.at) : "NOW";
    session.require("JPARM SENDTIME " + when, "refused the send time");
    // How long the server goes on trying, counted from the send time; the server's own default
    // is never applied by itself, and a job without one is dropped as expired at once.
    session.require("JPARM LASTTIME " + std::string(kTryingFor), "refused the time it may go on trying");
    if (fax.receiptAddress.empty()) {
        session.require("JPARM NOTIFY NONE", "refused to send no delivery receipt");
    } else {
        session.require("JPARM NOTIFYADDR " + quoted(fax.receiptAddress), "refused the e-mail address for the delivery receipt");
        session.require("JPARM NOTIFY DONE", "refused to mail a delivery receipt");
    }
    session.require(std::string("JPARM VRES ") + (fine ? "196" : "98"), "refused the fax image's resolution");
    session.require("JPARM DOCUMENT " + file, "did not take the fax image");
    // The server judges the number only now, when its scheduler takes the job.
    const Reply queued = session.command("JSUBM");
    if (!queued.positive())
        session.fail(queued, queued.text.find("DIALSTRING") != std::string::npos ? "refused the number" : "did not queue the fax");
    return jobId;
}

HylafaxJobStatus queryHylafaxJob(Network& network, const HylafaxServer& server, const std::string& jobId,
                                 const HylafaxLimits& limits) {
    Session session(network, server, limits);
    session.logIn();
    session.require("JOB " + oneLine(jobId), "knows no fax job " + jobId);
    const auto parameter = [&](const char* name) {
        return session.require(std::string("JPARM ") + name, "would not tell the fax job's state").text;
    };
    HylafaxJobStatus status;
    status.state = parameter("STATE");
    status.status = parameter("STATUS");
    status.pagesSent = number(parameter("NPAGES"));
    status.pagesTotal = number(parameter("TOTPAGES"));
    return status;
}

void killHylafaxJob(Network& network, const HylafaxServer& server, const std::string& jobId,
                    const HylafaxLimits& limits) {
    Session session(network, server, limits);
    session.logIn();
    session.require("JKILL " + oneLine(jobId), "did not cancel the fax job " + jobId);
}

}  // namespace telvora
