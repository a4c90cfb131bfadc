// Test fixtures: a private temporary HOME/XDG tree per test, removed at the
// end, and waiting on conditions with a deadline instead of sleeping.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>

namespace harbrook::test {

class Sandbox {
  public:
    Sandbox();
    ~Sandbox();
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;

    const std::filesystem::path& root() const { return m_root; }
    std::filesystem::path home() const { return m_root / "home"; }
    std::filesystem::path configHome() const { return m_root / "config"; }
    std::filesystem::path dataHome() const { return m_root / "data"; }
    // <data>/Orvanta Lab/Harbrook/
    std::filesystem::path appData() const;
    std::filesystem::path hiveFile() const { return configHome() / "harbrook" / "registry.hive"; }

  private:
    std::filesystem::path m_root;
    std::string m_oldHome, m_oldConfig, m_oldData;
};

// Sets or removes an environment variable of this process.
void SetEnv(const char* name, const std::string& value);
void UnsetEnv(const char* name);

// Polls the predicate until it holds or the deadline passes.
bool WaitFor(const std::function<bool()>& predicate,
             std::chrono::milliseconds deadline = std::chrono::seconds(10));

// A run of `count` consecutive TCP ports that are free on this machine now;
// 0 when none was found.
int FreePortRun(int count);

// Writes `size` bytes of a repeatable pattern to the file.
void WritePatternFile(const std::filesystem::path& file, std::uintmax_t size, unsigned seed = 1);
std::string ReadFileBytes(const std::filesystem::path& file);

}  // namespace harbrook::test
