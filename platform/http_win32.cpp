#include <windows.h>
#include <wininet.h>

#include <array>

#include "platform/http.h"
#include "platform/win32_text.h"

namespace harbrook::platform {
namespace {

struct InternetHandle {
    HINTERNET handle = nullptr;
    ~InternetHandle() {
        if (handle) InternetCloseHandle(handle);
    }
};

struct LocalFile {
    HANDLE handle = INVALID_HANDLE_VALUE;
    ~LocalFile() {
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    }
};

}  // namespace

HttpOutcome DownloadToFile(const std::string& address, const std::filesystem::path& file,
                           const std::string& agent, const HttpOptions& options) {
    // The system's preconfigured proxy settings, as a browser uses them.
    InternetHandle session{InternetOpenW(win32::Widen(agent).c_str(), INTERNET_OPEN_TYPE_PRECONFIG,
                                         nullptr, nullptr, 0)};
    if (!session.handle) return HttpOutcome::NotOpened;
    if (options.connectTimeout.count() > 0) {
        DWORD timeout = static_cast<DWORD>(options.connectTimeout.count());
        if (!InternetSetOptionW(session.handle, INTERNET_OPTION_CONNECT_TIMEOUT, &timeout,
                                sizeof timeout)) {
            return HttpOutcome::NotOpened;
        }
    }
    // The description file names the installer's addresses: nothing but the web.
    const std::wstring url = win32::Widen(address);
    if (url.rfind(L"http://", 0) != 0 && url.rfind(L"https://", 0) != 0) {
        return HttpOutcome::NotOpened;
    }
    // No INTERNET_FLAG_IGNORE_CERT_* and no SECURITY_FLAG_IGNORE_*: WinINet
    // checks the server's certificate and name against the system's store.
    DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_TRANSFER_BINARY;
    if (options.keepConnection) flags |= INTERNET_FLAG_KEEP_CONNECTION;
    InternetHandle remote{InternetOpenUrlW(session.handle, url.c_str(), nullptr, 0, flags, 0)};
    if (!remote.handle) return HttpOutcome::NotOpened;

    LocalFile local{CreateFileW(file.wstring().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr)};
    if (local.handle == INVALID_HANDLE_VALUE) return HttpOutcome::NoLocalFile;
    std::array<char, 2048> buffer;
    for (;;) {
        if (options.cancelled && options.cancelled()) return HttpOutcome::Broken;
        DWORD got = 0;
        if (!InternetReadFile(remote.handle, buffer.data(), static_cast<DWORD>(buffer.size()),
                              &got)) {
            return HttpOutcome::Broken;
        }
        if (got == 0) break;
        DWORD written = 0;
        if (!WriteFile(local.handle, buffer.data(), got, &written, nullptr) || written != got) {
            return HttpOutcome::Broken;
        }
    }
    return HttpOutcome::Copied;
}

}  // namespace harbrook::platform
