// What the settings cost off Windows, where the registry is one hive file:
// counted in whole-file reads and replacements, which do not depend on the
// machine's speed.
#include <gtest/gtest.h>

#include <fstream>

#include "core/settings_store.h"
#include "platform/file_store_posix.h"
#include "tests/support/sandbox.h"

namespace harbrook {
namespace {

// A hive with `records` paired phones, written as the program writes it.
void WriteHive(const std::filesystem::path& file, int records) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out << "HARBROOK-HIVE 1\n[Software]\n[Software\\Harbrook]\n[Software\\Harbrook\\PC ID]\n"
           "ID=Windows-7\n[Software\\Harbrook\\Phone Information]\n";
    for (int i = 0; i < records; ++i) {
        out << "[" << CSettingsStore::kPhoneSectionPrefix << i << "]\nPhoneID=phone-" << i
            << "\nPhoneName=Phone " << i << "\n";
    }
    out << "END\n";
}

struct Cost {
    std::uint64_t reads, writes;
};

// What the pairing server asks of the store for one new phone.
Cost PairNewPhone(const std::string& id) {
    const auto reads = platform::posix::WholeFileReads();
    const auto writes = platform::posix::FileReplacements();
    CSettingsStore store;
    std::string pcId;
    EXPECT_TRUE(store.GetPcId(pcId));
    EXPECT_TRUE(store.SavePhoneValue(id, CSettingsStore::kPhoneIdValue, id));
    EXPECT_TRUE(store.SavePhoneValue(id, CSettingsStore::kPhoneNameValue, "New"));
    return {platform::posix::WholeFileReads() - reads,
            platform::posix::FileReplacements() - writes};
}

// Anyone on the network can add records by pairing under new identities, so
// a pairing must cost the same with thousands of them as with none.
TEST(SettingsStoreCostTest, APairingReadsTheHiveOnceHoweverManyPhonesItHolds) {
    for (const int records : {0, 3000}) {
        SCOPED_TRACE(records);
        test::Sandbox sandbox;
        WriteHive(sandbox.hiveFile(), records);
        const Cost first = PairNewPhone("new-1");
        EXPECT_LE(first.reads, 1u);
        EXPECT_LE(first.writes, 3u);  // the new section, its identity, its name
        const Cost second = PairNewPhone("new-2");
        EXPECT_EQ(second.reads, 0u) << "nothing changed the file meanwhile";
        EXPECT_LE(second.writes, 3u);
        std::string section;
        ASSERT_TRUE(CSettingsStore().FindPhoneSection("new-2", section));
        EXPECT_EQ(section,
                  std::string(CSettingsStore::kPhoneSectionPrefix) + std::to_string(records + 1));
    }
}

// The hive in memory is only a copy: a file changed behind its back is read
// again.
TEST(SettingsStoreCostTest, AHiveChangedByAnotherProcessIsReadAgain) {
    test::Sandbox sandbox;
    WriteHive(sandbox.hiveFile(), 2);
    std::string section;
    EXPECT_FALSE(CSettingsStore().FindPhoneSection("phone-5", section));
    WriteHive(sandbox.hiveFile(), 6);
    EXPECT_TRUE(CSettingsStore().FindPhoneSection("phone-5", section));
    std::filesystem::remove(sandbox.hiveFile());
    EXPECT_FALSE(CSettingsStore().FindPhoneSection("phone-0", section));
}

}  // namespace
}  // namespace harbrook
