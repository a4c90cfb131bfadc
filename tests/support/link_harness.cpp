#include "tests/support/link_harness.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace harbrook::test {

std::vector<int> FreePorts(int count) {
    std::vector<int> fds, ports;
    for (int i = 0; i < count; ++i) {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_ANY);
        socklen_t len = sizeof addr;
        if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
            ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
            throw std::runtime_error("cannot find a free port");
        fds.push_back(fd);
        ports.push_back(ntohs(addr.sin_port));
    }
    for (int fd : fds) ::close(fd);
    return ports;
}

PortPlan FreePortPlan() {
    const auto p = FreePorts(13);
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
    t.monitorWindow = ms(150);
    t.monitorBindRetry = ms(50);
    t.detectionIdle = ms(50);
    t.detectionReply = ms(1000);
    t.disconnectReply = ms(500);
    t.transferReceive = ms(2000);
    t.backupIdleRetry = ms(20);
    t.insufficientPause = ms(100);
    t.linger = ms(200);
    t.monitorLinger = ms(200);
    t.scanReconnect = ms(100);
    t.scanReconnectMax = ms(200);
    return t;
}

LinkHarness::LinkHarness(PortPlan plan, Timing timing, BackupFolderPreparer* folders)
    : link(frontend, folders ? *folders : countingFolders, plan, timing) {}

LinkHarness::~LinkHarness() {
    Stop();
}

void LinkHarness::Start(void (*worker)(LinkContext&)) {
    m_threads.emplace_back([this, worker] { worker(link); });
}

void LinkHarness::Start(std::function<void(LinkContext&)> worker) {
    m_threads.emplace_back([this, worker = std::move(worker)] { worker(link); });
}

std::chrono::milliseconds LinkHarness::Stop() {
    const auto start = std::chrono::steady_clock::now();
    link.stop.RequestStop();
    for (auto& t : m_threads)
        if (t.joinable()) t.join();
    m_threads.clear();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start);
}

}  // namespace harbrook::test
