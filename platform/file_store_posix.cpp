#include "platform/file_store_posix.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

namespace harbrook::platform::posix {
namespace {
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

std::optional<std::string> ReadWholeFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return content;
}

bool ReplaceFileAtomically(const std::filesystem::path& file, std::string_view content) {
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
    {
        std::fprintf(stderr, "harbrook: %s cannot be read (%.*s) nor set aside: %s\n", file.c_str(),
                     static_cast<int>(why.size()), why.data(), std::strerror(errno));
    }
    return false;
}

}  // namespace harbrook::platform::posix
