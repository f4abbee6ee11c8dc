#include "common/AtomicFile.h"

#include "common/AppPaths.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <random>
#include <string>

#ifdef _WIN32
#include "common/Win32.h"

#include "common/WideText.h"
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vantrel {

namespace {

constexpr std::size_t kBlockSize = 4096;

std::mutex faultMutex;
std::function<bool(std::size_t)> faultHook;

bool InjectedFault(std::size_t bytesWritten) {
    std::lock_guard lock(faultMutex);
    return faultHook && faultHook(bytesWritten);
}

std::filesystem::path TemporaryName(const std::filesystem::path& target) {
    static constexpr char digits[] = "0123456789abcdef";
    std::random_device random;
    std::string suffix = ".tmp";
    for (int i = 0; i < 12; ++i) suffix += digits[random() % 16];
    auto name = target.filename();
    name += suffix;
    return target.parent_path() / std::filesystem::path(".").concat(name.native());
}

// Write through a symbolic link to its target instead of replacing the link.
std::filesystem::path ResolveTarget(const std::filesystem::path& file) {
    std::error_code ec;
    if (std::filesystem::is_symlink(file, ec)) {
        auto resolved = std::filesystem::canonical(file, ec);
        if (!ec) return resolved;
    }
    return file;
}

Error Failure(const std::filesystem::path& file, const std::string& step, const std::string& reason) {
    return Error{"cannot write " + PathToUtf8(file) + ": " + step + " failed: " + reason};
}

}  // namespace

void SetAtomicWriteFaultForTesting(std::function<bool(std::size_t)> fault) {
    std::lock_guard lock(faultMutex);
    faultHook = std::move(fault);
}

#ifdef _WIN32

namespace {

std::string LastErrorText() { return WindowsErrorText(GetLastError()); }

}  // namespace

Status ReplaceFileAtomically(const std::filesystem::path& file, std::string_view bytes) {
    const auto target = ResolveTarget(file);
    HANDLE handle = INVALID_HANDLE_VALUE;
    std::filesystem::path temporary;
    for (int attempt = 0; attempt < 100 && handle == INVALID_HANDLE_VALUE; ++attempt) {
        temporary = TemporaryName(target);
        handle = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS)
            return Failure(target, "creating a temporary file", LastErrorText());
    }
    if (handle == INVALID_HANDLE_VALUE)
        return Failure(target, "creating a temporary file", "no free name");

    auto abandon = [&](const std::string& step, const std::string& reason) -> Status {
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
        DeleteFileW(temporary.c_str());
        return Failure(target, step, reason);
    };

    std::size_t written = 0;
    while (written < bytes.size()) {
        if (InjectedFault(written)) return abandon("writing", "injected fault");
        DWORD block = static_cast<DWORD>(std::min(kBlockSize, bytes.size() - written));
        DWORD done = 0;
        if (!WriteFile(handle, bytes.data() + written, block, &done, nullptr))
            return abandon("writing", LastErrorText());
        written += done;
    }
    if (!FlushFileBuffers(handle)) return abandon("flushing", LastErrorText());
    if (!CloseHandle(handle)) {
        handle = INVALID_HANDLE_VALUE;
        return abandon("closing", LastErrorText());
    }
    handle = INVALID_HANDLE_VALUE;
    if (!MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return abandon("renaming the temporary file", LastErrorText());
    return Status::success();
}

#else

Status ReplaceFileAtomically(const std::filesystem::path& file, std::string_view bytes) {
    const auto target = ResolveTarget(file);
    int fd = -1;
    std::filesystem::path temporary;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = TemporaryName(target);
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return Failure(target, "creating a temporary file", std::strerror(errno));
    }
    if (fd < 0) return Failure(target, "creating a temporary file", "no free name");

    auto abandon = [&](const std::string& step, const std::string& reason) -> Status {
        if (fd >= 0) ::close(fd);
        ::unlink(temporary.c_str());
        return Failure(target, step, reason);
    };

    // The replacement keeps the permissions of the file it replaces.
    struct stat original {};
    if (::stat(target.c_str(), &original) == 0 && ::fchmod(fd, original.st_mode & 07777) != 0)
        return abandon("copying permissions", std::strerror(errno));

    std::size_t written = 0;
    while (written < bytes.size()) {
        if (InjectedFault(written)) return abandon("writing", "injected fault");
        std::size_t block = std::min(kBlockSize, bytes.size() - written);
        ssize_t done = ::write(fd, bytes.data() + written, block);
        if (done < 0) {
            if (errno == EINTR) continue;
            return abandon("writing", std::strerror(errno));
        }
        written += static_cast<std::size_t>(done);
    }
    if (::fsync(fd) != 0) return abandon("flushing", std::strerror(errno));
    int closed = ::close(fd);
    fd = -1;
    if (closed != 0) return abandon("closing", std::strerror(errno));
    if (::rename(temporary.c_str(), target.c_str()) != 0)
        return abandon("renaming the temporary file", std::strerror(errno));

    // Make the rename itself durable; a failure here loses nothing already written.
    auto folder = target.parent_path();
    int folderFd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
    return Status::success();
}

#endif

}  // namespace vantrel
