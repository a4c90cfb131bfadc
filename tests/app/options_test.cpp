#include "app/options.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <set>
#include <string>

#include "locale/language_selector.h"
#include "locale/ui_strings.h"
#include "platform/utf8.h"
#include "tests/locale/built_libraries.h"

namespace harbrook {
namespace {

ParsedOptions Parse(std::vector<const char*> args) {
    args.insert(args.begin(), "harbrook");
    return ParseOptions(static_cast<int>(args.size()), args.data());
}

TEST(OptionsTest, UsableCommandLines) {
    auto p = Parse({"--headless", "--address", "127.0.0.1", "--backup-root", "rel/dir",
                    "--ports-base", "40000", "--quick-timing"});
    ASSERT_EQ(p.Error(), "");
    EXPECT_TRUE(p.options.headless);
    EXPECT_TRUE(p.options.quickTiming);
    EXPECT_EQ(p.options.address, "127.0.0.1");
    ASSERT_TRUE(p.options.backupRoot);
    EXPECT_TRUE(p.options.backupRoot->is_absolute());
    EXPECT_EQ(p.options.backupRoot->filename(), "dir");
    EXPECT_EQ(p.options.portsBase, 40000);

    // An absolute path is kept as given ("/tmp/..." is not absolute on Windows).
    const std::string given = (std::filesystem::temp_directory_path() / "b c.pdf").string();
    p = Parse({"--send", "a.jpg", given.c_str(), "--headless"});
    ASSERT_EQ(p.Error(), "");
    EXPECT_TRUE(p.options.send);
    ASSERT_EQ(p.options.sendFiles.size(), 2u);
    EXPECT_TRUE(p.options.sendFiles[0].is_absolute());
    EXPECT_EQ(p.options.sendFiles[1].string(), given);
    EXPECT_TRUE(p.options.headless);

    EXPECT_TRUE(Parse({"--help"}).options.help);
    EXPECT_TRUE(Parse({"-h"}).options.help);
    EXPECT_TRUE(Parse({"--version"}).options.version);
    EXPECT_TRUE(Parse({"--history"}).options.history);
    EXPECT_FALSE(Parse({"--headless"}).options.autostart.has_value());
    EXPECT_EQ(Parse({"--autostart", "on"}).options.autostart, true);
    EXPECT_EQ(Parse({"--autostart", "off"}).options.autostart, false);
    EXPECT_FALSE(Parse({"--headless"}).options.pairingAlways);
    EXPECT_FALSE(Parse({"--pairing", "shown"}).options.pairingAlways);
    EXPECT_TRUE(Parse({"--pairing", "always"}).options.pairingAlways);
}

TEST(OptionsTest, FileNamesAreReadAsUtf8) {
    const std::string name = "\xE5\x86\x99\xE7\x9C\x9F \xC3\xA9t\xC3\xA9.jpg";
    const auto p = Parse({"--send", name.c_str(), "--backup-root", name.c_str()});
    ASSERT_EQ(p.Error(), "");
    ASSERT_EQ(p.options.sendFiles.size(), 1u);
    EXPECT_EQ(platform::PathToUtf8(p.options.sendFiles[0].filename()), name);
    ASSERT_TRUE(p.options.backupRoot);
    EXPECT_EQ(platform::PathToUtf8(p.options.backupRoot->filename()), name);
}

TEST(OptionsTest, BadCommandLinesGiveOneLineReasons) {
    for (const auto& args : std::vector<std::vector<const char*>>{
             {"--bogus"},
             {"plain-word"},
             {"--address"},
             {"--address", "300.1.1.1"},
             {"--address", "localhost"},
             {"--backup-root"},
             {"--backup-root", ""},
             {"--ports-base", "80"},
             {"--ports-base", "65530"},
             {"--ports-base", "4x"},
             {"--send"},
             {"--send", "--headless"},
             {"--autostart"},
             {"--autostart", "yes"},
             {"--autostart", "--headless"},
             {"--pairing"},
             {"--pairing", "open"},
         }) {
        const auto p = Parse(args);
        EXPECT_FALSE(p.Error().empty()) << args[0];
        EXPECT_EQ(p.Error().find('\n'), std::string::npos);
    }
    // The reason names what was wrong; a --language before the fault is
    // kept, so that the reason can be shown in that language.
    EXPECT_EQ(Parse({"--bogus"}).Error(), "unknown option: --bogus (try --help)");
    EXPECT_EQ(Parse({"--ports-base", "80"}).Error(),
              "--ports-base: not a port from 1024 to 65523: 80");
    EXPECT_EQ(Parse({"--language", "german", "--bogus"}).options.language, "german");
}

TEST(OptionsTest, ThePortPlanFromABaseIsDistinctAndInRange) {
    const PortPlan plan = PortPlanFromBase(65535 - kPortsInPlan + 1);
    std::set<int> ports(plan.pairing.begin(), plan.pairing.end());
    ports.insert(plan.monitor.begin(), plan.monitor.end());
    ports.insert(plan.backup.begin(), plan.backup.end());
    ports.insert({plan.beacon, plan.disconnectNotice, plan.send, plan.userDisconnect});
    EXPECT_EQ(ports.size(), static_cast<std::size_t>(kPortsInPlan));
    EXPECT_EQ(*ports.rbegin(), 65535);
    EXPECT_EQ(plan.pairing[0], 65535 - kPortsInPlan + 1);
}

// In every language, at 80 columns (no terminal) and in a narrow terminal,
// with every option still there.
TEST(OptionsTest, HelpFitsTheWidthInEveryLanguage) {
    for (const auto& name : test::LibraryNames()) {
        const auto library = test::LoadBuiltLibrary(name);
        ASSERT_TRUE(library) << name;
        const test::UsingLanguage language(library.get());
        for (const std::size_t width : {kHelpColumnsOffTerminal, std::size_t{60}}) {
            const std::string usage = UsageText(width);
            std::size_t lines = 0;
            for (std::size_t at = 0, end; at < usage.size(); at = end + 1, ++lines) {
                end = usage.find('\n', at);
                const std::string line = usage.substr(at, end - at);
                EXPECT_LE(DisplayColumns(line), width) << name << ": " << line;
                EXPECT_TRUE(line.empty() || line.back() != ' ') << name << ": " << line;
            }
            for (const char* option :
                 {"--address", "--backup-root", "--headless", "--send", "--history", "--version",
                  "--help", "--ports-base", "--quick-timing", "--autostart", "--pairing",
                  "HARBROOK_ADDRESS"})
                EXPECT_NE(usage.find(option), std::string::npos) << name << ' ' << option;
            EXPECT_GT(lines, 20u) << name;
        }
    }
    EXPECT_EQ(DisplayColumns("ab\u00e9\u30d5\u0e01\u0e34"), 6u)
        << "a wide kana takes two, a Thai vowel mark none";
}

// Japanese breaks between any two characters, but no line starts with a
// closing mark nor ends with an opening one, at whatever width.
TEST(OptionsTest, JapaneseLinesNeitherStartWithACloseNorEndWithAnOpen) {
    const std::string text =
        "保存したファイルをもう一度読み、マニフェストと比べます（電話を指定しないときは、"
        "すべての電話）。「変更」「欠落」があれば、終了状態は１です。";
    for (std::size_t width = 12; width <= 40; ++width) {
        const std::string wrapped = WrapToWidth(text, width);
        std::string joined;
        for (std::size_t at = 0, end; at <= wrapped.size(); at = end + 1) {
            end = std::min(wrapped.find('\n', at), wrapped.size());
            const std::string line = wrapped.substr(at, end - at);
            joined += line;
            ASSERT_FALSE(line.empty()) << width;
            EXPECT_LE(DisplayColumns(line), width) << width << ": " << line;
            for (const char* close : {"、", "。", "）", "」"})
                EXPECT_NE(line.rfind(close, 0), 0u) << width << ": " << line;
            for (const char* open : {"（", "「"}) {
                const std::size_t n = std::strlen(open);
                EXPECT_FALSE(line.size() >= n && line.compare(line.size() - n, n, open) == 0)
                    << width << ": " << line;
            }
        }
        EXPECT_EQ(joined, text) << width;  // nothing lost, no blank added
    }
}

}  // namespace
}  // namespace harbrook
