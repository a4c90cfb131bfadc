#include <arpa/inet.h>
#include <netinet/in.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <stdexcept>

#include "tests/support/sandbox_system.h"

namespace harbrook::test::system {

void SetEnv(const char* name, const std::string& value) {
    ::setenv(name, value.c_str(), 1);
}

void UnsetEnv(const char* name) {
    ::unsetenv(name);
}

std::filesystem::path MakeTempFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "harbrook-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    return pattern;
}

void ClearOutsideSettings() {}
void PointUserDataFolderAt(const std::filesystem::path&) {}
void RestoreUserDataFolder() {}

unsigned ProcessId() {
    return static_cast<unsigned>(::getpid());
}

bool TcpPortIsFree(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return false;
    const int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    const bool free = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return free;
}

bool WriteToLoopbackPort(int port, const std::string& bytes) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    bool written = false;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
        written = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    ::close(fd);
    return written;
}

}  // namespace harbrook::test::system
