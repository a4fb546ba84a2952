// The add-in state's one non-trivial accessor.
#include "host/addin.h"

#include "core/errors.h"

namespace telvora {

word::Application& Addin::word() const {
    if (!word_) throw RuntimeError::objectNotSet();
    return *word_;
}

}  // namespace telvora
