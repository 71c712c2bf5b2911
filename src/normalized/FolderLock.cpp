#include "normalized/FolderLock.h"

#include "normalized/Errors.h"
#include "normalized/Win1252.h"

#include <cerrno>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace clinova {

namespace {

[[noreturn, maybe_unused]] void ThrowOpenError(const std::string &folder, int error) {
    throw FileError(FromUtf8("Impossible d'ouvrir le dossier") + " \"" + folder +
                    "\" : " + std::generic_category().message(error));
}

} // namespace

FolderLock::~FolderLock() { Unlock(); }

#ifdef _WIN32

// A folder cannot be locked itself here: a file of the folder opened for nobody else and deleted when closed,
// which the system does when the process ends.
bool FolderLock::TryLock(const std::string &folder) {
    Unlock();
    std::string path = folder;
    if (!path.empty() && path.back() != '\\' && path.back() != '/')
        path += '\\';
    path += "JOURNAL_IMPORTATION.LCK";
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        // Another run holds it; any other failure is a folder the run cannot write into, where no journal can be
        // kept either: nothing to guard.
        return GetLastError() != ERROR_SHARING_VIOLATION;
    }
    handle_ = handle;
    return true;
}

void FolderLock::Unlock() noexcept {
    if (handle_) {
        CloseHandle(static_cast<HANDLE>(handle_));
        handle_ = nullptr;
    }
}

#else

// The folder itself is locked: nothing is written into it.
bool FolderLock::TryLock(const std::string &folder) {
    Unlock();
    // An empty path is the current folder, as the file names the steps build from it.
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        ThrowOpenError(folder, errno);
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK)
            return false;
        ThrowOpenError(folder, error);
    }
    fd_ = fd;
    return true;
}

void FolderLock::Unlock() noexcept {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

#endif

} // namespace clinova
