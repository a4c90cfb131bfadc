#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file.h"

namespace harbrook::platform {

struct OutputFile::Impl {
    int fd = -1;
};

OutputFile::OutputFile() : m_impl(std::make_unique<Impl>()) {}
OutputFile::~OutputFile() {
    if (m_impl) Close();
}
OutputFile::OutputFile(OutputFile&&) noexcept = default;
OutputFile& OutputFile::operator=(OutputFile&&) noexcept = default;

bool OutputFile::Create(const std::filesystem::path& path) {
    Close();
    m_impl->fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    return m_impl->fd >= 0;
}

bool OutputFile::Write(const char* data, std::size_t size) {
    if (m_impl->fd < 0) return false;
    while (size > 0) {
        const ssize_t n = ::write(m_impl->fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

void OutputFile::Close() {
    if (m_impl->fd >= 0) ::close(m_impl->fd);
    m_impl->fd = -1;
}

bool OutputFile::IsOpen() const {
    return m_impl->fd >= 0;
}

struct InputFile::Impl {
    int fd = -1;
};

InputFile::InputFile() : m_impl(std::make_unique<Impl>()) {}
InputFile::~InputFile() {
    if (m_impl) Close();
}
InputFile::InputFile(InputFile&&) noexcept = default;
InputFile& InputFile::operator=(InputFile&&) noexcept = default;

bool InputFile::Open(const std::filesystem::path& path) {
    Close();
    m_impl->fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (m_impl->fd >= 0 && (::fstat(m_impl->fd, &st) != 0 || !S_ISREG(st.st_mode))) Close();
    return m_impl->fd >= 0;
}

std::optional<std::uint64_t> InputFile::Size() const {
    struct stat st {};
    if (m_impl->fd < 0 || ::fstat(m_impl->fd, &st) != 0) return std::nullopt;
    return static_cast<std::uint64_t>(st.st_size);
}

std::optional<std::size_t> InputFile::Read(char* data, std::size_t size) {
    if (m_impl->fd < 0) return std::nullopt;
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(m_impl->fd, data + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return std::nullopt;
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

void InputFile::Close() {
    if (m_impl->fd >= 0) ::close(m_impl->fd);
    m_impl->fd = -1;
}

}  // namespace harbrook::platform
