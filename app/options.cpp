#include "app/options.h"

#include <charconv>
#include <string_view>

#include "link/endpoints.h"
#include "locale/ui_strings.h"
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

// The reasons a command line is refused.
constexpr unsigned kAutostartNeedsValueText = 400;
constexpr unsigned kAddressNeedsValueText = 401;
constexpr unsigned kAddressNotIPv4Text = 402;
constexpr unsigned kLanguageNeedsValueText = 403;
constexpr unsigned kBackupRootNeedsValueText = 404;
constexpr unsigned kPortsBaseNeedsValueText = 405;
constexpr unsigned kPortsBaseOutOfRangeText = 406;
constexpr unsigned kSendNeedsFileText = 407;
constexpr unsigned kUnknownOptionText = 408;
constexpr unsigned kSendWithDisconnectText = 409;
constexpr unsigned kPairingNeedsValueText = 425;

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
    const auto fail = [&parsed](unsigned text, std::vector<std::string> arguments = {}) {
        parsed.errorText = text;
        parsed.errorArguments = std::move(arguments);
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
            if (!value(v) || (v != "on" && v != "off")) return fail(kAutostartNeedsValueText);
            o.autostart = (v == "on");
        } else if (arg == "--pairing") {
            if (!value(v) || (v != "shown" && v != "always")) return fail(kPairingNeedsValueText);
            o.pairingAlways = (v == "always");
        } else if (arg == "--quick-timing") {
            o.quickTiming = true;
        } else if (arg == "--address") {
            if (!value(v)) return fail(kAddressNeedsValueText);
            if (!IsDottedIPv4(v)) return fail(kAddressNotIPv4Text, {std::string(v)});
            o.address = v;
        } else if (arg == "--language") {
            if (!value(v)) return fail(kLanguageNeedsValueText);
            o.language = std::string(v);
        } else if (arg == "--backup-root") {
            if (!value(v) || v.empty()) return fail(kBackupRootNeedsValueText);
            o.backupRoot = Absolute(v);
        } else if (arg == "--ports-base") {
            if (!value(v)) return fail(kPortsBaseNeedsValueText);
            o.portsBase = ParsePort(v);
            if (!o.portsBase) {
                return fail(kPortsBaseOutOfRangeText,
                            {std::to_string(65535 - kPortsInPlan + 1), std::string(v)});
            }
        } else if (arg == "--send") {
            o.send = true;
            while (i + 1 < argc && std::string_view(argv[i + 1]).substr(0, 2) != "--") {
                o.sendFiles.push_back(Absolute(argv[++i]));
            }
            if (o.sendFiles.empty()) return fail(kSendNeedsFileText);
        } else {
            return fail(kUnknownOptionText, {std::string(arg)});
        }
    }
    if (o.send && o.disconnect) return fail(kSendWithDisconnectText);
    return parsed;
}

std::string ParsedOptions::Error() const {
    if (errorText == 0) return {};
    return FormatUiText(LoadUiString(errorText, 512), errorArguments);
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
    t.pairingCheck = ms(200);
    return t;
}

std::string UsageText() {
    constexpr std::size_t kCapacity = 1024;
    // Option, its value, and the string of its description.
    struct Line {
        const char* option;
        unsigned text;
    };
    const auto describe = [&](std::string& out, const Line& line) {
        constexpr std::size_t kColumn = 23;
        std::string head = std::string("  ") + line.option;
        head += std::string(head.size() < kColumn ? kColumn - head.size() : 1, ' ');
        std::string text = LoadUiString(line.text, kCapacity);
        // Each further line of the description starts under the first.
        for (std::size_t at = text.find('\n'); at != std::string::npos;
             at = text.find('\n', at + 1)) {
            text.insert(at + 1, std::string(kColumn, ' '));
        }
        out += head + text + "\n";
    };
    std::string out = LoadUiString(240, kCapacity) + "\n\n";
    for (const Line& line :
         {Line{"--address A.B.C.D", 241}, Line{"--backup-root DIR", 242}, Line{"--headless", 243},
          Line{"--language NAME", 252}, Line{"--pairing WHEN", 255}, Line{"--send FILE...", 244},
          Line{"--disconnect", 254}, Line{"--autostart on|off", 253}, Line{"--history", 245},
          Line{"--version", 246}, Line{"--help", 247}}) {
        describe(out, line);
    }
    out += "\n" + LoadUiString(248, kCapacity) + "\n";
    for (const Line& line : {Line{"--ports-base N", 249}, Line{"--quick-timing", 250}}) {
        describe(out, line);
    }
    return out + "\n" + LoadUiString(251, kCapacity) + "\n";
}

}  // namespace harbrook
