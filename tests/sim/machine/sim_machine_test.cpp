// The simulated machine behaves as Windows does where the add-in relies on it: one mapping of
// Windows paths to host files that nothing can lead out of, programs started only from files on the
// machine, the registry's names, automation's promises, and a United States machine's date texts.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "sim/machine/machine_paths.h"
#include "sim/sim_automation.h"
#include "sim/sim_date_time.h"
#include "sim/sim_platform.h"
#include "support/automation_contract.h"
#include "support/date_time_contract.h"
#include "support/error_number.h"
#include "support/platform_contract.h"
#include "support/recording_automation.h"
#include "support/sim_addin.h"

namespace telvora::testing {
namespace {

// The machine's platform and its date texts, for the contracts every binding keeps.
class SimMachineBinding {
public:
    Platform& platform() { return platform_; }
    DateTimeTexts& dateTimes() { return dates_; }
    void setEnvironment(const std::string& name, const std::string& value) { platform_.variables[name] = value; }

private:
    ScratchFolder scratch_;
    sim::SimPlatform platform_{scratch_.path()};
    sim::SimDateTime dates_{platform_};
};
INSTANTIATE_TYPED_TEST_SUITE_P(Sim, PlatformContract, SimMachineBinding);
INSTANTIATE_TYPED_TEST_SUITE_P(Sim, DateTimeContract, SimMachineBinding);

}  // namespace
}  // namespace telvora::testing

namespace telvora::sim {
namespace {

using telvora::testing::contains;
namespace fs = std::filesystem;
using telvora::testing::errorOf;

fs::path made(const fs::path& folder) {
    fs::create_directories(folder);
    return folder;
}

// A machine whose drive is scratch/machine, next to a folder of the host it must never reach.
class MachinePathsTest : public ::testing::Test {
protected:

    // The description of the error a path raises.
    std::string refusal(const std::string& path) const {
        const RuntimeError e = telvora::testing::errorRaisedBy([&] { (void)paths.toHost(path); });
        EXPECT_EQ(e.number(), err::PathFileAccess) << path;
        return e.description();
    }

    telvora::testing::ScratchFolder scratch;
    fs::path root = made(scratch.path() / "machine" / "Temp").parent_path();
    fs::path outside = made(scratch.path() / "host");
    MachinePaths paths{root};
};

TEST_F(MachinePathsTest, OrdinaryPathsLandBelowTheRootHoweverTheyAreWritten) {
    for (const char* path : {"C:\\Temp\\Pagewire.tif", "c:/Temp/Pagewire.tif", "\\Temp\\Pagewire.tif",
                             "Temp\\Pagewire.tif", "C:Temp\\Pagewire.tif", "C:\\Temp\\\\.\\Pagewire.tif"})
        EXPECT_EQ(paths.toHost(path), root / "Temp" / "Pagewire.tif") << path;
    EXPECT_EQ(paths.toHost("C:\\"), root);
    EXPECT_EQ(paths.toHost("C:\\Program Files\\Grüße.txt"), root / "Program Files" / "Grüße.txt");
    for (const char* name : {"CONSOLE.txt", "COM10", "con-tract.doc", "LPT0", ".profile", "x.y.z"})
        EXPECT_EQ(paths.toHost(std::string("C:\\") + name), root / name) << name;
}

TEST_F(MachinePathsTest, PathsThatLeadOutOfTheMachineAreRefusedNamingThePath) {
    for (const char* path : {"C:\\..\\..\\x", "C:\\Temp\\..\\..\\x", "..\\x", "C:\\Temp\\..", "D:\\x.tif",
                             "\\\\server\\share\\x.tif", "//server/share/x.tif", "\\\\?\\C:\\x.tif",
                             "\\\\.\\pipe\\x", "C:\\Temp\\x.tif:stream", "C:\\Temp\\a?.tif", "",
                             // Names Windows refuses: its devices, with or without an extension, and a
                             // trailing dot or blank, which Windows would drop.
                             "C:\\CON", "c:\\temp\\nul.txt", "C:\\Aux .doc", "C:\\Temp\\COM1", "C:\\lpt9.tif",
                             "C:\\COM\u00b9", "C:\\Temp\\x.", "C:\\Temp\\x ", "C:\\Temp.\\x", "C:\\..."}) {
        const std::string why = refusal(path);
        std::string quoted(1, '"');
        quoted.append(path).push_back('"');
        EXPECT_TRUE(contains(why, quoted));
        EXPECT_TRUE(contains(why, "outside the simulated machine"));
    }
    EXPECT_TRUE(contains(refusal("D:\\x.tif"), "drive C: only"));
    EXPECT_TRUE(contains(refusal("C:\\..\\x"), ".."));
}

TEST_F(MachinePathsTest, SymbolicLinksAreFollowedAndRefusedWhenTheyLeadOut) {
    std::error_code linksUnsupported;
    fs::create_directory_symlink(outside, root / "Temp" / "out", linksUnsupported);
    // The simulator runs on Linux; the cross-built copy of this test under Wine has no links to make.
    if (linksUnsupported) GTEST_SKIP() << "this file system makes no symbolic links: " << linksUnsupported.message();                  // absolute, out
    fs::create_directory_symlink(fs::path("..") / ".." / "host", root / "Temp" / "up");  // relative, out
    fs::create_symlink(outside / "made.tif", root / "Temp" / "dangling.tif");       // to a file not made yet
    fs::create_directory_symlink(root / "Temp", root / "Scratch");                 // stays inside
    fs::create_symlink("loop", root / "loop");

    for (const char* path : {"C:\\Temp\\out\\x.tif", "C:\\Temp\\up\\x.tif", "C:\\Temp\\dangling.tif", "C:\\loop"})
        EXPECT_TRUE(contains(refusal(path), "symbolic link"));
    EXPECT_EQ(paths.toHost("C:\\Scratch\\x.tif"), root / "Temp" / "x.tif");

    // Through the platform nothing is written, read or deleted beyond the machine.
    SimPlatform platform(root);
    std::ofstream(outside / "keep.txt") << "host file";
    EXPECT_EQ(errorOf([&] { platform.writeFile("C:\\Temp\\dangling.tif", "fax"); }), err::PathFileAccess);
    EXPECT_FALSE(fs::exists(outside / "made.tif"));
    EXPECT_EQ(errorOf([&] { platform.readFile("C:\\Temp\\out\\keep.txt"); }), err::PathFileAccess);
    EXPECT_EQ(errorOf([&] { platform.deleteFile("C:\\Temp\\out\\keep.txt"); }), err::PathFileAccess);
    EXPECT_EQ(errorOf([&] { platform.fileExists("C:\\..\\host\\keep.txt"); }), err::PathFileAccess);
    EXPECT_TRUE(fs::exists(outside / "keep.txt"));
}

// Reading, writing and deleting are the platform contract's; here where the files lie.
TEST_F(MachinePathsTest, ThePlatformsFilesLiveOnTheMachinesDrive) {
    SimPlatform platform(root);
    platform.writeFile(platform.tempFolder() + "Pagewire.doc", "document");
    EXPECT_TRUE(fs::exists(root / "Temp" / "Pagewire.doc"));
    EXPECT_EQ(platform.realPath("c:\\Temp\\Pagewire.doc"), root / "Temp" / "Pagewire.doc");
    EXPECT_TRUE(fs::is_directory(root / "Telvora")) << "the add-in's folder " << platform.addinFolder();
}

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
