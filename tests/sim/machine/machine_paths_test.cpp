// The simulated machine's one mapping of Windows paths to host files: ordinary paths land below the
// machine's root, and nothing a test or the add-in names can reach a file of the host outside it.
#include "sim/machine/machine_paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "sim/sim_platform.h"
#include "support/error_number.h"
#include "support/sim_addin.h"

namespace telvora::sim {
namespace {

namespace fs = std::filesystem;
using telvora::testing::errorOf;

fs::path made(const fs::path& folder) {
    fs::create_directories(folder);
    return folder;
}

// A machine whose drive is scratch/machine, next to a folder of the host it must never reach.
class MachinePathsTest : public ::testing::Test {
protected:

    // The description of the error a path raises; "" when it is accepted.
    std::string refusal(const std::string& path) const {
        try {
            (void)paths.toHost(path);
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), err::PathFileAccess) << path;
            return e.description();
        }
        return "";
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
        EXPECT_NE(why.find(quoted), std::string::npos) << why;
        EXPECT_NE(why.find("outside the simulated machine"), std::string::npos) << why;
    }
    EXPECT_NE(refusal("D:\\x.tif").find("drive C: only"), std::string::npos);
    EXPECT_NE(refusal("C:\\..\\x").find(".."), std::string::npos);
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
        EXPECT_NE(refusal(path).find("symbolic link"), std::string::npos) << path;
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

TEST_F(MachinePathsTest, ThePlatformsFilesLiveOnTheMachinesDrive) {
    SimPlatform platform(root);
    platform.writeFile(platform.tempFolder() + "Pagewire.doc", "document");
    EXPECT_TRUE(platform.fileExists("c:\\Temp\\Pagewire.doc"));
    EXPECT_EQ(platform.readFile("\\Temp\\Pagewire.doc"), "document");
    EXPECT_EQ(platform.realPath("C:\\Temp\\Pagewire.doc"), root / "Temp" / "Pagewire.doc");
    platform.deleteFile("C:\\Temp\\Pagewire.doc");
    platform.deleteFile("C:\\Temp\\Pagewire.doc");  // deleting what is not there is no error
    EXPECT_FALSE(fs::exists(root / "Temp" / "Pagewire.doc"));
    EXPECT_TRUE(fs::is_directory(root / "Telvora")) << "the add-in's folder " << platform.addinFolder();
    EXPECT_EQ(errorOf([&] { platform.readFile("C:\\Temp\\Missing.doc"); }), err::FileNotFound);
}

}  // namespace
}  // namespace telvora::sim
