#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/system_language.h"
#include "tests/support/sandbox.h"

namespace harbrook {
namespace {

// The variables of the messages locale, restored at the end.
class LocaleEnvironment : public ::testing::Test {
  protected:
    static constexpr const char* kNames[] = {"LC_ALL", "LC_MESSAGES", "LANG", "LANGUAGE"};
    void SetUp() override {
        for (const char* name : kNames) {
            const char* value = std::getenv(name);
            m_saved.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
            test::UnsetEnv(name);
        }
    }
    void TearDown() override {
        for (const auto& [name, value] : m_saved) {
            value ? test::SetEnv(name, *value) : test::UnsetEnv(name);
        }
    }

  private:
    std::vector<std::pair<const char*, std::optional<std::string>>> m_saved;
};

TEST_F(LocaleEnvironment, LcAllThenLcMessagesThenLang) {
    EXPECT_EQ(platform::SystemDefaultUiLanguage(), 0x0409) << "nothing set";
    test::SetEnv("LANG", "de_DE.UTF-8");
    EXPECT_EQ(platform::SystemDefaultUiLanguage(), 0x0407);
    test::SetEnv("LANGUAGE", "fr");  // a list for gettext, not the locale
    EXPECT_EQ(platform::SystemDefaultUiLanguage(), 0x0407);
    test::SetEnv("LC_MESSAGES", "ja_JP.UTF-8");
    EXPECT_EQ(platform::SystemDefaultUiLanguage(), 0x0411);
    test::SetEnv("LC_ALL", "zh_CN.UTF-8");
    EXPECT_EQ(platform::SystemDefaultUiLanguage(), 0x0804);
    test::SetEnv("LC_ALL", "");
    EXPECT_EQ(platform::SystemDefaultUiLanguage(), 0x0411) << "empty counts as unset";
    test::SetEnv("LC_MESSAGES", "C");
    EXPECT_EQ(platform::SystemDefaultUiLanguage(), 0x0409) << "C is set: English, not LANG";
}

}  // namespace
}  // namespace harbrook
