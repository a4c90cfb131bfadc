#include "backup/storage_layout.h"

#include <gtest/gtest.h>

#include <map>

#include "core/settings_store.h"
#include "locale/ui_strings.h"
#include "tests/locale/built_libraries.h"
#include "tests/support/sandbox.h"

namespace harbrook {
namespace {

constexpr std::uint64_t GiB = 1024ULL * 1024 * 1024;

// Volumes named like drive letters, with free space set by the test.
class FakeVolumes : public VolumeSource {
  public:
    struct Drive {
        Drive(std::string n, std::uint64_t f, bool s = false,
              platform::VolumeType t = platform::VolumeType::Fixed, std::filesystem::path r = {})
            : name(std::move(n)),
              free(f),
              system(s),
              type(t),
              root(r.empty() ? std::filesystem::path("/" + name) : r) {}
        std::string name;
        std::uint64_t free;
        bool system;
        platform::VolumeType type;
        std::filesystem::path root;  // /<name> unless given
    };
    std::vector<Drive> drives;
    std::map<std::filesystem::path, std::uint64_t> extraFree;  // stored roots

    std::vector<platform::StorageVolume> List() const override {
        std::vector<platform::StorageVolume> out;
        for (const auto& d : drives) out.push_back({d.name, d.root, d.type, d.system});
        return out;
    }
    std::optional<std::uint64_t> FreeBytes(const std::filesystem::path& p) const override {
        for (const auto& d : drives)
            if (d.root == p) return d.free;
        if (auto it = extraFree.find(p); it != extraFree.end()) return it->second;
        return std::nullopt;
    }
};

std::string Choose(const FakeVolumes& v) {
    std::filesystem::path root = "untouched";
    return ChooseStorageDrive(v, root) ? root.string() : "none (" + root.string() + ")";
}

TEST(DriveChoice, FreeSpaceBoundaries) {
    FakeVolumes v;
    v.drives = {{"C", 40 * GiB, true}, {"D", 20 * GiB}};
    EXPECT_EQ(Choose(v), "/C");
    v.drives = {{"C", 30 * GiB, true}, {"D", 20 * GiB}};
    EXPECT_EQ(Choose(v), "/D") << "exactly 30 GiB on the system drive is not enough";
    v.drives = {{"C", 30 * GiB + 1, true}, {"D", 20 * GiB}};
    EXPECT_EQ(Choose(v), "/C");
    v.drives = {{"C", 25 * GiB, true}, {"D", 10 * GiB}};
    EXPECT_EQ(Choose(v), "none (untouched)") << "exactly 10 GiB on the second is not enough";
    v.drives = {{"C", 25 * GiB, true}, {"D", 10 * GiB + 1}};
    EXPECT_EQ(Choose(v), "/D");
    v.drives = {{"C", 30 * GiB, true}};
    EXPECT_EQ(Choose(v), "none (untouched)");
    v.drives = {};
    EXPECT_EQ(Choose(v), "none (untouched)");
}

TEST(DriveChoice, OrderTypesAndTies) {
    FakeVolumes v;
    v.drives = {{"C", 50 * GiB, true}, {"E", 70 * GiB}, {"D", 70 * GiB}};
    EXPECT_EQ(Choose(v), "/D") << "equal free space keeps name order";
    v.drives = {{"C", 50 * GiB, true}, {"F", 90 * GiB, false, platform::VolumeType::Removable}};
    EXPECT_EQ(Choose(v), "/F") << "removable counts like fixed";
    v.drives = {{"C", 50 * GiB, true},
                {"N", 900 * GiB, false, platform::VolumeType::Network},
                {"R", 900 * GiB, false, platform::VolumeType::Ram},
                {"O", 900 * GiB, false, platform::VolumeType::Optical}};
    EXPECT_EQ(Choose(v), "/C");
    EXPECT_EQ(ListStorageDrives(v).size(), 1u);
}

class StorageLayoutTest : public ::testing::Test {
  protected:
    test::Sandbox sandbox;
    ConnectionState state;
    FakeVolumes volumes;
    StorageLayout layout{state, volumes};
    std::filesystem::path stored = sandbox.root() / "stored";
    std::filesystem::path big = sandbox.root() / "big";

    void SetUp() override {
        std::filesystem::create_directories(stored);
        std::filesystem::create_directories(big);
        volumes.drives = {{"C", 100 * GiB, true, platform::VolumeType::Fixed, big}};
    }
    std::filesystem::path StoredRoot() {
        std::filesystem::path root;
        CSettingsStore().ReadRootDirectory(root);
        return root;
    }
};

TEST_F(StorageLayoutTest, BuildsThePhoneTreeUnderTheChosenRoot) {
    state.SetConnectionState(true, "Pixel 3", "id", "1.2.3.4");
    ASSERT_TRUE(layout.PrepareBackupFolders(1024));
    EXPECT_EQ(StoredRoot(), big);
    const auto phone = big / "Backup of Harbrook" / "Pixel 3";
    for (const char* f : {"My Album", "Tencent", "Other pictures videos", "Documents", "Audio"})
        EXPECT_TRUE(std::filesystem::is_directory(phone / f)) << f;
    EXPECT_EQ(layout.KeptPath(BackupCategory::Camera), phone / "My Album" / "");
    EXPECT_EQ(layout.KeptPath(BackupCategory::Audio), phone / "Audio" / "");
}

TEST_F(StorageLayoutTest, StoredRootNeedsStrictlyMoreButAChoiceNeedsOnlyEqual) {
    CSettingsStore().WriteRootDirectory(stored);
    volumes.extraFree[stored] = 5000;
    ASSERT_TRUE(layout.PrepareBackupFolders(4999));
    EXPECT_EQ(StoredRoot(), stored);
    EXPECT_TRUE(std::filesystem::is_directory(stored / "Backup of Harbrook" / "Smartphone"))
        << "no phone name: Smartphone";
    // Equal to the need: the stored root is not kept; the choice picks "big".
    ASSERT_TRUE(layout.PrepareBackupFolders(5000));
    EXPECT_EQ(StoredRoot(), big);
    // The choice returns the same volume with exactly the need: enough.
    volumes.drives[0].free = 7000;
    ASSERT_TRUE(layout.PrepareBackupFolders(7000));
    EXPECT_EQ(StoredRoot(), big);
}

TEST_F(StorageLayoutTest, NoRoomChangesNothing) {
    state.SetConnectionState(true, "Pixel", "id", "");
    CSettingsStore().WriteRootDirectory(stored);
    volumes.extraFree[stored] = 100;
    volumes.drives[0].free = 50;  // the system volume with 50 bytes: not chosen at all
    EXPECT_FALSE(layout.PrepareBackupFolders(1000));
    EXPECT_EQ(StoredRoot(), stored);
    EXPECT_FALSE(std::filesystem::exists(stored / "Backup of Harbrook"));
    EXPECT_TRUE(layout.KeptPath(BackupCategory::Camera).empty());
    std::filesystem::path target;
    EXPECT_FALSE(layout.ResolveTargetPath("a.jpg", "camera", target)) << "nothing prepared yet";
}

// The user's folder stays the root even when a phone announces more than it
// holds; only a root the program chose itself gives way to a roomier drive.
TEST_F(StorageLayoutTest, ARootTheUserChoseIsNeverReplaced) {
    CSettingsStore().WriteRootDirectory(stored, true);
    volumes.extraFree[stored] = 100;
    EXPECT_FALSE(layout.PrepareBackupFolders(1000)) << "no room: insufficient";
    EXPECT_EQ(StoredRoot(), stored);
    EXPECT_FALSE(std::filesystem::exists(big / "Backup of Harbrook"));
    ASSERT_TRUE(layout.PrepareBackupFolders(50));
    EXPECT_EQ(StoredRoot(), stored);
    EXPECT_TRUE(std::filesystem::is_directory(stored / "Backup of Harbrook"));
    CSettingsStore().WriteRootDirectory(stored);  // as the drive choice stores it
    ASSERT_TRUE(layout.PrepareBackupFolders(1000));
    EXPECT_EQ(StoredRoot(), big);
}

TEST_F(StorageLayoutTest, NoStoredRootAndNoChoiceFails) {
    volumes.drives.clear();
    EXPECT_FALSE(layout.PrepareBackupFolders(1));
    EXPECT_TRUE(StoredRoot().empty());
}

TEST_F(StorageLayoutTest, PhoneNamesCannotLeaveTheBackupFolder) {
    EXPECT_EQ(StorageLayout::PhoneFolderName(""), "Smartphone");
    EXPECT_EQ(StorageLayout::PhoneFolderName(".."), "Smartphone");
    EXPECT_EQ(StorageLayout::PhoneFolderName("../../etc"), "....etc");
    EXPECT_EQ(StorageLayout::PhoneFolderName("Pixel 3"), "Pixel 3");
    state.SetConnectionState(true, "/", "id", "");
    ASSERT_TRUE(layout.PrepareBackupFolders(1));
    EXPECT_EQ(layout.KeptPath(BackupCategory::Camera),
              big / "Backup of Harbrook" / "Smartphone" / "My Album" / "");
}

TEST_F(StorageLayoutTest, ResolvesNamesIntoTheirCategoryFolderOnly) {
    state.SetConnectionState(true, "Pixel", "id", "");
    ASSERT_TRUE(layout.PrepareBackupFolders(1));
    const auto camera = layout.KeptPath(BackupCategory::Camera);
    std::filesystem::path t;
    ASSERT_TRUE(layout.ResolveTargetPath("a:b?.jpg", "camera", t));
    EXPECT_EQ(t, camera / "ab.jpg");
    EXPECT_FALSE(layout.ResolveTargetPath("README", "camera", t)) << "no dot";
    EXPECT_FALSE(layout.ResolveTargetPath("a.jpg", "Camera", t)) << "words are case-sensitive";
    EXPECT_FALSE(layout.ResolveTargetPath("a.jpg", "", t));
    ASSERT_TRUE(layout.ResolveTargetPath("report.pdf", "document", t));
    EXPECT_EQ(t, layout.KeptPath(BackupCategory::Document) / "report.pdf");

    // Whatever the name, the result is a plain file inside the category folder.
    for (const std::string name : {"../x.jpg", "/etc/x.jpg", "a\\..\\b.jpg", "..\\..\\y.jpg",
                                   "x\x01\x7f.jpg", "\xFF\xFE.jpg", "a/b/c.png"}) {
        ASSERT_TRUE(layout.ResolveTargetPath(name, "camera", t)) << name;
        EXPECT_EQ(t.parent_path(), camera.parent_path()) << name;
        EXPECT_NE(t.filename(), "..");
    }
    EXPECT_FALSE(layout.ResolveTargetPath("..", "camera", t));
    EXPECT_FALSE(layout.ResolveTargetPath(".", "camera", t));
    EXPECT_FALSE(layout.ResolveTargetPath("/.", "camera", t));
    EXPECT_FALSE(layout.ResolveTargetPath("?.", "camera", t));

    // Windows device names get a "_" on every system, so the tree can move there.
    ASSERT_TRUE(layout.ResolveTargetPath("Aux .mp3", "camera", t));
    EXPECT_EQ(t.filename(), "_Aux .mp3");
    ASSERT_TRUE(layout.ResolveTargetPath("com9.tar.gz", "camera", t));
    EXPECT_EQ(t.filename(), "_com9.tar.gz");
    ASSERT_TRUE(layout.ResolveTargetPath("console.log", "camera", t));
    EXPECT_EQ(t.filename(), "console.log");
    EXPECT_EQ(StorageLayout::PhoneFolderName("CON"), "_CON");
}

TEST_F(StorageLayoutTest, OverlongNamesFallBackToCategoryAndExtension) {
    ASSERT_TRUE(layout.PrepareBackupFolders(1));
    std::filesystem::path t;
    ASSERT_TRUE(layout.ResolveTargetPath(std::string(255, 'n') + ".jpg", "camera", t));
    EXPECT_EQ(t.filename(), "camera.jpg");
    ASSERT_TRUE(layout.ResolveTargetPath(std::string(251, 'n') + ".jpg", "camera", t));
    EXPECT_EQ(t.filename().string().size(), std::size_t{255}) << "255 units still fit";
    EXPECT_FALSE(layout.ResolveTargetPath("x." + std::string(300 * 1024, 'e'), "audio", t));
}

TEST_F(StorageLayoutTest, BackupsGoOnInTheFoldersOfTheLanguageThatMadeThem) {
    // German as its library has it, for the folder names only.
    const test::TextLibrary german({{kStrBackupFolder, "Harbrook-Sicherung"},
                                    {kStrFolderCamera, "Mein Album"},
                                    {kStrFolderDocuments, "Dokumente"}});
    test::UsingLanguage language;
    state.SetConnectionState(true, "Pixel", "id", "");
    ASSERT_TRUE(layout.PrepareBackupFolders(1));  // English: the first backup names them

    language.Use(&german);
    ASSERT_TRUE(layout.PrepareBackupFolders(1));
    EXPECT_EQ(layout.KeptPath(BackupCategory::Camera),
              big / "Backup of Harbrook" / "Pixel" / "My Album" / "");
    // A phone new to this root goes into the existing top folder, with its
    // own category folders named in German.
    state.SetConnectionState(true, "Galaxy", "id2", "");
    ASSERT_TRUE(layout.PrepareBackupFolders(1));
    EXPECT_EQ(layout.KeptPath(BackupCategory::Camera),
              big / "Backup of Harbrook" / "Galaxy" / "Mein Album" / "");
    std::filesystem::remove_all(big / "Backup of Harbrook");
    ASSERT_TRUE(layout.PrepareBackupFolders(1));
    EXPECT_EQ(layout.KeptPath(BackupCategory::Document),
              big / "Harbrook-Sicherung" / "Galaxy" / "Dokumente" / "");

    // Back in English, the German folders are found under their library's names.
    language.Use(nullptr);
    std::filesystem::create_directories(big / "Backup of Harbrook" / "Other phone");
    ASSERT_TRUE(layout.PrepareBackupFolders(1));
    EXPECT_EQ(layout.KeptPath(BackupCategory::Document),
              big / "Harbrook-Sicherung" / "Galaxy" / "Dokumente" / "")
        << "the top folder holding this phone comes before another one";
    EXPECT_EQ(layout.KeptPath(BackupCategory::Audio),
              big / "Harbrook-Sicherung" / "Galaxy" / "Audio" / "");
}

}  // namespace
}  // namespace harbrook
