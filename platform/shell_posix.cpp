#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <thread>
#include <vector>

#include "platform/shell.h"

extern char** environ;

namespace harbrook::platform {
namespace {

// Blanks separate arguments; double quotes group blanks into one and are
// dropped, as a Windows command line reads.
std::vector<std::string> SplitParameters(const std::string& parameters) {
    std::vector<std::string> args;
    std::string current;
    bool inQuotes = false, pending = false;
    for (char c : parameters) {
        if (c == '"') {
            inQuotes = !inQuotes;
            pending = true;
        } else if ((c == ' ' || c == '\t') && !inQuotes) {
            if (pending) args.push_back(std::move(current));
            current.clear();
            pending = false;
        } else {
            current += c;
            pending = true;
        }
    }
    if (pending) args.push_back(std::move(current));
    return args;
}

}  // namespace

bool ShellOpen(const std::filesystem::path& file, const std::string& parameters) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    // A download arrives without the execute bit.
    if ((st.st_mode & S_IXUSR) == 0 && ::chmod(file.c_str(), st.st_mode | S_IXUSR) != 0) {
        return false;
    }
    std::vector<std::string> args = SplitParameters(parameters);
    std::string program = file.string();
    std::vector<char*> argv;
    argv.push_back(program.data());
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) {
        return false;
    }
    // Nobody waits for the program; this reaps it when it ends.
    std::thread([pid] {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return true;
}

}  // namespace harbrook::platform
