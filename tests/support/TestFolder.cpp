#include "TestFolder.h"

#include "common/AppPaths.h"
#include "common/Environment.h"

#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace vantrel::test {

TestFolder::TestFolder() {
    std::random_device rd;
    auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto candidate = base / ("vantrel-test-" + std::to_string(rd()));
        if (std::filesystem::create_directory(candidate)) {
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary test folder");
}

TestFolder::~TestFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string TestFolder::appPath() const {
    auto text = PathToUtf8(path_);
    if (text.empty() || text.back() != kPathDelimiter) text += kPathDelimiter;
    return text;
}

std::filesystem::path TestFolder::write(const std::string& name, const std::string& bytes) const {
    auto file = path_ / PathFromUtf8(name);
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out) throw std::runtime_error("cannot write test file " + PathToUtf8(file));
    return file;
}

std::string TestFolder::read(const std::string& name) const {
    std::ifstream in(path_ / PathFromUtf8(name), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool TestFolder::exists(const std::string& name) const {
    return std::filesystem::exists(path_ / PathFromUtf8(name));
}

ScopedAppPath::ScopedAppPath(const TestFolder& folder) {
    if (auto old = GetEnvironmentUtf8("VANTREL_APP_PATH")) {
        hadOld_ = true;
        old_ = *old;
    }
    SetEnvironmentUtf8("VANTREL_APP_PATH", folder.appPath());
}

ScopedAppPath::~ScopedAppPath() {
    if (hadOld_)
        SetEnvironmentUtf8("VANTREL_APP_PATH", old_);
    else
        UnsetEnvironment("VANTREL_APP_PATH");
}

}  // namespace vantrel::test
