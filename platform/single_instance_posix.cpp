// The claim is an flock() on "harbrook.lock"; requests travel over the
// unix-domain socket "harbrook.sock" beside it. The kernel drops the flock
// when the process dies, so a crashed instance never blocks the next start;
// its socket file is then stale and simply replaced.
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/single_instance.h"

namespace harbrook::platform {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr std::size_t kMaxRequestBytes = 1 << 20;
// A later start ends within a second, whatever the running instance does.
constexpr milliseconds kClientConnectWait{400};
constexpr milliseconds kClientAnswerWait{500};
constexpr milliseconds kServerReadWait{2000};
constexpr std::size_t kMaxClients = 64;  // connections being read at one time
constexpr char kAck = 'k';

// The socket path, or a short stand-in under /tmp when the data folder's
// path does not fit a sockaddr_un. Both sides derive the same name.
std::string SocketPath(const std::filesystem::path& folder) {
    const std::string path = (folder / "harbrook.sock").string();
    if (path.size() < sizeof(sockaddr_un{}.sun_path)) return path;
    std::uint64_t hash = 1469598103934665603ULL;  // FNV-1a
    for (unsigned char c : folder.string()) hash = (hash ^ c) * 1099511628211ULL;
    char name[80];
    std::snprintf(name, sizeof name, "/tmp/harbrook-%u-%016llx.sock",
                  static_cast<unsigned>(::getuid()), static_cast<unsigned long long>(hash));
    return name;
}

sockaddr_un Address(const std::string& path) {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, path.data(), std::min(path.size(), sizeof addr.sun_path - 1));
    return addr;
}

int Remaining(Clock::time_point until) {
    const auto left = std::chrono::duration_cast<milliseconds>(until - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Waits until fd is ready for the events or the deadline passes.
bool WaitReady(int fd, short events, Clock::time_point until) {
    while (true) {
        pollfd p{fd, events, 0};
        const int n = ::poll(&p, 1, Remaining(until));
        if (n > 0) return true;
        if (n == 0 || errno != EINTR) return false;
    }
}

bool SendAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// The connection of one request, kept open while its later start may wait
// for an answer. The confirmation goes first; an answer given before it
// waits for it. The answer ends with a NUL byte and the connection closes.
class SocketReply final : public SingleInstance::Reply::Channel {
  public:
    explicit SocketReply(int fd) : m_fd(fd) {}
    ~SocketReply() override {
        Answer({});
        if (m_fd >= 0) ::close(m_fd);
    }
    void Confirm() {
        std::lock_guard lock(m_mutex);
        m_confirmed = SendAll(m_fd, std::string_view(&kAck, 1));
        if (m_answered) Finish();
    }
    void Answer(std::string_view answer) override {
        std::lock_guard lock(m_mutex);
        if (m_answered) return;
        m_answered = true;
        m_answer.assign(answer);
        if (m_confirmed) Finish();
    }

  private:
    void Finish() {
        m_answer += '\0';
        // Never blocks: a later start that does not read loses its answer.
        (void)::send(m_fd, m_answer.data(), m_answer.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        ::close(m_fd);
        m_fd = -1;
    }

    std::mutex m_mutex;
    int m_fd;
    bool m_confirmed = false;
    bool m_answered = false;
    std::string m_answer;
};

}  // namespace

struct SingleInstance::Impl {
    int lockFd = -1;
    int listenFd = -1;
    int wakePipe[2] = {-1, -1};
    std::string socketPath;
    std::thread listener;
    std::mutex mutex;  // guards listener start and stop

    void Serve(const RequestHandler& handler);
};

SingleInstance::SingleInstance() : m_impl(std::make_unique<Impl>()) {}

SingleInstance::~SingleInstance() {
    StopListening();
    if (m_impl->listenFd >= 0) {
        ::close(m_impl->listenFd);
        ::unlink(m_impl->socketPath.c_str());
    }
    // The lock file itself stays: removing it would let a third start lock a
    // fresh file while a second still holds the old one.
    if (m_impl->lockFd >= 0) ::close(m_impl->lockFd);
}

SingleInstance::Claim SingleInstance::TryClaim(const std::filesystem::path& folder) {
    if (m_impl->lockFd >= 0) return Claim::First;
    const int fd = ::open((folder / "harbrook.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return Claim::Failed;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool taken = errno == EWOULDBLOCK;
        ::close(fd);
        return taken ? Claim::AlreadyRunning : Claim::Failed;
    }
    m_impl->lockFd = fd;
    // Bind at once, so a start that comes before Listen() queues on the
    // socket instead of finding nobody there.
    m_impl->socketPath = SocketPath(folder);
    ::unlink(m_impl->socketPath.c_str());  // left by an instance that died
    const int s = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_un addr = Address(m_impl->socketPath);
    if (s >= 0 && ::bind(s, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0 &&
        ::listen(s, 16) == 0) {
        m_impl->listenFd = s;
    } else if (s >= 0) {
        ::close(s);
    }
    return Claim::First;
}

bool SingleInstance::Listen(RequestHandler handler) {
    std::lock_guard lock(m_impl->mutex);
    if (m_impl->listenFd < 0 || m_impl->listener.joinable()) return false;
    if (::pipe2(m_impl->wakePipe, O_CLOEXEC) != 0) return false;
    m_impl->listener =
        std::thread([impl = m_impl.get(), handler = std::move(handler)] { impl->Serve(handler); });
    return true;
}

void SingleInstance::StopListening() {
    std::lock_guard lock(m_impl->mutex);
    if (!m_impl->listener.joinable()) return;
    const char wake = 1;
    while (::write(m_impl->wakePipe[1], &wake, 1) < 0 && errno == EINTR) {
    }
    m_impl->listener.join();
    ::close(m_impl->wakePipe[0]);
    ::close(m_impl->wakePipe[1]);
    m_impl->wakePipe[0] = m_impl->wakePipe[1] = -1;
}

// Clients are served side by side, each with its own short deadline, so that
// idle connections (anyone on this machine can open some) cannot hold up a
// later start's request.
void SingleInstance::Impl::Serve(const RequestHandler& handler) {
    struct Client {
        int fd;
        std::string request;
        Clock::time_point until;
    };
    std::vector<Client> clients;
    const auto drop = [&clients](std::size_t i) {
        ::close(clients[i].fd);
        clients.erase(clients.begin() + static_cast<std::ptrdiff_t>(i));
    };
    while (true) {
        std::vector<pollfd> fds{{listenFd, POLLIN, 0}, {wakePipe[0], POLLIN, 0}};
        auto next = Clock::time_point::max();
        for (const Client& c : clients) {
            fds.push_back({c.fd, POLLIN, 0});
            next = std::min(next, c.until);
        }
        const int timeout = clients.empty() ? -1 : std::max(Remaining(next), 1);
        if (::poll(fds.data(), fds.size(), timeout) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (fds[1].revents) break;
        // Clients first: their indices match fds[2...] until one is dropped.
        for (std::size_t i = clients.size(); i-- > 0;) {
            if (!fds[i + 2].revents) {
                if (Clock::now() >= clients[i].until) drop(i);
                continue;
            }
            char buffer[4096];
            const ssize_t n = ::recv(clients[i].fd, buffer, sizeof buffer, MSG_DONTWAIT);
            if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
            if (n > 0) {
                clients[i].request.append(buffer, static_cast<std::size_t>(n));
                if (clients[i].request.size() > kMaxRequestBytes) drop(i);
                continue;
            }
            if (n == 0) {  // the whole request is in: the reply owns the connection now
                auto reply = std::make_shared<SocketReply>(clients[i].fd);
                const std::string request = std::move(clients[i].request);
                clients.erase(clients.begin() + static_cast<std::ptrdiff_t>(i));
                handler(request, Reply(reply));
                reply->Confirm();
                continue;
            }
            drop(i);
        }
        if (fds[0].revents & POLLIN) {
            const int client = ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
            if (client >= 0) {
                if (clients.size() >= kMaxClients) drop(0);  // the oldest goes
                clients.push_back({client, {}, Clock::now() + kServerReadWait});
            }
        }
    }
    for (std::size_t i = clients.size(); i-- > 0;) drop(i);
}

DeliveryResult DeliverToRunningInstance(const std::filesystem::path& folder,
                                        std::string_view request, DeliveryFailure* why,
                                        std::string* answer) {
    const auto fail = [why](DeliveryResult result, DeliveryProblem problem, long code) {
        if (why) *why = {problem, code};
        return result;
    };
    const std::string path = SocketPath(folder);
    const sockaddr_un addr = Address(path);
    // The running instance may be between its claim and its bind: try again
    // for a moment before giving up.
    const auto connectUntil = Clock::now() + kClientConnectWait;
    int fd = -1;
    while (true) {
        fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0) return fail(DeliveryResult::NoInstance, DeliveryProblem::NoChannel, errno);
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0) break;
        const int error = errno;
        ::close(fd);
        if ((error != ENOENT && error != ECONNREFUSED && error != EINTR) ||
            Clock::now() >= connectUntil) {
            return fail(DeliveryResult::NoInstance, DeliveryProblem::NotListening, error);
        }
        std::this_thread::sleep_for(milliseconds(50));
    }
    if (!SendAll(fd, request) || ::shutdown(fd, SHUT_WR) != 0) {
        const int error = errno;
        ::close(fd);
        return fail(DeliveryResult::NoAnswer, DeliveryProblem::NotWritten, error);
    }
    char ack = 0;
    const auto answerUntil = Clock::now() + kClientAnswerWait;
    ssize_t n = -1;
    while (WaitReady(fd, POLLIN, answerUntil)) {
        n = ::recv(fd, &ack, 1, 0);
        if (n >= 0 || errno != EINTR) break;
    }
    if (n != 1 || ack != kAck) {
        ::close(fd);
        return fail(DeliveryResult::NoAnswer, DeliveryProblem::NotConfirmed, 0);
    }
    if (answer) {
        // As long as the work takes; the connection ends with the instance.
        answer->clear();
        char buffer[256];
        while (true) {
            const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) break;
            const std::string_view part(buffer, static_cast<std::size_t>(got));
            const std::size_t end = part.find('\0');
            answer->append(part.substr(0, end));
            if (end != std::string_view::npos || answer->size() > kMaxRequestBytes) break;
        }
    }
    ::close(fd);
    return DeliveryResult::Delivered;
}

unsigned long LastForegroundGrant() {
    return 0;
}

}  // namespace harbrook::platform
