// Every dialog of the add-in as a user first sees it, with realistic sample data: for the gallery
// that shows each one as a real Windows dialog and photographs it, and for any test that wants a
// dialog ready to show. A dialog class missing here makes the gallery's completeness test fail, so
// each new dialog adds its sample(s) to dialogSamples().
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/addin.h"
#include "forms/form.h"
#include "history/sqlite_fax_history.h"
#include "sim/fax_software.h"
#include "sim/sim_automation.h"
#include "sim/sim_date_time.h"
#include "sim/sim_platform.h"
#include "support/memory_settings_store.h"
#include "support/sim_addin.h"

namespace telvora::testing {

// A simulated machine with sample settings, printers and fax software, talking to the user through
// the caller's Ui (the Win32 form host in the gallery, a scripted user natively).
class SampleMachine {
public:
    explicit SampleMachine(Ui& ui);
    SampleMachine(const SampleMachine&) = delete;
    SampleMachine& operator=(const SampleMachine&) = delete;

    ScratchFolder scratch;
    MemorySettingsStore store;
    sim::SimPlatform platform{scratch.path()};
    sim::SimAutomation automation;
    sim::SimDateTime dateTimes{platform};
    // Nothing installed until a sample says so.
    sim::FaxSoftware fax{platform, automation};
    // Empty until a sample adds the faxes it shows.
    SqliteFaxHistory history{scratch.path() / "history.db", "C:\\Kept\\", platform.realPath("C:\\Kept\\")};
    Addin addin;
};

struct DialogSample {
    std::string formName;  // the dialog's class name, as the form knows it ("frmPrinter")
    std::string variant;   // what this sample shows, for the picture's file name ("" for the usual)
    // The dialog loaded (its load step has run) on the given machine, which the sample may set up
    // first (settings, printers, fax software), ready to be shown.
    std::function<std::unique_ptr<Form>(SampleMachine&)> make;
};

// Every dialog, at least one sample each.
std::vector<DialogSample> dialogSamples();

}  // namespace telvora::testing
