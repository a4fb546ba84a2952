// The in-memory store the command tests use keeps the same promises as the stores users have.
#include "support/memory_settings_store.h"
#include "support/settings_store_contract.h"

namespace telvora::testing {
namespace {

struct MemoryStores {
    static std::unique_ptr<SettingsStore> make() { return std::make_unique<MemorySettingsStore>(); }
    static std::string application() { return "0x61645694"; }
};
INSTANTIATE_TYPED_TEST_SUITE_P(Memory, SettingsStoreContract, MemoryStores);

}  // namespace
}  // namespace telvora::testing
