#include "core/settings_store.h"

#include <gtest/gtest.h>

#include "platform/registry.h"
#include "platform/text.h"
#include "tests/support/sandbox.h"

namespace harbrook {
namespace {

class SettingsStoreTest : public ::testing::Test {
  protected:
    test::Sandbox sandbox;
    FixedClock clock{0x1'2345'6789LL};  // more than 32 bits of seconds
    CSettingsStore store{clock};

    static std::string Section(int i) {
        return std::string(CSettingsStore::kPhoneSectionPrefix) + std::to_string(i);
    }
    static void Put(const std::string& key, const std::string& name, const std::string& value) {
        platform::RegistryKey k;
        ASSERT_TRUE(k.CreateKey(key));
        ASSERT_TRUE(k.Write(name, value));
    }
    static std::string Get(const std::string& key, const std::string& name) {
        platform::RegistryKey k;
        std::string v;
        if (!k.Open(key) || !k.Read(name, v)) return "<absent>";
        return v;
    }
};

TEST_F(SettingsStoreTest, PcIdIsMadeOnceFromTheLow32BitsOfTheClock) {
    std::string id;
    ASSERT_TRUE(store.GetPcId(id));
    EXPECT_EQ(id, "Windows-" + std::to_string(0x2345'6789UL));
    clock.Set(99);
    std::string again;
    ASSERT_TRUE(store.GetPcId(again));
    EXPECT_EQ(again, id) << "made once, then only read";
    EXPECT_EQ(Get(std::string(CSettingsStore::kPcIdKey), "ID"), id);
}

TEST_F(SettingsStoreTest, OverlongPcIdIsCutNeverOverrun) {
    Put(std::string(CSettingsStore::kPcIdKey), "ID", std::string(500, 'x'));
    std::string id;
    ASSERT_TRUE(store.GetPcId(id));
    EXPECT_EQ(id, std::string(CSettingsStore::kMaxPcIdChars, 'x'));
}

TEST_F(SettingsStoreTest, NewPhonesFillSectionsDensely) {
    ASSERT_TRUE(store.SavePhoneValue("A", "PhoneID", "A"));
    ASSERT_TRUE(store.SavePhoneValue("A", "PhoneName", "Pixel"));
    ASSERT_TRUE(store.SavePhoneValue("B", "PhoneID", "B"));
    ASSERT_TRUE(store.SavePhoneValue("c", "PhoneID", "c"));
    ASSERT_TRUE(store.SavePhoneValue("c", "PhoneName", "Galaxy"));
    EXPECT_EQ(Get(Section(0), "PhoneName"), "Pixel");
    EXPECT_EQ(Get(Section(2), "PhoneID"), "c");
    EXPECT_EQ(Get(Section(2), "PhoneName"), "Galaxy") << "the name finds its phone's section";

    // Identities differ by case: "C" is another phone.
    std::string key;
    EXPECT_FALSE(store.FindPhoneSection("C", key));
    EXPECT_EQ(key, Section(3));
    EXPECT_TRUE(store.FindPhoneSection("c", key));
    EXPECT_EQ(key, Section(2));
}

TEST_F(SettingsStoreTest, RepairingOverwritesTheNameInPlace) {
    store.SavePhoneValue("A", "PhoneID", "A");
    store.SavePhoneValue("A", "PhoneName", "Old");
    store.SavePhoneValue("B", "PhoneID", "B");
    store.SavePhoneValue("A", "PhoneID", "A");
    store.SavePhoneValue("A", "PhoneName", "New");
    EXPECT_EQ(Get(Section(0), "PhoneName"), "New");
    std::string key;
    EXPECT_FALSE(store.FindPhoneSection("Z", key));
    EXPECT_EQ(key, Section(2)) << "no new section was made";
}

TEST_F(SettingsStoreTest, SectionWithoutPhoneIdIsReusedAndEndsTheSearch) {
    store.SavePhoneValue("A", "PhoneID", "A");
    Put(Section(1), "PhoneName", "orphan");
    Put(Section(2), "PhoneID", "C");
    ASSERT_TRUE(store.SavePhoneValue("C", "PhoneID", "C"));
    EXPECT_EQ(Get(Section(1), "PhoneID"), "C") << "sections after the gap are not searched";
}

TEST_F(SettingsStoreTest, OverlongOrUnconvertiblePhoneTextsAreNotStored) {
    EXPECT_FALSE(store.SavePhoneValue(std::string(200, 'i'), "PhoneID", std::string(200, 'i')));
    EXPECT_FALSE(store.SavePhoneValue("A", "PhoneName", std::string(200, 'n')));
    EXPECT_TRUE(store.SavePhoneValue("A", "PhoneName", std::string(199, 'n')));
    // Phone texts are in the ANSI code page; these bytes are invalid UTF-8 but
    // letters in a Windows single-byte code page.
    const bool convertible = platform::AnsiToUtf8("\xFF\xFE").has_value();
    EXPECT_EQ(store.SavePhoneValue("\xFF\xFE", "PhoneID", "\xFF\xFE"), convertible);
    EXPECT_EQ(Get(Section(0), "PhoneName"), std::string(199, 'n'));
    // Section 0 has no PhoneID yet, so a stored phone reuses it.
    if (convertible)
        EXPECT_EQ(Get(Section(0), "PhoneID"), *platform::AnsiToUtf8("\xFF\xFE"));
    else
        EXPECT_EQ(Get(Section(0), "PhoneID"), "<absent>");
    EXPECT_EQ(Get(Section(1), "PhoneID"), "<absent>");
}

TEST_F(SettingsStoreTest, RootDirectoryRoundTripAndLimits) {
    std::filesystem::path root;
    EXPECT_FALSE(store.ReadRootDirectory(root));
    ASSERT_TRUE(store.WriteRootDirectory("/srv/backup root/\xC3\xA9"));
    ASSERT_TRUE(store.ReadRootDirectory(root));
    EXPECT_EQ(root, std::filesystem::path("/srv/backup root/\xC3\xA9"));
    EXPECT_FALSE(store.WriteRootDirectory(std::string(300, 'r')));
    Put(std::string(CSettingsStore::kRootDirectoryKey), "Directory", std::string(300, 'r'));
    EXPECT_FALSE(store.ReadRootDirectory(root)) << "an over-long stored root is refused";
    EXPECT_TRUE(root.empty());
}

}  // namespace
}  // namespace harbrook
