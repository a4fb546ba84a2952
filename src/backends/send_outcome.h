// What became of one fax handed to the fax software: sent (with the identifiers the software gave
// its jobs, when it names them), stopped by the user, or failed (the user was told why). A merge
// reads it to decide whether to go on.
#pragma once

#include <string>
#include <vector>

namespace telvora {

struct SendOutcome {
    enum class Result { Sent, Stopped, Failed };
    Result result = Result::Failed;
    std::vector<std::string> jobIds;
    // Failed or stopped: the reason as the user was told it.
    std::string why;
    // A failure of the shared fax server ends a merge run after this record; others do not.
    bool endsRun = false;

    bool sent() const noexcept { return result == Result::Sent; }
    static SendOutcome sentAs(std::vector<std::string> ids) { return {Result::Sent, std::move(ids), {}, false}; }
    static SendOutcome stopped(std::string why, bool endsRun) { return {Result::Stopped, {}, std::move(why), endsRun}; }
    static SendOutcome failed(std::string why, bool endsRun) { return {Result::Failed, {}, std::move(why), endsRun}; }
};

}  // namespace telvora
