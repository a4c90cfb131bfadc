// The XDG autostart entry behind `harbrook --autostart on|off`.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/autostart.h"
#include "tests/support/sandbox.h"

namespace harbrook {
namespace {

std::string ExecLine(const std::string& entry) {
    const auto at = entry.find("\nExec=");
    if (at == std::string::npos) return {};
    return entry.substr(at + 1, entry.find('\n', at + 1) - at - 1);
}

TEST(StartAtLogin, OnWritesTheEntryAndOffRemovesIt) {
    test::Sandbox sandbox;
    const auto entry = sandbox.configHome() / "autostart" / "harbrook.desktop";
    EXPECT_FALSE(std::filesystem::exists(entry)) << "nothing switches it on by itself";
    EXPECT_FALSE(platform::StartsAtLogin());
    EXPECT_EQ(platform::StartAtLoginPlace(), entry.string());

    platform::StartAtLoginFailure why;
    ASSERT_TRUE(platform::SetStartAtLogin(true, "/usr/bin/harbrook", &why));
    const std::string text = test::ReadFileBytes(entry);
    EXPECT_EQ(text.rfind("[Desktop Entry]\n", 0), 0u);
    EXPECT_NE(text.find("\nType=Application\n"), std::string::npos);
    EXPECT_EQ(ExecLine(text), "Exec=/usr/bin/harbrook");
    EXPECT_TRUE(platform::StartsAtLogin());
    EXPECT_EQ(text.find("Hidden="), std::string::npos) << "Hidden=true would disable it";

    // A second "on" rewrites it; "off" removes it, also when it is gone.
    ASSERT_TRUE(platform::SetStartAtLogin(true, "/opt/h/harbrook", &why));
    EXPECT_EQ(ExecLine(test::ReadFileBytes(entry)), "Exec=/opt/h/harbrook");
    ASSERT_TRUE(platform::SetStartAtLogin(false, {}, &why));
    EXPECT_FALSE(std::filesystem::exists(entry));
    EXPECT_FALSE(platform::StartsAtLogin());
    EXPECT_TRUE(platform::SetStartAtLogin(false, {}, &why));
}

// Exec quoting first, then the escaping of a desktop-entry string value.
TEST(StartAtLogin, ReservedCharactersInThePathAreQuoted) {
    test::Sandbox sandbox;
    const auto entry = sandbox.configHome() / "autostart" / "harbrook.desktop";
    platform::StartAtLoginFailure why;
    ASSERT_TRUE(platform::SetStartAtLogin(true, "/opt/My Apps/$x\"q\\h 100%", &why));
    EXPECT_EQ(ExecLine(test::ReadFileBytes(entry)), R"(Exec="/opt/My Apps/\\$x\\"q\\\\h 100%%")");

    EXPECT_FALSE(platform::SetStartAtLogin(true, "/opt/two\nlines/harbrook", &why));
    EXPECT_EQ(why.problem, platform::StartAtLoginProblem::ProgramUnusable);
    EXPECT_FALSE(platform::SetStartAtLogin(true, "/opt/\xff/harbrook", &why));
    EXPECT_EQ(why.problem, platform::StartAtLoginProblem::ProgramUnusable);
    EXPECT_FALSE(platform::SetStartAtLogin(true, "relative/harbrook", &why));
    EXPECT_EQ(why.problem, platform::StartAtLoginProblem::ProgramUnknown);
    EXPECT_EQ(ExecLine(test::ReadFileBytes(entry)), R"(Exec="/opt/My Apps/\\$x\\"q\\\\h 100%%")")
        << "a refused path leaves the entry as it was";
}

TEST(StartAtLogin, WithoutXdgConfigHomeTheEntryGoesUnderHome) {
    test::Sandbox sandbox;
    test::UnsetEnv("XDG_CONFIG_HOME");
    platform::StartAtLoginFailure why;
    ASSERT_TRUE(platform::SetStartAtLogin(true, "/usr/bin/harbrook", &why));
    EXPECT_TRUE(
        std::filesystem::exists(sandbox.home() / ".config" / "autostart" / "harbrook.desktop"));
    test::SetEnv("HOME", "relative");
    EXPECT_FALSE(platform::SetStartAtLogin(true, "/usr/bin/harbrook", &why));
    EXPECT_EQ(why.problem, platform::StartAtLoginProblem::NoPlace);
}

}  // namespace
}  // namespace harbrook
