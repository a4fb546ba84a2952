// libFuzzer: the scenario reader on untrusted YAML, beside copies of the examples' documents and
// data, so a mutated scenario reaches them. What it gets wrong must be an InputError naming the
// file and place (exit code 2); any other exception escapes and is a finding.
#include "fuzz/fuzz_support.h"
#include "sim/cli/scenario.h"

namespace fs = std::filesystem;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const fs::path& folder = telvora::fuzz::scratchFolder("scenario");
    for (const auto& entry : fs::directory_iterator(TELVORA_EXAMPLES_DIR))
        if (entry.path().extension() != ".yaml")
            fs::copy_file(entry.path(), folder / entry.path().filename(), fs::copy_options::overwrite_existing);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string yaml(reinterpret_cast<const char*>(data), size);
    try {
        (void)telvora::sim::cli::parseScenario(yaml, telvora::fuzz::scratchFolder("scenario") / "input.yaml");
    } catch (const telvora::sim::cli::InputError&) {
    }
    return 0;
}
