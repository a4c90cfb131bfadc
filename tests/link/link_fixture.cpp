#include "tests/link/link_fixture.h"

#include "core/settings_store.h"
#include "tests/support/sandbox_system.h"
#include "tools/phone/phone_requests.h"

namespace harbrook::test {

bool CountingFolders::PrepareBackupFolders(std::int64_t neededBytes) {
    m_lastNeed = neededBytes;
    ++m_calls;
    return true;
}

LinkTest::LinkTest(Timing timing, const Clock& clock)
    : plan(FreePortPlan()), link(frontend, folders, plan, timing, clock), qr(frontend) {
    link.pairingCode = &qr;
    link.pairingWindow.CodeShown();
}

LinkTest::~LinkTest() {
    StopAll();
}

void LinkTest::Start(Worker worker) {
    auto ended = std::make_shared<std::atomic<bool>>(false);
    m_running.push_back({worker, ended, std::jthread([this, worker, ended] {
                             worker(link);
                             ended->store(true);
                         })});
}

bool LinkTest::Ended(Worker worker) const {
    for (const Running& r : m_running)
        if (r.worker == worker) return r.ended->load();
    return false;
}

void LinkTest::StopAll() {
    EXPECT_LT(TimeTaken([&] {
                  link.stop.RequestStop();
                  for (Running& r : m_running)
                      if (r.thread.joinable()) r.thread.join();
              }),
              kStopDeadline)
        << "the link workers took too long to stop";
    m_running.clear();
}

phone::PhoneProfile LinkTest::MakePhone(const std::string& id, const std::string& address) {
    phone::PhoneProfile phone;
    phone.name = "Phone " + id;
    phone.id = id;
    phone.routingId = "r-" + id;
    phone.address = address;
    // Elsewhere on loopback its connections must say where they come from;
    // for 127.0.0.1 the system's own choice already does.
    if (address != "127.0.0.1") phone.sourceAddress = address;
    phone.beaconPort = plan.beacon;
    phone.detectPort = FreePorts(1)[0];
    phone.noticePort = plan.disconnectNotice;
    phone.userDisconnectPort = plan.userDisconnect;
    return phone;
}

void LinkTest::RecordPaired(const phone::PhoneProfile& phone) {
    CSettingsStore settings;
    settings.SavePhoneValue(phone.id, CSettingsStore::kPhoneIdValue, phone.id);
    settings.SavePhoneValue(phone.id, CSettingsStore::kPhoneNameValue, phone.name);
    const std::string& from = phone.sourceAddress.empty() ? phone.address : phone.sourceAddress;
    settings.SavePhoneValue(phone.id, CSettingsStore::kPhoneAddressValue, from);
}

std::string LinkTest::PairingText() const {
    const int port = link.pairingPort.load();
    return port ? "127.0.0.1:" + std::to_string(port) : std::string();
}

std::string LinkTest::AwaitPairingText() {
    EXPECT_TRUE(WaitFor([&] { return !PairingText().empty(); }));
    return PairingText();
}

void LinkTest::PairPhone(const phone::PhoneProfile& phone) {
    const auto reply = phone::Pair(phone, AwaitPairingText());
    ASSERT_TRUE(reply.has_value()) << "no pairing reply";
    ASSERT_TRUE(WaitFor([&] { return ConnectedAs(phone.id); }));
}

std::string LinkTest::PcId() const {
    std::string id;
    CSettingsStore().GetPcId(id);
    return id;
}

bool LinkTest::ConnectedAs(const std::string& id, const std::string& address) const {
    std::string connected;
    link.state.GetConnectedPhoneId(connected);
    return link.state.IsConnected() && connected == id &&
           (address.empty() || link.state.PhoneAddress() == address);
}

bool LinkTest::StartMonitor() {
    Start(ConnectionMonitorThread);
    return WaitFor([&] { return link.monitorPort.load() != 0; });
}

}  // namespace harbrook::test
