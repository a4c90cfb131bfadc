// The XDG autostart entry. Installing the package never writes one: only the
// user's own `harbrook --autostart on` (or the tray menu) does.
#include <cerrno>
#include <cstdlib>
#include <system_error>

#include "platform/autostart.h"
#include "platform/file_store_posix.h"
#include "platform/utf8.h"

namespace harbrook::platform {
namespace {

std::filesystem::path EntryPath() {
    std::filesystem::path base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/') {
        base = xdg;
    } else if (const char* home = std::getenv("HOME"); home && *home == '/') {
        base = std::filesystem::path(home) / ".config";
    } else {
        return {};
    }
    return base / "autostart" / "harbrook.desktop";
}

// One argument of an Exec line: quoted where it holds a reserved character,
// then escaped once more as a desktop-entry string value. Nothing for a
// text an entry cannot carry (control characters, bytes that are not UTF-8).
bool AppendExecArgument(std::string& line, const std::string& arg) {
    if (!IsValidUtf8(arg)) return false;
    static constexpr std::string_view kReserved = " \t\"'\\><~|&;$*?#()`";
    bool quote = arg.empty();
    std::string quoted;
    for (const char c : arg) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return false;
        if (kReserved.find(c) != std::string_view::npos) quote = true;
        if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
        if (c == '%') quoted += '%';  // field codes start with %
        quoted += c;
    }
    if (quote) quoted = '"' + quoted + '"';
    for (const char c : quoted) {
        if (c == '\\') line += '\\';
        line += c;
    }
    return true;
}

}  // namespace

bool StartsAtLogin() {
    const auto entry = EntryPath();
    std::error_code ec;
    return !entry.empty() && std::filesystem::is_regular_file(entry, ec);
}

std::string StartAtLoginPlace() {
    return EntryPath().string();
}

bool SetStartAtLogin(bool on, const std::filesystem::path& executable, StartAtLoginFailure* why) {
    const auto fail = [why](StartAtLoginProblem problem, long code = 0) {
        if (why) *why = {problem, code};
        return false;
    };
    const auto entry = EntryPath();
    if (entry.empty()) return fail(StartAtLoginProblem::NoPlace);
    std::error_code ec;
    if (!on) {
        std::filesystem::remove(entry, ec);
        return ec ? fail(StartAtLoginProblem::CannotChange, ec.value()) : true;
    }
    if (!executable.is_absolute()) return fail(StartAtLoginProblem::ProgramUnknown);
    std::string exec = "Exec=";
    if (!AppendExecArgument(exec, executable.string())) {
        return fail(StartAtLoginProblem::ProgramUnusable);
    }
    const std::string text =
        "[Desktop Entry]\n"
        "Type=Application\n"
        "Name=Harbrook\n"
        "Comment=Back up your phone to this PC\n"
        "Icon=harbrook\n" +
        exec +
        "\n"
        "Terminal=false\n"
        "X-GNOME-Autostart-enabled=true\n";
    std::filesystem::create_directories(entry.parent_path(), ec);
    errno = 0;
    if (!posix::ReplaceFileAtomically(entry, text)) {
        return fail(StartAtLoginProblem::CannotChange, errno);
    }
    return true;
}

}  // namespace harbrook::platform
