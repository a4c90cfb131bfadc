#include "tests/link/link_fixture.h"

#include <random>
#include <set>

#include "core/settings_store.h"
#include "tests/support/sandbox_system.h"
#include "tools/phone/phone_requests.h"

namespace harbrook::test {
namespace {

bool PortIsFree(int port) {
    return system::TcpPortIsFree(port);
}

}  // namespace

std::vector<int> PickFreePorts(std::size_t count) {
    // Below the ephemeral range, and random, so that test programs running
    // side by side seldom meet.
    static std::mt19937 random(system::ProcessId() * 7919u +
                               static_cast<unsigned>(std::random_device{}()));
    std::uniform_int_distribution<int> pick(20000, 31999);
    const std::set<int> documented{5392,  16328, 24635, 6392,  15328, 23635, 7392,
                                   17328, 25635, 24639, 24640, 4358,  13965};
    std::set<int> chosen;
    std::vector<int> ports;
    while (ports.size() < count) {
        const int port = pick(random);
        if (documented.count(port) || chosen.count(port) || !PortIsFree(port)) continue;
        chosen.insert(port);
        ports.push_back(port);
    }
    return ports;
}

PortPlan FreePortPlan() {
    const auto p = PickFreePorts(13);
    PortPlan plan;
    plan.pairing = {p[0], p[1], p[2]};
    plan.monitor = {p[3], p[4], p[5]};
    plan.backup = {p[6], p[7], p[8]};
    plan.beacon = p[9];
    plan.disconnectNotice = p[10];
    plan.send = p[11];
    plan.userDisconnect = p[12];
    return plan;
}

Timing FastTiming() {
    using ms = std::chrono::milliseconds;
    Timing t;
    t.connectedCheck = ms(20);
    t.monitorWindow = ms(200);
    t.monitorBindRetry = ms(100);
    t.detectionIdle = ms(50);
    t.detectionReply = ms(500);
    t.disconnectReply = ms(500);
    t.linger = ms(200);
    t.monitorLinger = ms(200);
    t.scanReconnect = ms(100);
    t.scanReconnectMax = ms(400);
    return t;
}

bool CountingFolders::PrepareBackupFolders(std::int64_t neededBytes) {
    m_lastNeed = neededBytes;
    ++m_calls;
    return true;
}

LinkTest::LinkTest(Timing timing)
    : plan(FreePortPlan()), link(frontend, folders, plan, timing), qr(frontend) {
    link.pairingCode = &qr;
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
    const auto start = std::chrono::steady_clock::now();
    link.stop.RequestStop();
    for (Running& r : m_running)
        if (r.thread.joinable()) r.thread.join();
    m_running.clear();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1))
        << "the link workers took too long to stop";
}

phone::PhoneProfile LinkTest::MakePhone(const std::string& id, const std::string& address) {
    phone::PhoneProfile phone;
    phone.name = "Phone " + id;
    phone.id = id;
    phone.routingId = "r-" + id;
    phone.address = address;
    phone.beaconPort = plan.beacon;
    phone.detectPort = PickFreePorts(1)[0];
    phone.noticePort = plan.disconnectNotice;
    phone.userDisconnectPort = plan.userDisconnect;
    return phone;
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
    ASSERT_TRUE(WaitFor([&] {
        std::string id;
        link.state.GetConnectedPhoneId(id);
        return link.state.IsConnected() && id == phone.id;
    }));
}

std::string LinkTest::PcId() const {
    std::string id;
    CSettingsStore().GetPcId(id);
    return id;
}

}  // namespace harbrook::test
