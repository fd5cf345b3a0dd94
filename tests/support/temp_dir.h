#pragma once
// A temporary folder for one test, removed with everything in it afterwards.
#include <filesystem>
#include <string>
#include <cstdlib>

namespace tunecrest::test {

class TempDir {
public:
    TempDir() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "tunecrest-test-XXXXXX").string();
        if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
        Fpath = tmpl;
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::permissions(Fpath, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(Fpath, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& Path() const { return Fpath; }
    std::string File(const std::string& name) const { return (Fpath / name).string(); }

private:
    std::filesystem::path Fpath;
};

}  // namespace tunecrest::test
