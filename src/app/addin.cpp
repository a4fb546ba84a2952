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

}  // namespace telvora
