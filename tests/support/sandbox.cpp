#include "tests/support/sandbox.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <mutex>
#include <random>
#include <set>
#include <thread>
#include <vector>

#include "tests/support/sandbox_system.h"

namespace harbrook::test {
namespace {
std::string GetEnv(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}
void Restore(const char* name, const std::string& value) {
    if (value.empty())
        system::UnsetEnv(name);
    else
        system::SetEnv(name, value);
}
}  // namespace

Sandbox::Sandbox()
    : m_oldHome(GetEnv("HOME")),
      m_oldConfig(GetEnv("XDG_CONFIG_HOME")),
      m_oldData(GetEnv("XDG_DATA_HOME")) {
    m_root = system::MakeTempFolder();
    std::filesystem::create_directories(home());
    system::SetEnv("HOME", home().string());
    system::SetEnv("XDG_CONFIG_HOME", configHome().string());
    system::SetEnv("XDG_DATA_HOME", dataHome().string());
    system::ClearOutsideSettings();
    system::PointUserDataFolderAt(dataHome());
}

Sandbox::~Sandbox() {
    system::RestoreUserDataFolder();
    system::ClearOutsideSettings();
    Restore("HOME", m_oldHome);
    Restore("XDG_CONFIG_HOME", m_oldConfig);
    Restore("XDG_DATA_HOME", m_oldData);
    std::error_code ec;
    std::filesystem::permissions(m_root, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(m_root, ec);
}

std::filesystem::path Sandbox::appData() const {
    return dataHome() / "Orvanta Lab" / "Harbrook" / "";
}

void SetEnv(const char* name, const std::string& value) {
    system::SetEnv(name, value);
}

void UnsetEnv(const char* name) {
    system::UnsetEnv(name);
}

ClearedEnv::ClearedEnv(std::initializer_list<const char*> names) {
    for (const char* name : names) {
        const char* value = std::getenv(name);
        m_saved.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
        UnsetEnv(name);
    }
}

ClearedEnv::~ClearedEnv() {
    for (const auto& [name, value] : m_saved) value ? SetEnv(name, *value) : UnsetEnv(name);
}

std::chrono::milliseconds TimeTaken(const std::function<void()>& action) {
    const auto start = std::chrono::steady_clock::now();
    action();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start);
}

bool WaitFor(const std::function<bool()>& predicate, std::chrono::milliseconds deadline) {
    const auto until = std::chrono::steady_clock::now() + deadline;
    while (!predicate()) {
        if (std::chrono::steady_clock::now() >= until) return predicate();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

void WritePatternFile(const std::filesystem::path& file, std::uintmax_t size, unsigned seed) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    std::vector<char> block(64 * 1024);
    std::uint32_t x = seed * 2654435761u + 1;
    for (std::uintmax_t done = 0; done < size;) {
        const std::size_t n =
            static_cast<std::size_t>(std::min<std::uintmax_t>(block.size(), size - done));
        for (std::size_t i = 0; i < n; ++i) {
            x = x * 1664525u + 1013904223u;
            block[i] = static_cast<char>(x >> 24);
        }
        out.write(block.data(), static_cast<std::streamsize>(n));
        done += n;
    }
}

std::string ReadFileBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

namespace {

// Picks ports below the system's range for outgoing connections, at random
// so that test programs running side by side seldom meet, never one the
// program uses by default (a Harbrook running here is left alone) and never
// one this process handed out before.
class PortPicker {
  public:
    std::vector<int> Pick(int count, bool consecutive) {
        std::lock_guard lock(m_mutex);
        std::uniform_int_distribution<int> pick(20000, 31999 - count);
        std::vector<int> ports;
        for (int attempt = 0; attempt < 10000 && int(ports.size()) < count; ++attempt) {
            if (consecutive) {
                ports.clear();
                for (int port = pick(m_random); int(ports.size()) < count && Usable(port); ++port)
                    ports.push_back(port);
            } else if (const int port = pick(m_random); Usable(port)) {
                m_taken.insert(port);
                ports.push_back(port);
            }
        }
        if (int(ports.size()) < count) return {};
        m_taken.insert(ports.begin(), ports.end());
        return ports;
    }

  private:
    bool Usable(int port) const { return !m_taken.count(port) && system::TcpPortIsFree(port); }

    std::mutex m_mutex;
    std::mt19937 m_random{system::ProcessId() * 7919u +
                          static_cast<unsigned>(std::random_device{}())};
    std::set<int> m_taken = [] {
        const PortPlan d;
        std::set<int> taken{d.beacon, d.disconnectNotice, d.send, d.userDisconnect};
        for (const PortList* list : {&d.pairing, &d.monitor, &d.backup})
            taken.insert(list->begin(), list->end());
        return taken;
    }();
};

PortPicker& Picker() {
    static PortPicker picker;
    return picker;
}

}  // namespace

std::vector<int> FreePorts(int count) {
    return Picker().Pick(count, false);
}

int FreePortRun(int count) {
    const auto ports = Picker().Pick(count, true);
    return ports.empty() ? 0 : ports.front();
}

Timing FastTiming(std::chrono::milliseconds transferReceive) {
    using ms = std::chrono::milliseconds;
    Timing t;
    t.connectedCheck = ms(20);
    t.monitorWindow = ms(200);
    t.monitorBindRetry = ms(100);
    t.detectionIdle = ms(50);
    t.detectionReply = ms(500);
    t.disconnectReply = ms(500);
    t.transferReceive = transferReceive;
    t.backupIdleRetry = ms(20);
    t.insufficientPause = ms(100);
    t.linger = ms(300);
    t.monitorLinger = ms(200);
    t.scanReconnect = ms(100);
    t.scanReconnectMax = ms(400);
    t.pairingCheck = ms(50);
    return t;
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

}  // namespace harbrook::test
