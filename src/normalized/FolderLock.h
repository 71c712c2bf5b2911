#pragma once
// A run's hold on its source folder: while one run holds it, no other run of the tool, in this process or
// another, can take it. The operating system drops the hold when the process ends, however it ends, so a
// crashed run never keeps the next one out.

#include <string>

namespace clinova {

class FolderLock {
public:
    FolderLock() = default;
    ~FolderLock();
    FolderLock(const FolderLock &) = delete;
    FolderLock &operator=(const FolderLock &) = delete;

    // Takes the folder; false when another run holds it. Throws FileError when the folder cannot be opened.
    bool TryLock(const std::string &folder);
    void Unlock() noexcept;

private:
#ifdef _WIN32
    void *handle_ = nullptr;
#else
    int fd_ = -1;
#endif
};

} // namespace clinova
