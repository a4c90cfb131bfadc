#include "tests/support/sandbox.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

namespace harbrook::test {
namespace {
std::string GetEnv(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}
void Restore(const char* name, const std::string& value) {
    if (value.empty()) ::unsetenv(name);
    else ::setenv(name, value.c_str(), 1);
}
}  // namespace

Sandbox::Sandbox()
    : m_oldHome(GetEnv("HOME")), m_oldConfig(GetEnv("XDG_CONFIG_HOME")),
      m_oldData(GetEnv("XDG_DATA_HOME")) {
    std::string pattern = (std::filesystem::temp_directory_path() / "harbrook-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    m_root = pattern;
    std::filesystem::create_directories(home());
    ::setenv("HOME", home().c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", configHome().c_str(), 1);
    ::setenv("XDG_DATA_HOME", dataHome().c_str(), 1);
}

Sandbox::~Sandbox() {
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
        const std::size_t n = static_cast<std::size_t>(std::min<std::uintmax_t>(block.size(), size - done));
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

}  // namespace harbrook::test
