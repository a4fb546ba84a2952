// Switching Word's active printer for a fax, and the filing copies print.
#include "backends/printing.h"

#include "base/errors.h"

namespace telvora {

ActivePrinterSwitch::ActivePrinterSwitch(word::Application& word, Diagnostics& log)
    : word_(word), log_(log), remembered_(word.activePrinter()) {}

ActivePrinterSwitch::~ActivePrinterSwitch() {
    if (switched_) ignoreErrors(log_, [&] { word_.setActivePrinter(remembered_); });
}

void ActivePrinterSwitch::switchTo(const std::string& deviceName) {
    // Counted as switched before Word is asked: a switch that failed half-way is undone too.
    switched_ = true;
    word_.setActivePrinter(deviceName);
}

void ActivePrinterSwitch::restore() {
    word_.setActivePrinter(remembered_);
    switched_ = false;
}

void PrintFilingCopies(word::Application& word, std::int16_t copies) {
    word.PrintOut({{"Copies", Variant(copies)},
                   {"PrintToFile", Variant(false)},
                   {"Range", Variant(std::int32_t{0})},
                   {"Background", Variant(false)}});
}

}  // namespace telvora
