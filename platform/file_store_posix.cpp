#include "platform/file_store_posix.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <set>

namespace harbrook::platform::posix {
namespace {
std::atomic<std::uint64_t> g_reads{0}, g_replacements{0};

std::recursive_mutex& ProcessMutex() {
    static std::recursive_mutex mutex;
    return mutex;
}
}  // namespace

FileLock::FileLock(const std::filesystem::path& file) : m_guard(ProcessMutex()) {
    std::error_code ec;
    std::filesystem::create_directories(file.parent_path(), ec);
    const std::string lockPath = file.string() + ".lock";
    m_fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_fd >= 0) {
        while (::flock(m_fd, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
}

FileLock::~FileLock() {
    if (m_fd >= 0) {
        ::flock(m_fd, LOCK_UN);
        ::close(m_fd);
    }
}

std::optional<std::string> ReadWholeFile(const std::filesystem::path& file, bool& unreadable) {
    // Plain system calls: a stream would throw from deep inside when the
    // "file" turns out to be a folder.
    unreadable = false;
    ++g_reads;
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        unreadable = errno != ENOENT && errno != ENOTDIR;
        return std::nullopt;
    }
    std::string content;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    char buffer[65536];
    while (ok) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) ok = false;
        if (n <= 0) break;
        content.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    if (!ok) {
        unreadable = true;
        return std::nullopt;
    }
    return content;
}

std::uint64_t WholeFileReads() {
    return g_reads;
}

std::uint64_t FileReplacements() {
    return g_replacements;
}

bool ReplaceFileAtomically(const std::filesystem::path& file, std::string_view content) {
    ++g_replacements;
    std::error_code ec;
    std::filesystem::create_directories(file.parent_path(), ec);
    std::string tmp = file.string() + ".tmp-XXXXXX";
    const int fd = ::mkstemp(tmp.data());
    if (fd < 0) return false;
    bool ok = true;
    for (std::size_t done = 0; ok && done < content.size();) {
        const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0)
            ok = false;
        else
            done += static_cast<std::size_t>(n);
    }
    ok = ok && ::fchmod(fd, 0600) == 0 && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok) ok = ::rename(tmp.c_str(), file.c_str()) == 0;
    if (!ok) ::unlink(tmp.c_str());
    return ok;
}

bool SetAsideCorruptFile(const std::filesystem::path& file, std::string_view why) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(
                             std::chrono::system_clock::now().time_since_epoch())
                             .count();
    std::string aside = file.string() + ".corrupt-" + std::to_string(seconds);
    for (int n = 1; std::filesystem::exists(aside); ++n)
        aside = file.string() + ".corrupt-" + std::to_string(seconds) + "-" + std::to_string(n);
    if (::rename(file.c_str(), aside.c_str()) == 0) {
        std::fprintf(stderr, "harbrook: %s cannot be read (%.*s); kept as %s\n", file.c_str(),
                     static_cast<int>(why.size()), why.data(), aside.c_str());
        return true;
    }
    // Said once per file: the caller keeps running without it and will try again.
    const int error = errno;
    static std::mutex mutex;
    static std::set<std::string> reported;
    std::lock_guard lock(mutex);
    if (reported.insert(file.string()).second)
        std::fprintf(stderr, "harbrook: %s cannot be read (%.*s) nor set aside: %s\n", file.c_str(),
                     static_cast<int>(why.size()), why.data(), std::strerror(error));
    return false;
}

}  // namespace harbrook::platform::posix
