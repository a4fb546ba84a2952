// The add-in state's one non-trivial accessor.
#include "app/addin.h"

#include "base/errors.h"

namespace telvora {

word::Application& Addin::word() const {
    if (!word_) throw RuntimeError::objectNotSet();
    return *word_;
}

}  // namespace telvora
