#include "app/options.h"

#include <algorithm>
#include <charconv>
#include <string_view>
#include <utility>
#include <vector>

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
        } else if (arg == "--no-wait") {
            o.noWait = true;
        } else if (arg == "--notify") {
            o.notify = true;
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

namespace {

// One character's columns: two for East Asian wide and full-width ones, none
// for combining marks, joiners and direction marks.
std::size_t CharColumns(char32_t c) {
    if ((c >= 0x0300 && c <= 0x036F) || c == 0x0E31 || (c >= 0x0E34 && c <= 0x0E3A) ||
        (c >= 0x0E47 && c <= 0x0E4E) || (c >= 0x064B && c <= 0x065F) || c == 0x0670 ||
        (c >= 0x200B && c <= 0x200F) || (c >= 0x2066 && c <= 0x2069) || c == 0xFEFF) {
        return 0;
    }
    if ((c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
        (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
        (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
        (c >= 0xFFE0 && c <= 0xFFE6) || c >= 0x20000) {
        return 2;
    }
    return 1;
}

// The characters of a UTF-8 text, each with its bytes.
std::vector<std::pair<char32_t, std::string_view>> Characters(std::string_view text) {
    std::vector<std::pair<char32_t, std::string_view>> out;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t len = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        len = std::min(len, text.size() - i);
        char32_t c = len == 1 ? lead : lead & (0x7F >> len);
        for (std::size_t k = 1; k < len; ++k)
            c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        out.emplace_back(c, text.substr(i, len));
        i += len;
    }
    return out;
}

// Marks that close a phrase in Chinese and Japanese: no line starts with one
// (basic kinsoku). Small kana and the long-vowel mark go with what is before.
bool NoLineStart(char32_t c) {
    static constexpr std::u32string_view kMarks =
        U")]},.:;!?%\u3001\u3002\uff0c\uff0e\u30fb\uff1a\uff1b\uff1f\uff01\u30fc\u2025\u2026"
        U"\uff09\u300d\u300f\u3011\u3015\u3009\u300b\u3019\u3017\u301f\u2019\u201d\uff5d\uff3d"
        U"\u3005\u309d\u309e\u30fd\u30fe\u3041\u3043\u3045\u3047\u3049\u3063\u3083\u3085\u3087"
        U"\u308e\u30a1\u30a3\u30a5\u30a7\u30a9\u30c3\u30e3\u30e5\u30e7\u30ee\u30f5\u30f6";
    return kMarks.find(c) != std::u32string_view::npos;
}

// Marks that open a phrase: no line ends with one.
bool NoLineEnd(char32_t c) {
    static constexpr std::u32string_view kMarks =
        U"([{\uff08\u300c\u300e\u3010\u3014\u3008\u300a\u3018\u3016\u301d\u2018\u201c\uff5b\uff3b";
    return kMarks.find(c) != std::u32string_view::npos;
}

}  // namespace

// A break comes at a blank, or after a wide character (Chinese and Japanese
// have no blanks) unless what follows closes a phrase or the wide character
// opens one; a word longer than a line is broken where it has to be.
std::string WrapToWidth(std::string_view text, std::size_t width, std::size_t indent,
                        std::size_t firstUsed) {
    const std::size_t room = width > indent + 10 ? width - indent : 10;
    std::string out;
    std::size_t used = firstUsed > indent ? firstUsed - indent : 0;
    std::string word;
    std::size_t wordColumns = 0;
    const auto newLine = [&] {
        while (!out.empty() && out.back() == ' ') out.pop_back();
        out += "\n" + std::string(indent, ' ');
        used = 0;
    };
    const auto flush = [&] {
        if (word.empty()) return;
        if (used + wordColumns > room && used > 0) newLine();
        if (used == 0 && word.front() == ' ') {  // no blank at the start of a line
            word.erase(0, 1);
            --wordColumns;
        }
        out += word;
        used += wordColumns;
        word.clear();
        wordColumns = 0;
    };
    char32_t previous = U' ';
    for (const auto& [c, bytes] : Characters(text)) {
        // A line break after a wide character joined two pieces of a text
        // written without blanks: it goes without one.
        if (c == '\n' && CharColumns(previous) == 2) continue;
        const char32_t ch = c == '\n' ? U' ' : c;
        const std::size_t columns = CharColumns(ch);
        if (ch == U' ') {
            flush();
            word = " ";
            wordColumns = 1;
        } else {
            const bool afterWide = CharColumns(previous) == 2;
            if ((afterWide && !NoLineStart(ch) && !NoLineEnd(previous)) ||
                (wordColumns + columns > room && !word.empty())) {  // or a word longer than a line
                flush();
            }
            word += ch == c ? std::string(bytes) : std::string(" ");
            wordColumns += columns;
        }
        previous = ch;
    }
    flush();
    return out;
}

std::size_t DisplayColumns(std::string_view text) {
    std::size_t columns = 0;
    for (const auto& [c, bytes] : Characters(text)) columns += CharColumns(c);
    return columns;
}

std::string UsageText(std::size_t columns) {
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
        // Each further line of the description starts under the first.
        out += head +
               WrapToWidth(LoadUiString(line.text, kCapacity), columns, kColumn, head.size()) +
               "\n";
    };
    // The usage line stands alone; what follows it is wrapped like the rest.
    const std::string usage = LoadUiString(kStrUsage, kCapacity);
    const std::size_t firstBreak = usage.find('\n');
    std::string out = WrapToWidth(usage.substr(0, firstBreak), columns, 0, 0);
    if (firstBreak != std::string::npos) {
        out += "\n" + WrapToWidth(std::string_view(usage).substr(firstBreak + 1), columns, 0, 0);
    }
    out += "\n\n";
    for (const Line& line :
         {Line{"--address A.B.C.D", kStrHelpAddress}, Line{"--backup-root DIR", kStrHelpBackupRoot},
          Line{"--headless", kStrHelpHeadless}, Line{"--language NAME", kStrHelpLanguage},
          Line{"--pairing WHEN", kStrHelpPairing}, Line{"--send FILE...", kStrHelpSend},
          Line{"--no-wait", kStrHelpNoWait}, Line{"--notify", kStrHelpNotify},
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
    return out + "\n" + WrapToWidth(LoadUiString(kStrHelpExitStatus, kCapacity), columns, 0, 0) +
           "\n";
}

}  // namespace harbrook
