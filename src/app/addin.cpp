// The add-in state's accessors that can fail.
#include "app/addin.h"

#include "base/errors.h"

namespace telvora {

word::Application& Addin::word() const {
    if (!word_) throw RuntimeError::objectNotSet();
    return *word_;
}

DateTimeTexts& Addin::dateTimes() const {
    if (!ports_.dateTimes) throw RuntimeError::objectNotSet();
    return *ports_.dateTimes;
}

Network& Addin::network() const {
    if (!ports_.network) throw RuntimeError::objectNotSet();
    return *ports_.network;
}

void RememberedDiagnostics::ignored(const RuntimeError& error, const CodePlace& where) noexcept {
    constexpr std::size_t kKept = 100;
    try {
        if (lines_.size() == kKept) lines_.erase(lines_.begin());
        lines_.push_back(ignoredErrorLine(error, where));
    } catch (...) {
        // Out of memory while noting an error already dealt with: the note is what is lost.
    }
}

}  // namespace telvora
