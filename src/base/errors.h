// Run-time errors as a Word macro sees them (number, source, description), and the three ways a
// procedure treats them: trap and report, ignore and go on, let through.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "base/product.h"

namespace telvora {

// Error numbers the add-in raises or reacts to, numbered as the macro runtime numbers them.
namespace err {
inline constexpr std::int32_t InvalidProcedureCall = 5;
inline constexpr std::int32_t Overflow = 6;
inline constexpr std::int32_t OutOfMemory = 7;
inline constexpr std::int32_t SubscriptOutOfRange = 9;
inline constexpr std::int32_t ArrayLocked = 10;
inline constexpr std::int32_t DivisionByZero = 11;
inline constexpr std::int32_t TypeMismatch = 13;
inline constexpr std::int32_t InternalError = 51;
inline constexpr std::int32_t FileNotFound = 53;
inline constexpr std::int32_t PathFileAccess = 75;
inline constexpr std::int32_t ObjectNotSet = 91;
inline constexpr std::int32_t TextReadOnly = 383;
inline constexpr std::int32_t FormAlreadyShown = 400;
inline constexpr std::int32_t CannotCreateObject = 429;
inline constexpr std::int32_t NoAutomationInterface = 430;
inline constexpr std::int32_t ActionNotSupported = 445;
inline constexpr std::int32_t InvalidUseOfNull = 94;
inline constexpr std::int32_t NamedArgumentsNotSupported = 446;
inline constexpr std::int32_t NamedArgumentNotFound = 448;
inline constexpr std::int32_t ArgumentNotOptional = 449;
inline constexpr std::int32_t WrongArgumentCount = 450;
inline constexpr std::int32_t NotACollection = 451;
inline constexpr std::int32_t UnsupportedAutomationType = 458;
inline constexpr std::int32_t MemberNotFound = 438;
// Word's own: "The requested member of the collection does not exist."
inline constexpr std::int32_t CollectionMemberMissing = 5941;
}  // namespace err

class RuntimeError : public std::exception {
public:
    RuntimeError(std::int32_t number, std::string description, std::string source = kAppTitle);

    std::int32_t number() const noexcept { return number_; }
    const std::string& source() const noexcept { return source_; }
    const std::string& description() const noexcept { return description_; }
    const char* what() const noexcept override { return description_.c_str(); }

    // The macro runtime's standard error with its standard text ("Overflow", "Type mismatch", ...).
    static RuntimeError standard(std::int32_t number, std::string source = kAppTitle);
    // Error 91: the word processor supplied no object (no document open, no selection).
    static RuntimeError objectNotSet(std::string source = kAppTitle);
    // Error 445 for work that has not landed in this release: "<what> is not available yet in this
    // release of Telvora." A feature that is missing fails loudly; it never pretends to succeed.
    static RuntimeError notAvailableYet(std::string_view what, std::string source = kAppTitle);

private:
    std::int32_t number_;
    std::string source_;
    std::string description_;
};

// The standard description of a macro runtime error number, or "Application-defined or
// object-defined error" for numbers it has no text for.
std::string standardErrorText(std::int32_t number);

// Turns whatever is in flight into the run-time error a macro would have seen, so a stray
// library exception is reported like any other error and never escapes a command. Call it only
// inside a catch handler.
RuntimeError currentAsRuntimeError() noexcept;

// Trap and report: run `body`; on a run-time error call `report` with it and end.
// Answers whether the body ran to its end.
template <class Body, class Report>
bool trapAndReport(Body&& body, Report&& report) {
    try {
        std::forward<Body>(body)();
        return true;
    } catch (...) {
        const RuntimeError e = currentAsRuntimeError();
        std::forward<Report>(report)(e);
        return false;
    }
}

// A place in the add-in's code: where an error was ignored. (std::source_location is not in every
// compiler the add-in is built with; the built-ins behind it are.)
struct CodePlace {
    const char* file = "";
    unsigned line = 0;
};

// Where the errors the add-in deliberately ignores are written, so none is dropped without a
// trace (a log file on Windows, the transcript in the simulator).
class Diagnostics {
public:
    Diagnostics() = default;
    virtual ~Diagnostics() = default;
    Diagnostics(const Diagnostics&) = delete;
    Diagnostics& operator=(const Diagnostics&) = delete;

    // One ignored error and the place in the add-in that ignored it. Never raises.
    virtual void ignored(const RuntimeError& error, const CodePlace& where) noexcept = 0;
};

// The line an ignored error is written as: "ignored error 5941 (Microsoft Word: The requested
// member of the collection does not exist.) in fields/marking.cpp:92".
std::string ignoredErrorLine(const RuntimeError& error, const CodePlace& where);

// Ignore and go on: run one step; a run-time error in it is written to `log` and swallowed.
// Answers whether the step succeeded, for callers that branch on it ("the lookup raised no
// error"). Anything else (memory running out, a fault of the program) goes on to the caller.
template <class Step>
[[nodiscard]] bool succeeded(Diagnostics& log, Step&& step, const char* file = __builtin_FILE(),
                             unsigned line = __builtin_LINE()) {
    try {
        std::forward<Step>(step)();
        return true;
    } catch (const RuntimeError& e) {
        log.ignored(e, CodePlace{file, line});
        return false;
    }
}

// Ignore and go on, when the caller does not care whether the step worked.
template <class Step>
void ignoreErrors(Diagnostics& log, Step&& step, const char* file = __builtin_FILE(), unsigned line = __builtin_LINE()) {
    (void)succeeded(log, std::forward<Step>(step), file, line);
}

// Let through needs no helper: the error simply propagates to the caller's trap.

}  // namespace telvora
