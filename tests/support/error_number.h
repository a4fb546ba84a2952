// The run-time error number a call raises, for assertions: 0 when it raises nothing. And the whole
// error (number, source, description) where those matter: one numbered 0 when it raises nothing.
#pragma once

#include <cstdint>
#include <utility>

#include "base/errors.h"

namespace telvora::testing {

template <class Call>
std::int32_t errorOf(Call&& call) {
    try {
        std::forward<Call>(call)();
    } catch (const RuntimeError& e) {
        return e.number();
    }
    return 0;
}

template <class Call>
RuntimeError errorRaisedBy(Call&& call) {
    try {
        std::forward<Call>(call)();
    } catch (const RuntimeError& e) {
        return e;
    }
    return RuntimeError(0, "no error raised");
}

}  // namespace telvora::testing
