// The reminder and the update check as the application runs them at start:
// the reminder once a day at most, and a whole update round against a web
// server on 127.0.0.1, from the question to the started stand-in installer,
// which starts only when it is signed with the key.
#include <atomic>

#include "app/application.h"
#include "app/options.h"
#include "link/endpoints.h"
#include "tests/support/recorder_frontend.h"
#include "tests/update/update_fixture.h"

namespace harbrook::test {
namespace {

using namespace std::chrono_literals;

const std::string kStandIn =
    "#!/bin/sh\n"
    "printf '%s\\n' \"$@\" > \"$(dirname \"$0\")/installer-arguments.txt\"\n";

class StartUp : public UpdateFixture {
  protected:
    StartUp() { SetLocalAddressOverride("127.0.0.1"); }
    std::unique_ptr<Application> Start(RecorderFrontend& ui) {
        const int base = FreePortRun(kPortsInPlan);
        EXPECT_NE(base, 0);
        AppSettings settings{PortPlanFromBase(base), QuickTiming(), {}};
        settings.dataFolder = data;
        settings.programFolder = program;
        settings.updateDelay = 50ms;
        settings.updateKey = TestKey();
        auto app = std::make_unique<Application>(ui, settings);
        app->Start();
        return app;
    }
    // Makes the check due at any date: an unreadable date is never moved.
    void CheckIsDue() { WriteText(data / "update_config.ini", "[harbrook]\r\ndate=40.1\r\n"); }
    // The stand-in installer, signed with the test's key.
    void OfferVersion(const std::string& version) {
        OfferInstaller(version, kStandIn, SignatureOf(kStandIn));
    }
    void OfferInstaller(const std::string& version, const std::string& installer,
                        const std::string& signature) {
        server.Serve("/harbrook/update.ini",
                     Description{version,
                                 {server.Url("/harbrook/harbrook-setup.sh")},
                                 std::to_string(installer.size()),
                                 "",
                                 "/S \"/D=two words\""}
                         .Text());
        server.Serve("/harbrook/harbrook-setup.sh", installer);
        if (!signature.empty()) server.Serve("/harbrook/harbrook-setup.sh.minisig", signature);
        WriteInstalled("0.1.0", {server.Url("/harbrook/update.ini")});
    }
};

TEST_F(StartUp, TheReminderShowsAtTheFirstStartAndNotAgainThatDay) {
    RecorderFrontend ui;
    Start(ui)->Stop();
    EXPECT_EQ(ui.reminders, 1);
    Start(ui)->Stop();
    EXPECT_EQ(ui.reminders, 1);
}

TEST_F(StartUp, AnAgreedUpdateIsDownloadedAndItsInstallerStarted) {
    CheckIsDue();
    OfferVersion("0.2.0");
    RecorderFrontend ui;
    auto app = Start(ui);
    const auto arguments = data / "installer-arguments.txt";
    ASSERT_TRUE(WaitFor([&] { return !ReadFileBytes(arguments).empty(); }));
    app->Stop();
    EXPECT_EQ(ReadFileBytes(arguments), "/S\n/D=two words\n") << "parameters split as Windows does";
    ASSERT_EQ(ui.questions().size(), 1u);
    EXPECT_EQ(ui.questions()[0],
              "New version of Harbrook is available. Do you want to download and install it?");
    EXPECT_TRUE(std::filesystem::exists(data / "update.ini"));
    EXPECT_EQ(ReadFileBytes(data / "harbrook-setup.sh"), kStandIn);
}

// An installer the key did not sign (every kind of bad signature is
// tests/update's InstallerDownload): not started, and the user, who agreed
// to the update, is told why.
TEST_F(StartUp, AnInstallerWithoutTheKeysSignatureIsNotStartedAndTheUserIsTold) {
    CheckIsDue();
    OfferInstaller("0.2.0", kStandIn, SignatureOf(kStandIn, &strangerKeys));
    RecorderFrontend ui;
    auto app = Start(ui);
    ASSERT_TRUE(WaitFor([&] { return !ui.messages().empty(); }));
    app->Stop();
    EXPECT_EQ(ui.questions().size(), 1u);
    EXPECT_EQ(ui.messages(),
              std::vector<std::string>{"The update was not installed: its signature could not be "
                                       "verified, so the download may not come from Harbrook. "
                                       "Nothing was started."});
    EXPECT_FALSE(std::filesystem::exists(data / "installer-arguments.txt")) << "not run";
    EXPECT_FALSE(std::filesystem::exists(data / "harbrook-setup.sh")) << "not left to run";
}

TEST_F(StartUp, NoQuestionWithoutANewerVersionAndNoDownloadOnCancel) {
    CheckIsDue();
    OfferVersion("0.1.0");
    RecorderFrontend ui;
    auto app = Start(ui);
    ASSERT_TRUE(WaitFor([&] { return server.Requests().size() == 1; }));
    app->Stop();
    EXPECT_TRUE(ui.questions().empty());

    OfferVersion("0.1.1");
    ui.answerOk = false;
    app = Start(ui);
    ASSERT_TRUE(WaitFor([&] { return ui.questions().size() == 1; }));
    app->Stop();
    EXPECT_FALSE(std::filesystem::exists(data / "harbrook-setup.sh"));
}

TEST_F(StartUp, StopEndsTheWaitBeforeTheCheck) {
    CheckIsDue();
    OfferVersion("0.2.0");
    RecorderFrontend ui;
    const int base = FreePortRun(kPortsInPlan);
    AppSettings settings{PortPlanFromBase(base), QuickTiming(), {}};
    settings.dataFolder = data;
    settings.programFolder = program;  // the two minutes of production
    Application app(ui, settings);
    app.Start();
    EXPECT_LT(TimeTaken([&] { app.Stop(); }), kStopDeadline);
    EXPECT_TRUE(server.Requests().empty());
}

}  // namespace
}  // namespace harbrook::test
