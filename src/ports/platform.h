// What the add-in needs of the operating system beyond Word, settings and automation.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace telvora {

// The basic version record of the version query.
struct OsVersion {
    std::uint32_t platformId = 0;  // 2 = the NT family
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    std::uint32_t build = 0;
};

// One value read from the machine-wide registry, as stored.
struct RegistryValue {
    std::uint32_t type = 0;  // 1 string, 4 32-bit number, others as the registry numbers them
    std::string text;        // string values, UTF-8, exactly as stored (a terminating NUL included)
    std::uint32_t number = 0;  // 32-bit number values
};

// The add-in's own version, as its about box shows it.
struct ProductVersion {
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    std::uint32_t revision = 0;
};

struct FileFilter {
    std::string description;  // "Text File"
    std::string pattern;      // "*.txt"
};

struct FileDialogRequest {
    std::string title;
    std::vector<FileFilter> filters;
    std::string defaultExtension;
    std::string initialFolder;
    std::string fileName;  // proposed file name
};

enum class HelpCommand { DisplayContext = 0x0F, CloseAll = 0x12 };

using LocalTime = std::chrono::local_time<std::chrono::seconds>;

class Platform {
public:
    Platform() = default;
    virtual ~Platform() = default;
    Platform(const Platform&) = delete;
    Platform& operator=(const Platform&) = delete;

    // The running system's version; nothing when the query fails.
    virtual std::optional<OsVersion> osVersion() = 0;
    // Device names of the installed printers, in the system's order.
    virtual std::vector<std::string> printers() = 0;
    // The temporary folder, with a trailing separator as the system reports it.
    virtual std::string tempFolder() = 0;
    // The user's Documents folder, where an ordinary user may write, without a trailing separator;
    // "" when the system cannot tell.
    virtual std::string documentsFolder() = 0;
    // An environment variable's value; "" when it is not set.
    virtual std::string environment(const std::string& name) = 0;

    virtual bool fileExists(const std::string& path) = 0;
    // Deleting a file that is not there is not an error; any other failure raises.
    virtual void deleteFile(const std::string& path) = 0;
    // Raises a run-time error (53 or 75) when the file cannot be read or written.
    virtual std::string readFile(const std::string& path) = 0;
    virtual void writeFile(const std::string& path, const std::string& bytes) = 0;
    // The text in the system's ANSI code page, as the text files other Windows programs read are
    // written: a character the code page lacks becomes the system's replacement character, so the
    // bytes always form a readable file.
    virtual std::string systemCodePageBytes(const std::string& utf8) = 0;

    // A value under HKEY_LOCAL_MACHINE, opened for reading only; nothing when absent or unreadable.
    virtual std::optional<RegistryValue> machineRegistryValue(const std::string& keyPath,
                                                              const std::string& valueName) = 0;
    // Starts a program in a normal window; raises a run-time error when it cannot be started.
    virtual void startProgram(const std::string& commandLine) = 0;
    // Opens an address or file with the shell's "open" verb; answers whether the shell accepted it.
    [[nodiscard]] virtual bool shellOpen(const std::string& address) = 0;

    // The common file dialogs; nothing when the user cancels.
    virtual std::optional<std::string> saveFileDialog(const FileDialogRequest& request) = 0;
    virtual std::optional<std::string> openFileDialog(const FileDialogRequest& request) = 0;

    // HTML Help with no owner window. The result is not examined by any caller; a missing help
    // file or help engine shows nothing.
    virtual void htmlHelp(const std::string& helpFile, HelpCommand command, std::uint32_t data) = 0;

    virtual LocalTime now() = 0;
    // The moment a local date and time of this machine's time zone stands for, with the daylight
    // saving rule of that date; raises when the system cannot convert it.
    virtual std::chrono::sys_seconds universalTime(LocalTime local) = 0;
    // The folder the add-in's own file was loaded from, without a trailing separator.
    virtual std::string addinFolder() = 0;
    // The version of the add-in's own file (its version record on Windows).
    virtual ProductVersion addinVersion() = 0;
    // Lets the message loop run once (a long wait must not freeze Word).
    virtual void yield() = 0;
    // Rests between two polls of another program without using the processor; wakes early when
    // the user acts, so Word answers at once.
    virtual void pause(std::chrono::milliseconds duration) = 0;
};

}  // namespace telvora
