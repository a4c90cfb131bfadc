#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include "platform/file_io.h"

namespace harbrook::platform {

PathKind ProbePath(const std::filesystem::path& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return errno == ENOENT ? PathKind::Missing : PathKind::Unknown;
    if (S_ISREG(st.st_mode)) return PathKind::File;
    if (S_ISDIR(st.st_mode)) return PathKind::Directory;
    return PathKind::Other;
}

File::~File() {
    Close();
}

File::File(File&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_unnamed(std::exchange(other.m_unnamed, false)) {}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        Close();
        m_fd = std::exchange(other.m_fd, -1);
        m_unnamed = std::exchange(other.m_unnamed, false);
    }
    return *this;
}

File File::CreateAlways(const std::filesystem::path& path) {
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    } while (fd < 0 && errno == EINTR);
    return File(fd);
}

File File::CreateNew(const std::filesystem::path& path) {
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    } while (fd < 0 && errno == EINTR);
    return File(fd);
}

File File::CreateHidden(const std::filesystem::path& path) {
    return CreateNew(path);  // the caller's leading dot hides it
}

File File::CreateUnnamed(const std::filesystem::path& folder) {
#ifdef O_TMPFILE
    int fd;
    do {
        fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0644);
    } while (fd < 0 && errno == EINTR);
    return File(fd, fd >= 0);
#else
    (void)folder;
    return File();
#endif
}

bool File::LinkAs(const std::filesystem::path& path) {
    if (m_fd < 0 || !m_unnamed) return false;
    // Naming a file by its descriptor alone needs a privilege; its entry in
    // /proc does not. linkat never replaces what is at the path, a dangling
    // link included.
    const std::string self = "/proc/self/fd/" + std::to_string(m_fd);
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) != 0)
        return false;
    m_unnamed = false;
    return true;
}

File File::OpenRead(const std::filesystem::path& path) {
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return File();
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return File();
    }
    return File(fd);
}

std::optional<std::uint64_t> File::Size() const {
    struct stat st {};
    if (m_fd < 0 || ::fstat(m_fd, &st) != 0) return std::nullopt;
    return static_cast<std::uint64_t>(st.st_size);
}

bool File::WriteAll(std::span<const char> bytes) {
    if (m_fd < 0) return false;
    while (!bytes.empty()) {
        const ssize_t n = ::write(m_fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes = bytes.subspan(static_cast<std::size_t>(n));
    }
    return true;
}

std::optional<std::size_t> File::Read(std::span<char> buffer) {
    if (m_fd < 0) return std::nullopt;
    std::size_t got = 0;
    // Fill the buffer unless the file ends: a short piece means "no more".
    while (got < buffer.size()) {
        const ssize_t n = ::read(m_fd, buffer.data() + got, buffer.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return std::nullopt;
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    return got;
}

bool File::Close() {
    if (m_fd < 0) return true;
    m_unnamed = false;
    const int rc = ::close(std::exchange(m_fd, -1));
    return rc == 0;
}

bool RemoveFile(const std::filesystem::path& path) {
    return ProbePath(path) != PathKind::Directory && ::unlink(path.c_str()) == 0;
}

bool LinkFile(const std::filesystem::path& existing, const std::filesystem::path& to) {
    return ::link(existing.c_str(), to.c_str()) == 0;
}

bool LastErrorWasNameTaken() {
    return errno == EEXIST;
}

bool RenameHidden(const std::filesystem::path& hidden, const std::filesystem::path& to,
                  bool replace) {
    if (replace) return ::rename(hidden.c_str(), to.c_str()) == 0;
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, hidden.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return false;
#endif
    // A file system that cannot refuse to replace: look first. Only another
    // program could slip a file in between.
    if (ProbePath(to) != PathKind::Missing) {
        errno = EEXIST;
        return false;
    }
    return ::rename(hidden.c_str(), to.c_str()) == 0;
}

FileError LastFileError() {
    const int code = errno;
    switch (code) {
        case ENOSPC:
        case EDQUOT:
            return {FileErrorKind::DiskFull, code};
        case EACCES:
        case EPERM:
        case EROFS:
            return {FileErrorKind::NotPermitted, code};
        case ENAMETOOLONG:
        case EINVAL:
        case EILSEQ:
            return {FileErrorKind::BadName, code};
        case ENOENT:
        case ENOTDIR:
            return {FileErrorKind::NotFound, code};
        default:
            return {FileErrorKind::Other, code};
    }
}

}  // namespace harbrook::platform
