// Files the simulator leaves for a person to look at: names made safe from what a printer or a
// job is called, and files put in place whole.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace telvora::sim::output {

// A name that stands for `name` as one file or folder name inside the folder it is put in: the
// characters Windows or Linux do not allow in a name (separators, ':', '*', '?', '"', '<', '>',
// '|', control characters) become '_', and a name of dots alone or nothing at all becomes "_".
// "\\FAXSRV\Fax" gives "__FAXSRV_Fax", so a printer's name never leads out of its folder.
std::string safeName(std::string_view name);

// A file written piece by piece under a name of its own and put in place whole by `commit`, so
// a reader never meets half a file; a symbolic link standing where it goes is replaced, never
// written through. Each call raises 75 naming the file when it cannot be written; a file never
// committed leaves nothing behind.
class WholeFile {
public:
    explicit WholeFile(std::filesystem::path file);
    ~WholeFile();
    WholeFile(const WholeFile&) = delete;
    WholeFile& operator=(const WholeFile&) = delete;

    void write(std::string_view bytes);
    // The file being written, open for reading and writing, for a writer that seeks in it.
    int descriptor() const noexcept { return descriptor_; }
    void commit();

private:
    [[noreturn]] void fail(std::error_code ec);

    std::filesystem::path file_;
    std::filesystem::path partial_;
    int descriptor_ = -1;
};

// `bytes` as the whole of `file`, through a WholeFile.
void writeWhole(const std::filesystem::path& file, const std::string& bytes);

// The first path of the form folder/stem-0001.extension, folder/stem-0002.extension, ... that is
// not there yet, so what an earlier run left is never overwritten. The search starts at number
// `next`, which is left at the number after the one answered: a writer that keeps it finds its
// next free name at once, however many it wrote before.
std::filesystem::path nextFree(const std::filesystem::path& folder, const std::string& stem, const std::string& extension,
                               int& next);

}  // namespace telvora::sim::output
