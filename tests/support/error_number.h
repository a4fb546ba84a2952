// The run-time error number a call raises, for assertions: 0 when it raises nothing.
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

}  // namespace telvora::testing
