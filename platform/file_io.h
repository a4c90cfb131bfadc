// Plain file access for the transfers: a move-only handle that reads and
// writes whole buffers straight to the file (no library buffering, so memory
// stays flat whatever the file size), and a look at what a path names.
// Windows: CreateFileW / ReadFile / WriteFile. POSIX: open / read / write.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

namespace harbrook::platform {

enum class PathKind { Missing, File, Directory, Other, Unknown };

// What the path names, without following a link at its last component.
// Unknown when the question cannot be answered (for example no permission).
PathKind ProbePath(const std::filesystem::path& path);

class File {
  public:
    File() = default;
    ~File();
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // Creates the file for reading and writing, truncating one that exists.
    // Never follows a link at the last component, so a planted link cannot
    // redirect the write elsewhere.
    static File CreateAlways(const std::filesystem::path& path);
    // Creates the file only when nothing at all is at the path yet (no file,
    // folder or link); closed otherwise.
    static File CreateNew(const std::filesystem::path& path);
    // As CreateNew, for a file that nobody is meant to see until it is
    // renamed (RenameHidden): hidden on Windows, where a leading dot is not.
    static File CreateHidden(const std::filesystem::path& path);
    // Opens an existing regular file for reading, sharing it with everybody.
    static File OpenRead(const std::filesystem::path& path);
    // A file with no name yet, on the file system of `folder`, for LinkAs to
    // name later: made while there is time, so that naming it is all that is
    // left when the name is known. It vanishes if it is closed unnamed.
    // Closed where the system has no such files (Windows; file systems
    // without them).
    static File CreateUnnamed(const std::filesystem::path& folder);

    // Names an unnamed file, only when nothing at all is at the path yet (as
    // CreateNew); any folder of the same file system will do. False, and the
    // file stays unnamed, otherwise.
    bool LinkAs(const std::filesystem::path& path);

    bool IsOpen() const { return m_fd >= 0; }
    explicit operator bool() const { return IsOpen(); }

    // The file's size in bytes; nothing when it cannot be read.
    std::optional<std::uint64_t> Size() const;
    // Writes every byte; false on any failure (a full disk among them).
    bool WriteAll(std::span<const char> bytes);
    // Reads up to buffer.size() bytes; 0 at the end; nothing on error.
    std::optional<std::size_t> Read(std::span<char> buffer);
    // Closes the file; false when the system reports a failed close.
    bool Close();

  private:
    explicit File(int fd, bool unnamed = false) : m_fd(fd), m_unnamed(unnamed) {}
    int m_fd = -1;
    bool m_unnamed = false;
};

// Why the last file operation of this thread failed: the kinds a user can
// act on, and the system's own code (errno, or GetLastError on Windows).
// The words are the program's, in the user's language (locale/system_error.h).
enum class FileErrorKind { DiskFull, NotPermitted, BadName, NotFound, Other };
struct FileError {
    FileErrorKind kind;
    long code;
};
FileError LastFileError();

// True when the last file operation of this thread failed because something
// was already at the path (a no-replace LinkAs or RenameHidden).
bool LastErrorWasNameTaken();

// Deletes a file (not a folder). False when nothing was deleted.
bool RemoveFile(const std::filesystem::path& path);

// A second name for an existing file (a hard link), only when nothing is at
// `to` yet. False where the file system has no hard links (FAT, exFAT), or
// the two are on different volumes.
bool LinkFile(const std::filesystem::path& existing, const std::filesystem::path& to);

// Gives a closed file made by CreateHidden its name in the same folder, shown
// like any other file. Without `replace`, only when nothing at all is at the
// new path (LastErrorWasNameTaken tells that case); with it, a file there is
// replaced.
bool RenameHidden(const std::filesystem::path& hidden, const std::filesystem::path& to,
                  bool replace);

}  // namespace harbrook::platform
