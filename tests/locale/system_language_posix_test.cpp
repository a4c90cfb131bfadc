#include <gtest/gtest.h>

#include "platform/system_language.h"
#include "tests/support/sandbox.h"

namespace harbrook {
namespace {

TEST(LocaleEnvironment, LcAllThenLcMessagesThenLang) {
    const test::ClearedEnv cleared{"LC_ALL", "LC_MESSAGES", "LANG", "LANGUAGE"};
    // Each step sets one more variable: the id that wins then.
    const std::tuple<const char*, const char*, platform::LanguageId> steps[] = {
        {"LANG", "de_DE.UTF-8", 0x0407},
        {"LANGUAGE", "fr", 0x0407},  // gettext's list, not the locale
        {"LC_MESSAGES", "ja_JP.UTF-8", 0x0411},
        {"LC_ALL", "zh_CN.UTF-8", 0x0804},
        {"LC_ALL", "", 0x0411},  // empty counts as unset
        {"LC_MESSAGES", "C", 0x0409}};
    EXPECT_EQ(platform::SystemDefaultUiLanguage(), 0x0409) << "nothing set";
    for (const auto& [name, value, id] : steps) {
        test::SetEnv(name, value);
        EXPECT_EQ(platform::SystemDefaultUiLanguage(), id) << name << '=' << value;
    }
}

}  // namespace
}  // namespace harbrook
