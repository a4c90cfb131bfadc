#include "app/options.h"

#include <charconv>
#include <string_view>

#include "link/endpoints.h"
#include "locale/string_ids.h"
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
        } else if (arg == "--verify") {
            o.verify = true;
            if (i + 1 < argc && std::string_view(argv[i + 1]).substr(0, 2) != "--")
                o.verifyPhone = std::string(argv[++i]);
        } else if (arg == "--record") {
            o.verify = o.record = true;
        } else if (arg == "--headless") {
            o.headless = true;
        } else if (arg == "--disconnect") {
            o.disconnect = true;
        } else if (arg == "--autostart") {
            if (!value(v) || (v != "on" && v != "off")) return fail(kStrAutostartNeedsValue);
            o.autostart = (v == "on");
        } else if (arg == "--pairing") {
            if (!value(v) || (v != "shown" && v != "always")) return fail(kStrPairingNeedsValue);
            o.pairingAlways = (v == "always");
        } else if (arg == "--quick-timing") {
            o.quickTiming = true;
        } else if (arg == "--address") {
            if (!value(v)) return fail(kStrAddressNeedsValue);
            if (!IsDottedIPv4(v)) return fail(kStrAddressNotIPv4, {std::string(v)});
            o.address = v;
        } else if (arg == "--language") {
            if (!value(v)) return fail(kStrLanguageNeedsValue);
            o.language = std::string(v);
        } else if (arg == "--backup-root") {
            if (!value(v) || v.empty()) return fail(kStrBackupRootNeedsValue);
            o.backupRoot = Absolute(v);
        } else if (arg == "--ports-base") {
            if (!value(v)) return fail(kStrPortsBaseNeedsValue);
            o.portsBase = ParsePort(v);
            if (!o.portsBase) {
                return fail(kStrPortsBaseOutOfRange,
                            {std::to_string(65535 - kPortsInPlan + 1), std::string(v)});
            }
        } else if (arg == "--send") {
            o.send = true;
            while (i + 1 < argc && std::string_view(argv[i + 1]).substr(0, 2) != "--") {
                o.sendFiles.push_back(Absolute(argv[++i]));
            }
            if (o.sendFiles.empty()) return fail(kStrSendNeedsFile);
        } else {
            return fail(kStrUnknownOption, {std::string(arg)});
        }
    }
    if (o.send && o.disconnect) return fail(kStrSendWithDisconnect);
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
    std::string out = LoadUiString(kStrUsage, kCapacity) + "\n\n";
    for (const Line& line :
         {Line{"--address A.B.C.D", kStrHelpAddress}, Line{"--backup-root DIR", kStrHelpBackupRoot},
          Line{"--headless", kStrHelpHeadless}, Line{"--language NAME", kStrHelpLanguage},
          Line{"--pairing WHEN", kStrHelpPairing}, Line{"--send FILE...", kStrHelpSend},
          Line{"--disconnect", kStrHelpDisconnect}, Line{"--autostart on|off", kStrHelpAutostart},
          Line{"--history", kStrHelpHistory}, Line{"--verify [PHONE]", kStrHelpVerify},
          Line{"--record", kStrHelpRecord}, Line{"--version", kStrHelpVersion},
          Line{"--help", kStrHelpHelp}}) {
        describe(out, line);
    }
    out += "\n" + LoadUiString(kStrHelpTesting, kCapacity) + "\n";
    for (const Line& line :
         {Line{"--ports-base N", kStrHelpPortsBase}, Line{"--quick-timing", kStrHelpQuickTiming}}) {
        describe(out, line);
    }
    return out + "\n" + LoadUiString(kStrHelpExitStatus, kCapacity) + "\n";
}

}  // namespace harbrook
