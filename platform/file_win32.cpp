#include <windows.h>

#include <algorithm>

#include "platform/file.h"

namespace harbrook::platform {

struct OutputFile::Impl {
    HANDLE handle = INVALID_HANDLE_VALUE;
};

OutputFile::OutputFile() : m_impl(std::make_unique<Impl>()) {}
OutputFile::~OutputFile() {
    if (m_impl) Close();
}
OutputFile::OutputFile(OutputFile&&) noexcept = default;
OutputFile& OutputFile::operator=(OutputFile&&) noexcept = default;

bool OutputFile::Create(const std::filesystem::path& path) {
    Close();
    // Read and write access, no sharing, create always, normal attributes.
    m_impl->handle = CreateFileW(path.wstring().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    return m_impl->handle != INVALID_HANDLE_VALUE;
}

bool OutputFile::Write(const char* data, std::size_t size) {
    while (size > 0) {
        DWORD written = 0;
        const DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
        if (!WriteFile(m_impl->handle, data, chunk, &written, nullptr) || written == 0)
            return false;
        data += written;
        size -= written;
    }
    return true;
}

void OutputFile::Close() {
    if (m_impl->handle != INVALID_HANDLE_VALUE) CloseHandle(m_impl->handle);
    m_impl->handle = INVALID_HANDLE_VALUE;
}

bool OutputFile::IsOpen() const {
    return m_impl->handle != INVALID_HANDLE_VALUE;
}

struct InputFile::Impl {
    HANDLE handle = INVALID_HANDLE_VALUE;
};

InputFile::InputFile() : m_impl(std::make_unique<Impl>()) {}
InputFile::~InputFile() {
    if (m_impl) Close();
}
InputFile::InputFile(InputFile&&) noexcept = default;
InputFile& InputFile::operator=(InputFile&&) noexcept = default;

bool InputFile::Open(const std::filesystem::path& path) {
    Close();
    m_impl->handle =
        CreateFileW(path.wstring().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    return m_impl->handle != INVALID_HANDLE_VALUE;
}

std::optional<std::uint64_t> InputFile::Size() const {
    LARGE_INTEGER size{};
    if (m_impl->handle == INVALID_HANDLE_VALUE || !GetFileSizeEx(m_impl->handle, &size))
        return std::nullopt;
    return static_cast<std::uint64_t>(size.QuadPart);
}

std::optional<std::size_t> InputFile::Read(char* data, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        DWORD n = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size - done, 0x40000000));
        if (!ReadFile(m_impl->handle, data + done, want, &n, nullptr)) return std::nullopt;
        if (n == 0) break;
        done += n;
    }
    return done;
}

void InputFile::Close() {
    if (m_impl->handle != INVALID_HANDLE_VALUE) CloseHandle(m_impl->handle);
    m_impl->handle = INVALID_HANDLE_VALUE;
}

}  // namespace harbrook::platform
