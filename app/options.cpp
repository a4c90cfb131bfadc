#include "app/options.h"

#include <charconv>
#include <string_view>

#include "link/endpoints.h"
#include "platform/utf8.h"

namespace harbrook {
namespace {

std::optional<int> ParsePort(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    if (value < 1024 || value > 65535 - kPortsInPlan + 1) return std::nullopt;
    return value;
}

std::filesystem::path Absolute(std::string_view text) {
    std::error_code ec;
    const std::filesystem::path given = platform::PathFromUtf8(text);  // arguments are UTF-8
    auto path = std::filesystem::absolute(given, ec);
    return ec ? given : path.lexically_normal();
}

}  // namespace

ParsedOptions ParseOptions(int argc, const char* const* argv) {
    ParsedOptions parsed;
    Options& o = parsed.options;
    const auto fail = [&parsed](std::string message) {
        parsed.error = std::move(message);
        return parsed;
    };
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const auto value = [&](std::string_view& out) {
            if (i + 1 >= argc) return false;
            out = argv[++i];
            return true;
        };
        std::string_view v;
        if (arg == "--help" || arg == "-h") {
            o.help = true;
        } else if (arg == "--version") {
            o.version = true;
        } else if (arg == "--history") {
            o.history = true;
        } else if (arg == "--headless") {
            o.headless = true;
        } else if (arg == "--disconnect") {
            o.disconnect = true;
        } else if (arg == "--autostart") {
            if (!value(v) || (v != "on" && v != "off")) return fail("--autostart needs on or off");
            o.autostart = (v == "on");
        } else if (arg == "--quick-timing") {
            o.quickTiming = true;
        } else if (arg == "--address") {
            if (!value(v)) return fail("--address needs an IPv4 address (A.B.C.D)");
            if (!IsDottedIPv4(v)) return fail("--address: not an IPv4 address: " + std::string(v));
            o.address = v;
        } else if (arg == "--backup-root") {
            if (!value(v) || v.empty()) return fail("--backup-root needs a folder");
            o.backupRoot = Absolute(v);
        } else if (arg == "--ports-base") {
            if (!value(v)) return fail("--ports-base needs a port number");
            o.portsBase = ParsePort(v);
            if (!o.portsBase) {
                return fail("--ports-base: not a port from 1024 to " +
                            std::to_string(65535 - kPortsInPlan + 1) + ": " + std::string(v));
            }
        } else if (arg == "--send") {
            o.send = true;
            while (i + 1 < argc && std::string_view(argv[i + 1]).substr(0, 2) != "--") {
                o.sendFiles.push_back(Absolute(argv[++i]));
            }
            if (o.sendFiles.empty()) return fail("--send needs at least one file");
        } else {
            return fail("unknown option: " + std::string(arg) + " (try --help)");
        }
    }
    if (o.send && o.disconnect) return fail("--send and --disconnect do not go together");
    return parsed;
}

PortPlan PortPlanFromBase(int base) {
    PortPlan plan;
    plan.pairing = {base, base + 1, base + 2};
    plan.monitor = {base + 3, base + 4, base + 5};
    plan.backup = {base + 6, base + 7, base + 8};
    plan.beacon = base + 9;
    plan.disconnectNotice = base + 10;
    plan.send = base + 11;
    plan.userDisconnect = base + 12;
    return plan;
}

Timing QuickTiming() {
    using ms = Timing::ms;
    Timing t;
    t.connectedCheck = ms(100);
    t.monitorWindow = ms(1500);
    t.monitorBindRetry = ms(200);
    t.detectionIdle = ms(300);
    t.detectionReply = ms(1500);
    t.disconnectReply = ms(1000);
    t.transferReceive = ms(3000);
    t.backupIdleRetry = ms(100);
    t.insufficientPause = ms(200);
    t.linger = ms(200);
    t.monitorLinger = ms(200);
    t.scanReconnect = ms(200);
    t.scanReconnectMax = ms(800);
    return t;
}

std::string UsageText() {
    return R"(Usage: harbrook [options]
Backs up the paired phone to this PC and sends files to it. A second start
shows the running Harbrook instead of starting another.

  --address A.B.C.D    use this as the PC's address (in the QR code and for
                       finding the phone on its /24 network) instead of the
                       host name's; also the environment variable HARBROOK_ADDRESS
  --backup-root DIR    keep backups under DIR (an existing, writable folder)
  --headless           run in the terminal even where a display exists
                       (the default without DISPLAY or WAYLAND_DISPLAY)
  --send FILE...       hand the files to the running Harbrook, which sends
                       them to the connected phone
  --disconnect         tell the running Harbrook to disconnect the phone
  --autostart on|off   start Harbrook (in the tray, without its window) when
                       you log in, or no longer; then end
  --history            print the backup history and end
  --version            print the version and the folder of the program's
                       files (the phone picture, the languages), and end
  --help               print this text and end

Testing:
  --ports-base N       take every PC port from N to N+12 instead of the
                       standard ones (pairing N..N+2, monitor N+3..N+5, backup
                       N+6..N+8, beacon N+9, disconnect notice N+10, send N+11,
                       user disconnect N+12)
  --quick-timing       heartbeat, detection and transfer waits of a second or
                       two instead of tens of seconds

Exit status: 0 on success, 1 when Harbrook cannot run, 2 for a bad command line.
)";
}

}  // namespace harbrook
