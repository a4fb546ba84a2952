// The errors the add-in ignores: each one leaves a trace, and nothing but a run-time error is ever
// swallowed.
#include "base/errors.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <vector>

namespace telvora {
namespace {

class Lines final : public Diagnostics {
public:
    void ignored(const RuntimeError& error, const CodePlace& where) noexcept override {
        lines.push_back(ignoredErrorLine(error, where));
    }
    std::vector<std::string> lines;
};

TEST(IgnoredErrors, EachIsWrittenWithWhereItWasIgnored) {
    Lines log;
    EXPECT_FALSE(succeeded(log, [] { throw RuntimeError(5941, "No such member.", "Microsoft Word"); }));
    EXPECT_TRUE(succeeded(log, [] {}));
    ignoreErrors(log, [] { throw RuntimeError::standard(err::Overflow); });
    ASSERT_EQ(log.lines.size(), 2u);
    EXPECT_TRUE(log.lines[0].starts_with("ignored error 5941 (Microsoft Word: No such member.) in base/errors_test.cpp:"))
        << log.lines[0];
    EXPECT_TRUE(log.lines[1].starts_with("ignored error 6 (Telvora: Overflow) in ")) << log.lines[1];
}

TEST(IgnoredErrors, MemoryRunningOutAndProgramFaultsAreNeverSwallowed) {
    Lines log;
    EXPECT_THROW(ignoreErrors(log, [] { throw std::bad_alloc(); }), std::bad_alloc);
    EXPECT_THROW((void)succeeded(log, [] { throw std::logic_error("a fault"); }), std::logic_error);
    EXPECT_TRUE(log.lines.empty());
}

}  // namespace
}  // namespace telvora
