#include <io.h>
#include <windows.h>

#include "platform/console.h"
#include "platform/utf8.h"

namespace harbrook::platform {
namespace {

// A standard handle the parent gave us: a console, a file or a pipe.
bool Usable(DWORD which) {
    const HANDLE handle = GetStdHandle(which);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
           GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

// Points a C stream at the console unless the parent redirected it.
void ToConsole(DWORD which, std::FILE* stream, const char* device, const char* mode) {
    if (Usable(which)) return;
    if (std::freopen(device, mode, stream)) setvbuf(stream, nullptr, _IONBF, 0);
}

}  // namespace

void AttachParentConsole() {
    if (Usable(STD_OUTPUT_HANDLE) && Usable(STD_ERROR_HANDLE)) return;
    if (GetConsoleWindow() == nullptr && !AttachConsole(ATTACH_PARENT_PROCESS)) return;
    ToConsole(STD_OUTPUT_HANDLE, stdout, "CONOUT$", "w");
    ToConsole(STD_ERROR_HANDLE, stderr, "CONOUT$", "w");
    ToConsole(STD_INPUT_HANDLE, stdin, "CONIN$", "r");
}

void ReportStartupFailure(const std::string& text, const std::string& linePrefix) {
    if (GetConsoleWindow() != nullptr || Usable(STD_ERROR_HANDLE)) {
        std::fprintf(stderr, "%s%s\n", linePrefix.c_str(), text.c_str());
        std::fflush(stderr);
        return;
    }
    std::u16string wide;
    if (!Utf8ToUtf16(text, wide)) wide = u"Harbrook";
    const UINT direction = ReadsRightToLeft(text) ? MB_RTLREADING | MB_RIGHT : 0;
    MessageBoxW(nullptr, reinterpret_cast<const wchar_t*>(wide.c_str()), L"Harbrook",
                MB_OK | MB_ICONERROR | MB_SETFOREGROUND | direction);
}

void UseUtf8Console() {
    SetConsoleOutputCP(CP_UTF8);
}

bool IsTerminal(std::FILE* stream) {
    return _isatty(_fileno(stream)) != 0;
}

std::optional<std::size_t> TerminalColumns(std::FILE* stream) {
    if (!IsTerminal(stream)) return std::nullopt;
    const HANDLE handle =
        reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));  // NOLINT: the CRT's own handle
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!GetConsoleScreenBufferInfo(handle, &info)) return std::nullopt;
    const int columns = info.srWindow.Right - info.srWindow.Left + 1;
    if (columns <= 0) return std::nullopt;
    return static_cast<std::size_t>(columns);
}

}  // namespace harbrook::platform
