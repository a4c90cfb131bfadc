// Runs the harbrook and harbrook-phone executables for the tests: output
// into files that the test reads while they run, a deadline on every wait.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace harbrook::test {

class ChildProcess {
  public:
    // Starts `program` with the arguments; stdout and stderr go to files in
    // `folder` named after `tag`. The environment is the test's own (the
    // Sandbox's HOME and XDG folders).
    ChildProcess(const std::filesystem::path& program, std::vector<std::string> args,
                 const std::filesystem::path& folder, const std::string& tag);
    ~ChildProcess();  // kills what still runs
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return m_pid > 0; }
    std::string Out() const;
    std::string Err() const;
    // Waits until stdout holds the text (`times` occurrences).
    bool WaitForOutput(const std::string& text, std::chrono::milliseconds deadline,
                       int times = 1) const;
    void Signal(int signal) const;
    // The exit status, or nothing when it has not ended by the deadline.
    std::optional<int> Wait(std::chrono::milliseconds deadline);

  private:
    pid_t m_pid = -1;
    std::optional<int> m_status;
    std::filesystem::path m_out, m_err;
};

// Runs to the end (at most `deadline`) and gives the status, -1 on time-out.
struct Finished {
    int status = -1;
    std::string out, err;
};
Finished RunToEnd(const std::filesystem::path& program, std::vector<std::string> args,
                  const std::filesystem::path& folder, const std::string& tag,
                  std::chrono::milliseconds deadline = std::chrono::seconds(20));

std::size_t Count(const std::string& haystack, const std::string& needle);

}  // namespace harbrook::test
