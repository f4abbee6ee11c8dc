#pragma once
// A private temporary folder per test, used as the application folder so that
// Bank.ini and the logs of one test never meet those of another.
#include <filesystem>
#include <string>

namespace vantrel::test {

class TestFolder {
public:
    TestFolder();
    ~TestFolder();
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The folder as an application path: ends with a delimiter.
    std::string appPath() const;
    // Writes raw bytes to a file inside the folder and returns its path.
    std::filesystem::path write(const std::string& name, const std::string& bytes) const;
    std::string read(const std::string& name) const;
    bool exists(const std::string& name) const;

private:
    std::filesystem::path path_;
};

// Points the process-wide application folder at `folder` for the life of the
// object (VANTREL_APP_PATH), and restores the previous value afterwards.
class ScopedAppPath {
public:
    explicit ScopedAppPath(const TestFolder& folder);
    ~ScopedAppPath();
    ScopedAppPath(const ScopedAppPath&) = delete;
    ScopedAppPath& operator=(const ScopedAppPath&) = delete;

private:
    bool hadOld_ = false;
    std::string old_;
};

}  // namespace vantrel::test
