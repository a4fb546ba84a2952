// The simulated fax software's call log in readable lines, for assertions on what the add-in asked
// of the fax software and in which order: "FAXCOMEX.FaxServer#1 call Connect(BSTR:SIMPC)".
#pragma once

#include <string>
#include <vector>

#include "sim/fax_software.h"
#include "support/recording_automation.h"

namespace telvora::testing {

inline std::string describeFaxCall(const sim::FaxCall& call) {
    std::string line = call.object + "#" + std::to_string(call.instance) + " ";
    switch (call.kind) {
    case sim::FaxCallKind::Create: return line + "created";
    case sim::FaxCallKind::Get: line += "get "; break;
    case sim::FaxCallKind::Put: line += "put "; break;
    case sim::FaxCallKind::Call: line += "call "; break;
    }
    line += call.member;
    if (call.args.empty() && call.named.empty()) return line;
    std::string list;
    for (const auto& a : call.args) list += (list.empty() ? "" : ", ") + describeValue(a);
    for (const auto& n : call.named) list += (list.empty() ? "" : ", ") + n.name + ":=" + describeValue(n.value);
    return line + "(" + list + ")";
}

inline std::vector<std::string> faxCallLines(const sim::FaxSoftware& fax) {
    std::vector<std::string> lines;
    for (const auto& c : fax.calls) lines.push_back(describeFaxCall(c));
    return lines;
}

}  // namespace telvora::testing
