#include "tests/app/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

#include "tests/support/sandbox.h"

extern char** environ;

namespace harbrook::test {

ChildProcess::ChildProcess(const std::filesystem::path& program, std::vector<std::string> args,
                           const std::filesystem::path& folder, const std::string& tag)
    : m_out(folder / (tag + ".out")), m_err(folder / (tag + ".err")) {
    std::vector<char*> argv;
    std::string name = program.string();
    argv.push_back(name.data());
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, m_out.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, m_err.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (posix_spawn(&m_pid, name.c_str(), &actions, nullptr, argv.data(), environ) != 0) m_pid = -1;
    posix_spawn_file_actions_destroy(&actions);
}

ChildProcess::~ChildProcess() {
    if (m_pid > 0 && !m_status) {
        ::kill(m_pid, SIGKILL);
        Wait(std::chrono::seconds(5));
    }
}

std::string ChildProcess::Out() const {
    return ReadFileBytes(m_out);
}
std::string ChildProcess::Err() const {
    return ReadFileBytes(m_err);
}

bool ChildProcess::WaitForOutput(const std::string& text, std::chrono::milliseconds deadline,
                                 int times) const {
    return WaitFor([&] { return Count(Out(), text) >= static_cast<std::size_t>(times); }, deadline);
}

void ChildProcess::Signal(int signal) const {
    if (m_pid > 0 && !m_status) ::kill(m_pid, signal);
}

std::optional<int> ChildProcess::Wait(std::chrono::milliseconds deadline) {
    if (m_status || m_pid <= 0) return m_status;
    WaitFor(
        [&] {
            int status = 0;
            if (::waitpid(m_pid, &status, WNOHANG) != m_pid) return false;
            m_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            return true;
        },
        deadline);
    return m_status;
}

Finished RunToEnd(const std::filesystem::path& program, std::vector<std::string> args,
                  const std::filesystem::path& folder, const std::string& tag,
                  std::chrono::milliseconds deadline) {
    ChildProcess child(program, std::move(args), folder, tag);
    Finished result;
    result.status = child.Wait(deadline).value_or(-1);
    result.out = child.Out();
    result.err = child.Err();
    return result;
}

std::size_t Count(const std::string& haystack, const std::string& needle) {
    std::size_t n = 0;
    for (auto at = haystack.find(needle); at != std::string::npos;
         at = haystack.find(needle, at + needle.size()))
        ++n;
    return n;
}

}  // namespace harbrook::test
