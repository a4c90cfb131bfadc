#include "tests/support/sandbox.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>
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

int FreePortRun(int count) {
    std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<int> pick(20000, 60000 - count);
    for (int attempt = 0; attempt < 200; ++attempt) {
        const int base = pick(random);
        bool free = true;
        for (int port = base; port < base + count && free; ++port)
            free = system::TcpPortIsFree(port);
        if (free) return base;
    }
    return 0;
}

}  // namespace harbrook::test
