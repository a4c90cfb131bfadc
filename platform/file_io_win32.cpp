// Plain file access on Windows: CreateFileW / ReadFile / WriteFile. The handle
// is kept as a C runtime descriptor (_open_osfhandle) so the class layout is
// the same on every system; _get_osfhandle gives the HANDLE back.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <utility>

#include "platform/file_io.h"
#include "platform/win32_text.h"

namespace harbrook::platform {
namespace {

HANDLE HandleOf(int fd) {
    return reinterpret_cast<HANDLE>(_get_osfhandle(fd));
}

int Adopt(HANDLE h, int flags) {
    if (h == INVALID_HANDLE_VALUE) return -1;
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), flags);
    if (fd < 0) CloseHandle(h);
    return fd;
}

}  // namespace

PathKind ProbePath(const std::filesystem::path& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        const DWORD err = GetLastError();
        return (err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND) ? PathKind::Missing
                                                                            : PathKind::Unknown;
    }
    // A link or junction is never taken for what it points at.
    if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return PathKind::Other;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return PathKind::Directory;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) return PathKind::Other;
    return PathKind::File;
}

File::~File() {
    Close();
}

File::File(File&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        Close();
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

File File::CreateAlways(const std::filesystem::path& path) {
    // Refuse a planted link or a device (CON, NUL ...) instead of writing through it.
    const PathKind kind = ProbePath(path);
    if (kind != PathKind::Missing && kind != PathKind::File) return File();
    HANDLE h =
        CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h != INVALID_HANDLE_VALUE && GetFileType(h) != FILE_TYPE_DISK) {
        CloseHandle(h);
        return File();
    }
    return File(Adopt(h, _O_BINARY));
}

namespace {

HANDLE CreateNewHandle(const std::filesystem::path& path, DWORD attributes) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                           CREATE_NEW, attributes | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h != INVALID_HANDLE_VALUE && GetFileType(h) != FILE_TYPE_DISK) {
        CloseHandle(h);
        return INVALID_HANDLE_VALUE;
    }
    return h;
}

}  // namespace

File File::CreateNew(const std::filesystem::path& path) {
    return File(Adopt(CreateNewHandle(path, FILE_ATTRIBUTE_NORMAL), _O_BINARY));
}

File File::CreateHidden(const std::filesystem::path& path) {
    return File(Adopt(CreateNewHandle(path, FILE_ATTRIBUTE_HIDDEN), _O_BINARY));
}

// Windows makes no file without a name; every file is created by name.
File File::CreateUnnamed(const std::filesystem::path&) {
    return File();
}

bool File::LinkAs(const std::filesystem::path&) {
    return false;
}

File File::OpenRead(const std::filesystem::path& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return File();
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileType(h) != FILE_TYPE_DISK || !GetFileInformationByHandle(h, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        CloseHandle(h);
        return File();
    }
    return File(Adopt(h, _O_BINARY | _O_RDONLY));
}

std::optional<std::uint64_t> File::Size() const {
    LARGE_INTEGER size{};
    if (m_fd < 0 || !GetFileSizeEx(HandleOf(m_fd), &size)) return std::nullopt;
    return static_cast<std::uint64_t>(size.QuadPart);
}

bool File::WriteAll(std::span<const char> bytes) {
    if (m_fd < 0) return false;
    const HANDLE h = HandleOf(m_fd);
    while (!bytes.empty()) {
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD done = 0;
        if (!WriteFile(h, bytes.data(), want, &done, nullptr) || done == 0) return false;
        bytes = bytes.subspan(done);
    }
    return true;
}

std::optional<std::size_t> File::Read(std::span<char> buffer) {
    if (m_fd < 0) return std::nullopt;
    const HANDLE h = HandleOf(m_fd);
    std::size_t got = 0;
    // Fill the buffer unless the file ends: a short piece means "no more".
    while (got < buffer.size()) {
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(buffer.size() - got, 1u << 30));
        DWORD n = 0;
        if (!ReadFile(h, buffer.data() + got, want, &n, nullptr)) return std::nullopt;
        if (n == 0) break;
        got += n;
    }
    return got;
}

bool File::Close() {
    if (m_fd < 0) return true;
    return _close(std::exchange(m_fd, -1)) == 0;
}

bool RemoveFile(const std::filesystem::path& path) {
    const PathKind kind = ProbePath(path);
    if (kind == PathKind::Directory || kind == PathKind::Missing) return false;
    return DeleteFileW(path.c_str()) != 0;
}

bool LastErrorWasNameTaken() {
    const DWORD code = GetLastError();
    return code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS;
}

bool LinkFile(const std::filesystem::path& existing, const std::filesystem::path& to) {
    return CreateHardLinkW(to.c_str(), existing.c_str(), nullptr) != 0;
}

bool RenameHidden(const std::filesystem::path& hidden, const std::filesystem::path& to,
                  bool replace) {
    // Shown before the move, so that the named file is never a hidden one;
    // a move that fails leaves a temporary that is removed anyway.
    SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_NORMAL);
    return MoveFileExW(hidden.c_str(), to.c_str(), replace ? MOVEFILE_REPLACE_EXISTING : 0) != 0;
}

FileError LastFileError() {
    const DWORD code = GetLastError();
    const long shown = static_cast<long>(code);
    switch (code) {
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return {FileErrorKind::DiskFull, shown};
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
            return {FileErrorKind::NotPermitted, shown};
        case ERROR_INVALID_NAME:
        case ERROR_FILENAME_EXCED_RANGE:
        case ERROR_BAD_PATHNAME:
        case ERROR_DIRECTORY:
            return {FileErrorKind::BadName, shown};
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return {FileErrorKind::NotFound, shown};
        default:
            return {FileErrorKind::Other, shown};
    }
}

}  // namespace harbrook::platform
