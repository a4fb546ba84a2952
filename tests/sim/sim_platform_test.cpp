// The simulated machine's files and environment behave as Windows' do where the add-in relies on them.
#include "sim/sim_platform.h"

#include "support/error_number.h"

#include "support/platform_contract.h"
#include "support/sim_addin.h"

namespace telvora::testing {
namespace {

class SimPlatformBinding {
public:
    Platform& platform() { return platform_; }
    void setEnvironment(const std::string& name, const std::string& value) { platform_.variables[name] = value; }

private:
    ScratchFolder scratch_;
    sim::SimPlatform platform_{scratch_.path()};
};

INSTANTIATE_TYPED_TEST_SUITE_P(Sim, PlatformContract, SimPlatformBinding);

}  // namespace
}  // namespace telvora::testing

namespace telvora::sim {
namespace {

class SimPlatformTest : public ::testing::Test {
protected:
    void putProgram(const std::string& folder, const std::string& file) {
        std::filesystem::create_directories(platform.realPath(folder));
        platform.writeFile(folder + "\\" + file, "MZ");
    }

    testing::ScratchFolder scratch;
    SimPlatform platform{scratch.path()};
};

TEST_F(SimPlatformTest, AProgramStartsOnlyWhenItsFileIsOnTheMachineFoundAsWindowsFindsIt) {
    putProgram("C:\\Program Files\\Common Files\\MSInfo", "msinfo32.exe");
    putProgram("C:\\Tools", "sysinfo.exe");
    const std::string starts[] = {"\"C:\\Program Files\\Common Files\\MSInfo\\msinfo32.exe\"",
                                  "C:\\Program Files\\Common Files\\MSInfo\\msinfo32.exe",
                                  "C:\\Tools\\sysinfo /report", "C:\\Tools\\sysinfo.exe"};
    for (const auto& line : starts) EXPECT_EQ(testing::errorOf([&] { platform.startProgram(line); }), 0) << line;
    EXPECT_EQ(platform.programsStarted.size(), std::size(starts));
    for (const char* line : {"\"C:\\Tools\\missing.exe\"", "C:\\Tools", "\"C:\\Tools\\sysinfo.exe", "",
                             "..\\..\\bin\\sh", "C:\\Program"}) {
        EXPECT_EQ(testing::errorOf([&] { platform.startProgram(line); }), err::FileNotFound) << line;
    }
    EXPECT_EQ(platform.programsStarted.size(), std::size(starts)) << "a program that did not start is not listed";
}

TEST_F(SimPlatformTest, MachineRegistryNamesIgnoreCaseAsTheRegistryDoes) {
    platform.machineRegistry[{"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH"}] = RegistryValue{1, "C:\\x.exe", 0};
    const auto value = platform.machineRegistryValue("software\\microsoft\\shared tools\\msinfo", "Path");
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(value->text, "C:\\x.exe");
    EXPECT_FALSE(platform.machineRegistryValue("SOFTWARE\\Microsoft\\Shared Tools", "PATH").has_value());
}

}  // namespace
}  // namespace telvora::sim
