// The application object in process: the workers it starts, requests of a
// later start, and a quick, clean stop.
#include "app/application.h"

#include <gtest/gtest.h>

#include <atomic>

#include "app/instance_request.h"
#include "app/options.h"
#include "link/endpoints.h"
#include "platform/profile.h"
#include "tests/support/recorder_frontend.h"
#include "tests/support/sandbox.h"
#include "update/date_records.h"

namespace harbrook::test {
namespace {

using namespace std::chrono_literals;

TEST(ApplicationTest, StartsTheWorkersServesRequestsAndStopsWithinASecond) {
    Sandbox sandbox;
    SetLocalAddressOverride("127.0.0.1");
    const int base = FreePortRun(kPortsInPlan);
    ASSERT_NE(base, 0);
    RecorderFrontend ui;
    AppSettings settings{PortPlanFromBase(base), QuickTiming(), sandbox.root() / "history.txt"};
    auto app = std::make_unique<Application>(ui, settings);
    app->Start();
    app->Start();  // once only

    // The pairing server is up and the code shows its port.
    ASSERT_TRUE(WaitFor([&] {
        return ui.qrTexts().size() > 0 &&
               ui.qrTexts().back() == "127.0.0.1:" + std::to_string(base);
    }));
    EXPECT_TRUE(std::filesystem::exists(ui.qrBitmap()));
    // The backup receiver and the monitor have bound their first ports.
    EXPECT_TRUE(WaitFor(
        [&] { return app->Link().backupPort == base + 6 && app->Link().monitorPort == base + 3; }));

    app->HandleRequest(EncodeRequest({}));
    EXPECT_EQ(ui.opened, 1);
    app->HandleRequest("something newer");  // ignored
    EXPECT_EQ(ui.opened, 1);
    app->HandleRequest(EncodeRequest({InstanceRequest::Kind::Send, {sandbox.root() / "x.txt"}}));
    ASSERT_EQ(ui.messages().size(), 1u);  // no phone: refused at once
    EXPECT_NE(ui.messages()[0].find("You need to connect your phone"), std::string::npos);

    // The user's disconnect, as a later start hands it over.
    app->Link().state.SetConnectionState(true, "Pixel", "id", "127.0.0.1");
    // A connection restarts the backup reminder's count of days.
    EXPECT_EQ(platform::ReadProfileString(sandbox.appData() / kProgramConfigFile, kConfigSection,
                                          kShowDateKey, "none", 100),
              FormatDateText());
    app->HandleRequest(EncodeRequest({InstanceRequest::Kind::Disconnect, {}}));
    EXPECT_TRUE(WaitFor([&] { return !app->Link().state.IsConnected(); }));
    EXPECT_TRUE(app->Link().state.IsDisconnectRequested());

    const auto changes = ui.stateChanges().size();
    EXPECT_LT(TimeTaken([&] { app->Stop(); }), kStopDeadline);
    // Nothing reaches the front end any more, and the object can go.
    app->Link().state.SetConnectionState(true, "late", "id", "127.0.0.1");
    EXPECT_EQ(ui.stateChanges().size(), changes);
    EXPECT_FALSE(app->SendFiles({sandbox.root() / "x.txt"}));
    app.reset();
    SetLocalAddressOverride("");
}

}  // namespace
}  // namespace harbrook::test
