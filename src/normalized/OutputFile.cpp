#include "normalized/OutputFile.h"

#include "normalized/Errors.h"
#include "normalized/Win1252.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <random>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace clinova {

namespace {

[[noreturn]] void ThrowWriteError(const std::string &path, int error) {
    throw FileError(FromUtf8("Impossible d'écrire le fichier") + " \"" + path +
                    "\" : " + std::generic_category().message(error));
}

std::string RandomSuffix() {
    static thread_local std::mt19937_64 random{std::random_device{}()};
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string suffix;
    for (std::uint64_t bits = random(), i = 0; i < 12; ++i, bits >>= 4)
        suffix += kDigits[bits & 15];
    return suffix;
}

// Creates a file that did not exist: an existing name, whatever it is, is never opened.
int CreateExclusively(const std::string &path) {
#ifdef _WIN32
    return ::_open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
#else
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
#endif
}

int CloseDescriptor(int fd) {
#ifdef _WIN32
    return ::_close(fd);
#else
    return ::close(fd);
#endif
}

} // namespace

EntryKind KindOfEntry(const std::string &path) {
    std::error_code ec;
    const auto status = std::filesystem::symlink_status(path, ec);
    if (ec || status.type() == std::filesystem::file_type::not_found)
        return EntryKind::Missing;
    switch (status.type()) {
    case std::filesystem::file_type::regular:
        return EntryKind::RegularFile;
    case std::filesystem::file_type::directory:
        return EntryKind::Folder;
    case std::filesystem::file_type::symlink:
        return EntryKind::Link;
    default:
        return EntryKind::Other;
    }
}

std::string EntryKindText(EntryKind kind) {
    switch (kind) {
    case EntryKind::Missing:
        return FromUtf8("absent");
    case EntryKind::RegularFile:
        return FromUtf8("un fichier");
    case EntryKind::Folder:
        return FromUtf8("un dossier");
    case EntryKind::Link:
        return FromUtf8("un lien symbolique");
    case EntryKind::Other:
        break;
    }
    return FromUtf8("un fichier spécial (périphérique, tube ou socket)");
}

OutputFile::OutputFile(std::string path) : path_(std::move(path)) {
    // A name taken by someone else is simply passed over for another one.
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        temporary_ = path_ + "." + RandomSuffix() + ".tmp";
        errno = 0;
        fd_ = CreateExclusively(temporary_);
        if (fd_ < 0 && errno != EEXIST)
            ThrowWriteError(path_, errno);
    }
    if (fd_ < 0)
        ThrowWriteError(path_, EEXIST);
}

OutputFile::~OutputFile() {
    if (fd_ >= 0)
        CloseDescriptor(fd_);
    if (!committed_)
        std::remove(temporary_.c_str());
}

void OutputFile::Write(std::string_view bytes) {
    if (fd_ < 0)
        ThrowWriteError(path_, EBADF);
    while (!bytes.empty()) {
#ifdef _WIN32
        const auto n = ::_write(fd_, bytes.data(), static_cast<unsigned>(std::min<std::size_t>(bytes.size(), 1 << 30)));
#else
        const auto n = ::write(fd_, bytes.data(), bytes.size());
#endif
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ThrowWriteError(path_, errno);
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

void OutputFile::Sync() {
    if (fd_ < 0)
        return;
#ifdef _WIN32
    const int result = ::_commit(fd_);
#else
    const int result = ::fsync(fd_);
#endif
    if (result != 0)
        ThrowWriteError(path_, errno);
}

void OutputFile::Close() {
    if (fd_ < 0)
        return;
    const int fd = fd_;
    fd_ = -1;
    if (CloseDescriptor(fd) != 0)
        ThrowWriteError(path_, errno);
}

EntryKind OutputFile::Publish() {
    if (committed_)
        return EntryKind::Missing;
    const EntryKind before = KindOfEntry(path_);
    if (before == EntryKind::Folder)
        throw FileError(FromUtf8("Impossible d'écrire le fichier") + " \"" + path_ + "\" : " +
                        FromUtf8("un dossier porte ce nom"));
    std::error_code ec;
    std::filesystem::rename(temporary_, path_, ec);
    if (ec)
        ThrowWriteError(path_, ec.value());
    committed_ = true;
    return before;
}

EntryKind OutputFile::Commit() {
    Close();
    return Publish();
}

EntryKind WriteFileSafely(const std::string &path, std::string_view bytes) {
    OutputFile file(path);
    file.Write(bytes);
    return file.Commit();
}

std::string ReplacedEntryLog(const std::string &path, EntryKind former) {
    if (former != EntryKind::Link && former != EntryKind::Other)
        return {};
    return path + " : " + EntryKindText(former) +
           FromUtf8(" portait ce nom ; il a été remplacé par le fichier écrit, rien n'a été écrit à travers lui");
}

void RemoveOutputFile(const std::string &path) {
    if (KindOfEntry(path) == EntryKind::Folder)
        return;
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
}

int RemoveLeftoverTemporaries(const std::string &folder) {
    // NAME.TXT.<12 hexadecimal digits>.tmp, NAME made of letters, digits and underscores: the names RandomSuffix
    // gives beside the files of ours, and nothing an export holds.
    const auto ours = [](const std::string &name) {
        constexpr std::size_t kTail = 1 + 12 + 4; // ".<suffix>.tmp"
        if (name.size() <= kTail + 4 || name.compare(name.size() - 4, 4, ".tmp") != 0)
            return false;
        const std::size_t dot = name.size() - kTail;
        if (name[dot] != '.')
            return false;
        for (std::size_t i = dot + 1; i < dot + 13; ++i)
            if (!std::isxdigit(static_cast<unsigned char>(name[i])) || std::isupper(static_cast<unsigned char>(name[i])))
                return false;
        const std::string base = name.substr(0, dot);
        if (base.size() <= 4 || (base.compare(base.size() - 4, 4, ".TXT") != 0 && base.compare(base.size() - 4, 4, ".txt") != 0))
            return false;
        for (std::size_t i = 0; i + 4 < base.size(); ++i)
            if (!std::isalnum(static_cast<unsigned char>(base[i])) && base[i] != '_')
                return false;
        return true;
    };
    int removed = 0;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder.empty() ? "." : folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (ours(name) && KindOfEntry(it->path().string()) == EntryKind::RegularFile) {
            std::error_code ignored;
            if (std::filesystem::remove(it->path(), ignored))
                ++removed;
        }
    }
    return removed;
}

FilePtr OpenRegularFileForReading(const std::string &path) {
    const auto refuse = [&](const std::string &why) -> FilePtr {
        throw FileError(FromUtf8("Impossible d'ouvrir le fichier") + " \"" + path + "\" : " + why);
    };
    const EntryKind kind = KindOfEntry(path);
    if (kind == EntryKind::Missing)
        return refuse(std::generic_category().message(ENOENT));
    if (kind != EntryKind::RegularFile)
        return refuse(FromUtf8("c'est ") + EntryKindText(kind) + FromUtf8(", pas un fichier ordinaire"));
#ifdef _WIN32
    FilePtr file(std::fopen(path.c_str(), "rb"));
    if (!file)
        return refuse(std::generic_category().message(errno));
    return file;
#else
    // Without waiting: what was checked above may have been replaced by a FIFO since.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return refuse(std::generic_category().message(errno));
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return refuse(FromUtf8("ce n'est pas un fichier ordinaire"));
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    FilePtr file(::fdopen(fd, "rb"));
    if (!file) {
        ::close(fd);
        return refuse(std::generic_category().message(errno));
    }
    return file;
#endif
}

} // namespace clinova
