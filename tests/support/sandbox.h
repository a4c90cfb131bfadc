// Test fixtures: a private temporary HOME/XDG tree per test, removed at the
// end, and waiting on conditions with a deadline instead of sleeping.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "link/port_plan.h"

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

// Unsets the variables for as long as it lives, then gives them back the
// values they had.
class ClearedEnv {
  public:
    explicit ClearedEnv(std::initializer_list<const char*> names);
    ~ClearedEnv();
    ClearedEnv(const ClearedEnv&) = delete;
    ClearedEnv& operator=(const ClearedEnv&) = delete;

  private:
    std::vector<std::pair<const char*, std::optional<std::string>>> m_saved;
};

// What a stop, a quit or a refusal may take in a test: "about a second" by
// design, with room for a loaded or instrumented machine.
inline constexpr std::chrono::milliseconds kStopDeadline{2000};
// How long the action took.
std::chrono::milliseconds TimeTaken(const std::function<void()>& action);

// Polls the predicate until it holds or the deadline passes.
bool WaitFor(const std::function<bool()>& predicate,
             std::chrono::milliseconds deadline = std::chrono::seconds(10));

// TCP ports free on this machine now, none handed out twice in a process
// and none that Harbrook uses by default: `count` of them, a run of `count`
// consecutive ones (its first; 0 when none was found), or one for each port
// of a plan.
std::vector<int> FreePorts(int count);
int FreePortRun(int count);
PortPlan FreePortPlan();

// Short waits everywhere (heartbeat windows of 200 ms, quick retries), so
// that tests run fast; the receive time-out long enough for a sanitizer build.
Timing FastTiming(std::chrono::milliseconds transferReceive = std::chrono::milliseconds(3000));

// Writes `size` bytes of a repeatable pattern to the file.
void WritePatternFile(const std::filesystem::path& file, std::uintmax_t size, unsigned seed = 1);
std::string ReadFileBytes(const std::filesystem::path& file);

}  // namespace harbrook::test
