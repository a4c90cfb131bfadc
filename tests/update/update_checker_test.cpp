// The update checker against a web server on 127.0.0.1: the schedule, the
// version comparison, the description files and the installer download.
#include "update/update_checker.h"

#include "platform/folders.h"
#include "platform/profile.h"
#include "tests/update/tiny_pe.h"
#include "tests/update/update_fixture.h"
#include "update/sha256.h"
#include "update/update_ini.h"

namespace harbrook::test {
namespace {

TEST(IsNewerVersion, ComponentsAsFarAsTheInstalledVersionGoes) {
    EXPECT_TRUE(IsNewerVersion("0.0.0.0", "0.0.0.1"));
    EXPECT_FALSE(IsNewerVersion("1.2.3", "1.2.3"));
    EXPECT_FALSE(IsNewerVersion("1.2.3", "1.2.2"));
    EXPECT_TRUE(IsNewerVersion("1.2", "1.3beta")) << "3beta reads as 3";
    EXPECT_FALSE(IsNewerVersion("1.2", "1.2.9")) << "components beyond the installed are not read";
    EXPECT_TRUE(IsNewerVersion("1.2.0.5", "1.2.1"));
    EXPECT_TRUE(IsNewerVersion("1.9", "1.10")) << "numbers, not text";
    EXPECT_FALSE(IsNewerVersion("1.0", "1")) << "0 against nothing, which reads as 0";
    EXPECT_FALSE(IsNewerVersion("2.0", "1.9"));
    EXPECT_TRUE(IsNewerVersion("1.0", "2"));
    EXPECT_FALSE(IsNewerVersion("", "1.0"));
    EXPECT_FALSE(IsNewerVersion("1.0", ""));
    EXPECT_FALSE(IsNewerVersion("1.0", "2" + std::string(50, '0'))) << "over 50 characters";
    EXPECT_FALSE(IsNewerVersion("1.0", "none")) << "no digits read as 0";
}

TEST(DownloadPaths, LastSegmentOfTheAddressInTheFolder) {
    std::filesystem::path out;
    const std::filesystem::path folder = std::filesystem::path("data") / "";
    EXPECT_TRUE(MakeDownloadPath("http://h/a/update.ini", folder, out));
    EXPECT_EQ(out, folder / "update.ini");
    EXPECT_TRUE(MakeDownloadPath("http://h/get?f=x", "data", out)) << "no trailing separator";
    EXPECT_EQ(out, std::filesystem::path("data") / "get?f=x") << "the query stays in the name";
    EXPECT_FALSE(MakeDownloadPath("http://h/dir/", folder, out));
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(MakeDownloadPath("update.ini", folder, out)) << "no slash";
    EXPECT_FALSE(MakeDownloadPath("", folder, out));
    EXPECT_FALSE(MakeDownloadPath("http://h/a.ini", "", out));
    // A hostile description must not name a place outside the folder.
    EXPECT_FALSE(MakeDownloadPath("http://h/..", folder, out));
    EXPECT_FALSE(MakeDownloadPath("http://h/x\\..\\..\\evil.exe", folder, out));
    EXPECT_FALSE(MakeDownloadPath("http://h/C:evil.exe", folder, out));
    EXPECT_FALSE(MakeDownloadPath("http://h/nul.exe", folder, out))
        << "a device name on Windows, refused everywhere alike";

    std::filesystem::path of;
    EXPECT_TRUE(GetFolderOfFile(folder / "update.ini", of));
    EXPECT_EQ(of, folder);
    EXPECT_FALSE(GetFolderOfFile("update.ini", of));
    EXPECT_TRUE(of.empty());
}

class UpdateSchedule : public UpdateFixture {
  protected:
    std::string StoredDate() {
        return platform::ReadProfileString(data / "update_config.ini", "harbrook", "date", "none",
                                           100);
    }
    int DueOn(int year, int month, int day) {
        return IsUpdateCheckDue(program, data, FixedClock(UtcMidnight(year, month, day)));
    }
};

TEST_F(UpdateSchedule, FirstStartWaitsForTheEleventhOfAMonth) {
    EXPECT_EQ(DueOn(2026, 12, 5), 0);
    EXPECT_FALSE(std::filesystem::exists(data / "update_config.ini")) << "nothing written";
    EXPECT_EQ(DueOn(2026, 12, 10), 0);
    EXPECT_EQ(DueOn(2026, 12, 15), 1);
    EXPECT_EQ(StoredDate(), "15.12");
    EXPECT_EQ(DueOn(2026, 12, 25), 0) << "10 days";
    EXPECT_EQ(DueOn(2026, 12, 26), 1);
    EXPECT_EQ(StoredDate(), "26.12");
}

// (Days across months and years are date_records_test's.)
TEST_F(UpdateSchedule, LongAgoAndUnreadableDates) {
    WriteText(data / "update_config.ini", "[harbrook]\r\ndate=3.9\r\n");
    EXPECT_EQ(DueOn(2026, 12, 1), 1) << "long ago";
    EXPECT_EQ(StoredDate(), "1.12");
    WriteText(data / "update_config.ini", "[harbrook]\r\ndate=40.1\r\n");
    EXPECT_EQ(DueOn(2026, 12, 1), 1);
    EXPECT_EQ(DueOn(2026, 12, 1), 1) << "due at every start";
    EXPECT_EQ(StoredDate(), "40.1") << "an unreadable date is left alone";
}

TEST_F(UpdateSchedule, TheSiblingProgramBlocksItButAFolderOfItsNameDoesNot) {
    WriteText(data / "update_config.ini", "[harbrook]\r\ndate=3.9\r\n");
    std::filesystem::create_directory(program / "Portwarden.exe");
    EXPECT_EQ(DueOn(2026, 12, 1), 1);
    WriteText(data / "update_config.ini", "[harbrook]\r\ndate=3.9\r\n");
    std::filesystem::remove(program / "Portwarden.exe");
    WriteText(program / "Portwarden.exe", "MZ");
    EXPECT_EQ(DueOn(2026, 12, 1), 0);
    EXPECT_EQ(StoredDate(), "3.9") << "untouched";
}

TEST_F(UpdateFixture, NumberedListsEndAtTheFirstGap) {
    WriteText(program / "a.ini",
              "[ServerFiles]\r\nServerFile1=http://127.0.0.1/b\r\n"
              "[PatchLink]\r\nDownload0=x/y\r\nDownload1=\r\nDownload2=u/v\r\nDownload4=w/z\r\n");
    const CUpdateIni ini(program / "a.ini");
    std::vector<std::string> list{"kept"};
    EXPECT_FALSE(ini.GetServerFiles(list));
    EXPECT_EQ(list, std::vector<std::string>{"kept"});
    list.clear();
    EXPECT_TRUE(ini.GetPatchLinks(list));
    EXPECT_EQ(list, (std::vector<std::string>{"x/y", "", "u/v"})) << "an empty value stays";
    std::string version;
    EXPECT_FALSE(ini.GetCurrentVersion(version));
    EXPECT_EQ(version, "0.0.0.0");

    const CUpdateIni missing(program / "missing.ini"), folder(program);
    EXPECT_FALSE(missing.GetPatchLinks(list));
    EXPECT_FALSE(folder.GetString("VersionInfo", "CurrentVersion", version));
    EXPECT_EQ(version, "");
}

class VersionCheck : public UpdateFixture {
  protected:
    int Check() {
        serverFile.clear();
        return CheckForNewVersion(Installed(), data, serverFile);
    }
    std::filesystem::path serverFile;
};

TEST_F(VersionCheck, NewerEqualAndOlderOffers) {
    server.Serve("/a/update.ini", Description{"1.2.4"}.Text());
    WriteInstalled("1.2.3", {server.Url("/a/update.ini")});
    EXPECT_EQ(Check(), kNewVersionOffered);
    EXPECT_EQ(serverFile, data / "update.ini");
    EXPECT_EQ(ReadFileBytes(serverFile), Description{"1.2.4"}.Text()) << "stays in the data folder";

    // A description that offers nothing newer settles it: the second address
    // is never asked.
    for (const std::string offered : {"1.2.3", "1.1.9"}) {
        server.Serve("/a/update.ini", Description{offered}.Text());
        WriteInstalled("1.2.3", {server.Url("/a/update.ini"), server.Url("/b/update.ini")});
        EXPECT_EQ(Check(), kNothingNewer) << offered;
    }
    for (const auto& path : server.Requests()) EXPECT_EQ(path, "/a/update.ini");

    // No installed version reads as 0.0.0.0.
    WriteText(Installed(), "[ServerFiles]\r\nServerFile0=" + server.Url("/a/update.ini") + "\r\n");
    server.Serve("/a/update.ini", Description{"0.0.0.1"}.Text());
    EXPECT_EQ(Check(), kNewVersionOffered);
}

TEST_F(VersionCheck, AFailingAddressOrAnErrorPageMovesOnToTheNext) {
    server.Serve("/good/version.ini", Description{"2.0"}.Text());
    WriteInstalled("1.0", {RefusingUrl("/down/version.ini"), server.Url("/good/version.ini")});
    EXPECT_EQ(Check(), kNewVersionOffered);
    EXPECT_EQ(serverFile, data / "version.ini");

    WriteInstalled("1.0", {server.Url("/gone/version.ini"), server.Url("/good/version.ini")});
    EXPECT_EQ(Check(), kNewVersionOffered);
    EXPECT_EQ(server.Requests(), (std::vector<std::string>{"/good/version.ini", "/gone/version.ini",
                                                           "/good/version.ini"}));

    // Nothing but error pages and addresses that cannot be a file name.
    WriteInstalled("1.0", {server.Url("/gone/version.ini"), server.Url("/dir/"), "", "nonsense"});
    EXPECT_EQ(Check(), kNoDescription);
    EXPECT_TRUE(serverFile.empty());
}

TEST_F(VersionCheck, NoAddressWithoutServerFileZero) {
    server.Serve("/version.ini", Description{"9.0"}.Text());
    WriteInstalled("1.0", {"", server.Url("/version.ini")});
    EXPECT_EQ(Check(), kNoDescription);
    EXPECT_TRUE(server.Requests().empty());
    std::filesystem::remove(Installed());
    EXPECT_EQ(Check(), kNoDescription);
}

class InstallerDownload : public UpdateFixture {
  protected:
    // Serves the description and returns its local copy's path, as the check
    // leaves it.
    std::filesystem::path Described(const Description& description) {
        const auto file = data / "update.ini";
        WriteText(file, description.Text());
        return file;
    }
    InstallerOutcome Fetch(const Description& description, std::string key) {
        installer.clear();
        return DownloadInstaller(Described(description), installer, {{}, std::move(key)});
    }
    bool Download(const Description& description) {
        return Fetch(description, TestKey()) == InstallerOutcome::Good;
    }
    std::filesystem::path installer;
};

TEST_F(InstallerDownload, SizeMustMatchAsTextOrTheNextAddressIsTried) {
    const std::string body(123, 'x');
    ServeSigned("/short/setup.exe", std::string(124, 'y'));
    ServeSigned("/ok/setup.exe", body);
    EXPECT_TRUE(Download({"2.0", {server.Url("/ok/setup.exe")}, "123"}));
    EXPECT_EQ(installer, data / "setup.exe");
    EXPECT_EQ(ReadFileBytes(installer), body);

    EXPECT_TRUE(Download({"2.0",
                          {RefusingUrl("/setup.exe"), server.Url("/short/setup.exe"),
                           server.Url("/missing/setup.exe"), server.Url("/ok/setup.exe")},
                          "123"}));
    EXPECT_EQ(ReadFileBytes(installer), body);

    EXPECT_FALSE(Download({"2.0", {server.Url("/ok/setup.exe")}, "0123"})) << "text, not number";
    EXPECT_EQ(Fetch({"2.0", {server.Url("/short/setup.exe")}, "123"}, TestKey()),
              InstallerOutcome::NoneGood);
    EXPECT_TRUE(installer.empty());
    EXPECT_FALSE(Download({"2.0", {}, "123"}));
}

TEST_F(InstallerDownload, WithoutASizeTheFileMustCarryAVersionResource) {
    ServeSigned("/pe/setup.exe", MakeTinyPe({FileVersion{2, 0, 0, 0}}));
    ServeSigned("/bare/setup.exe", MakeTinyPe({std::nullopt}));
    ServeSigned("/text/setup.exe", "just text");
    EXPECT_TRUE(Download({"2.0", {server.Url("/pe/setup.exe")}}));
    EXPECT_FALSE(Download({"2.0", {server.Url("/text/setup.exe")}}));
    EXPECT_FALSE(Download({"2.0", {server.Url("/bare/setup.exe")}}));
    EXPECT_TRUE(Download({"2.0", {server.Url("/bare/setup.exe"), server.Url("/pe/setup.exe")}}));
}

TEST_F(InstallerDownload, AGivenSha256MustMatchAsWell) {
    const std::string body = "installer bytes";
    ServeSigned("/setup.exe", body);
    const std::string size = std::to_string(body.size());
    std::string digest = Sha256Hex(body);
    EXPECT_TRUE(Download({"2.0", {server.Url("/setup.exe")}, size, digest}));
    for (char& c : digest) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_TRUE(Download({"2.0", {server.Url("/setup.exe")}, size, digest})) << "any letter case";
    EXPECT_FALSE(Download({"2.0", {server.Url("/setup.exe")}, size, Sha256Hex("other bytes")}));
    EXPECT_FALSE(Download({"2.0", {server.Url("/setup.exe")}, size, "abc"}));
}

// Size and digest come from the same server as the installer: only the
// signature, made with a key the server never holds, says who made it.
TEST_F(InstallerDownload, OnlyAnInstallerSignedWithTheKeyIsGood) {
    const std::string body = "installer bytes", evil = "evil bytes here";
    const std::string size = std::to_string(body.size());
    ServeSigned("/signed/setup.exe", body);
    server.Serve("/unsigned/setup.exe", body);
    server.Serve("/stranger/setup.exe", body);
    server.Serve("/stranger/setup.exe.minisig", SignatureOf(body, &strangerKeys));
    // Another file of the same size under a true signature of the real one.
    // (Every other way a signature fails is minisign_test's: anything but
    // Valid refuses the copy alike.)
    server.Serve("/tampered/setup.exe", evil);
    server.Serve("/tampered/setup.exe.minisig", SignatureOf(body));

    EXPECT_EQ(Fetch({"2.0", {server.Url("/signed/setup.exe")}, size}, TestKey()),
              InstallerOutcome::Good);
    EXPECT_TRUE(std::filesystem::exists(data / "setup.exe.minisig"));
    for (const char* path : {"/unsigned/setup.exe", "/stranger/setup.exe", "/tampered/setup.exe"}) {
        EXPECT_EQ(Fetch({"2.0", {server.Url(path)}, size}, TestKey()), InstallerOutcome::Unsigned)
            << path;
        EXPECT_TRUE(installer.empty());
        EXPECT_FALSE(std::filesystem::exists(data / "setup.exe")) << path << ": not left to run";
        EXPECT_FALSE(std::filesystem::exists(data / "setup.exe.minisig")) << path;
    }
    // A refused copy does not end the search: the next address may be signed.
    EXPECT_EQ(
        Fetch({"2.0", {server.Url("/stranger/setup.exe"), server.Url("/signed/setup.exe")}, size},
              TestKey()),
        InstallerOutcome::Good);
    EXPECT_EQ(ReadFileBytes(installer), body);
    // Without a key of the test's, the release key decides: the test's
    // signature is not the release's.
    EXPECT_EQ(Fetch({"2.0", {server.Url("/signed/setup.exe")}, size}, ""),
              InstallerOutcome::Unsigned);
}

}  // namespace
}  // namespace harbrook::test
