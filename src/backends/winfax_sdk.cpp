// WinFax's SDK send object.
#include "backends/winfax_sdk.h"

#include "base/errors.h"

namespace telvora {

WinFaxSdk::WinFaxSdk(Addin& addin, std::string progId)
    : sdk_(addin.automation().create(progId)), progId_(std::move(progId)), log_(addin.diagnostics()) {}

void WinFaxSdk::request(const char* member, const Args& args) {
    const Variant status = sdk_->call(member, args);
    // A status that is no number at all is no success either.
    double code = 1;
    if (!succeeded(log_, [&] { code = status.toDouble(); })) code = 1;
    if (code == 0) return;
    const auto number = static_cast<std::int32_t>(code);
    throw RuntimeError(number, "WinFax refused " + std::string(member) + " (status " + std::to_string(number) + ").",
                       progId_);
}

bool WinFaxSdk::readyToPrint() { return sdk_->call("IsReadyToPrint").toDouble() != 0.0; }

bool WinFaxSdk::entryFiled() { return sdk_->call("IsEntryIDReady", {flag(0)}).toDouble() != 0.0; }

void WinFaxSdk::askFiledAgain() { sdk_->perform("IsEntryIDReady", {flag(0)}); }

}  // namespace telvora
