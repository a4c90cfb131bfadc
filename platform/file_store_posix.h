// Shared by the POSIX hive and INI code: whole-file reads, atomic replacement
// and a lock that serialises writers across threads and processes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace harbrook::platform::posix {

// Holds a process-wide mutex and an flock on "<file>.lock" for its lifetime.
class FileLock {
  public:
    explicit FileLock(const std::filesystem::path& file);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

  private:
    std::unique_lock<std::recursive_mutex> m_guard;
    int m_fd = -1;
};

// The file's bytes; nothing when it does not exist or cannot be read. A file
// that is there but cannot be read as one (a folder, no permission, an I/O
// error) also sets `unreadable`, so that the caller can set it aside.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& file, bool& unreadable);

// Writes a temp file beside the target, flushes it and renames it over the
// target, so readers see either the old or the new file, never half of one.
bool ReplaceFileAtomically(const std::filesystem::path& file, std::string_view content);

// How many whole-file reads and replacements this process has made: what a
// settings operation costs, in a number that does not depend on the machine.
std::uint64_t WholeFileReads();
std::uint64_t FileReplacements();

// Moves a file that cannot be parsed aside ("<file>.corrupt-<seconds>") and says
// so on stderr, so that it is never silently overwritten.
// False when it could not be moved; the caller must then leave it alone.
bool SetAsideCorruptFile(const std::filesystem::path& file, std::string_view why);

}  // namespace harbrook::platform::posix
