// The dialogs' sample data.
#include "support/dialog_samples.h"

namespace telvora::testing {

SampleMachine::SampleMachine(Ui& ui) : addin(Ports{store, automation, ui, platform}) {
    platform.installedPrinters = {"Fax", "HP LaserJet 4250 PCL6", "Office Fax (Reception)"};
}

std::vector<DialogSample> dialogSamples() {
    std::vector<DialogSample> samples;
    return samples;
}

}  // namespace telvora::testing
