// The claim is the named mutex "KVHarbrook": creating it when it already
// exists (ERROR_ALREADY_EXISTS) means another instance runs. The auto-reset
// event "HarbrookShowEvent" wakes the running instance with "show yourself";
// requests with bytes in them travel over the named pipe beside it, as a
// little-endian 64-bit length followed by the bytes, and are confirmed with
// one byte. Names live in the session's own namespace, so they are per user
// session; the folder given to TryClaim plays no part here.
#include <windows.h>

#include <chrono>
#include <cstdint>
#include <mutex>
#include <thread>

#include "platform/single_instance.h"

namespace harbrook::platform {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr wchar_t kMutexName[] = L"KVHarbrook";
constexpr wchar_t kShowEventName[] = L"HarbrookShowEvent";
constexpr wchar_t kPipeName[] = L"\\\\.\\pipe\\HarbrookRequest";
constexpr std::uint64_t kMaxRequestBytes = 1 << 20;
// A later start ends within a second, whatever the running instance does.
constexpr milliseconds kClientConnectWait{400};
constexpr milliseconds kClientAnswerWait{500};
constexpr milliseconds kServerReadWait{2000};
constexpr char kAck = 'k';

class Handle {
  public:
    explicit Handle(HANDLE h = nullptr) : m_h(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    ~Handle() { Reset(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    void Reset(HANDLE h = nullptr) {
        if (m_h) CloseHandle(m_h);
        m_h = h == INVALID_HANDLE_VALUE ? nullptr : h;
    }
    HANDLE get() const { return m_h; }
    explicit operator bool() const { return m_h != nullptr; }

  private:
    HANDLE m_h;
};

DWORD Remaining(Clock::time_point until) {
    const auto left = std::chrono::duration_cast<milliseconds>(until - Clock::now()).count();
    return left > 0 ? static_cast<DWORD>(left) : 0;
}

// One overlapped read or write of exactly `size` bytes, or less when the
// stream ends (reads only). Gives up at the deadline or when `stop` is set.
bool Transfer(HANDLE pipe, bool write, char* data, std::size_t size, Clock::time_point until,
              HANDLE stop = nullptr, std::size_t* moved = nullptr) {
    Handle done(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!done) return false;
    std::size_t total = 0;
    while (total < size) {
        OVERLAPPED ov{};
        ov.hEvent = done.get();
        ResetEvent(done.get());
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size - total, 1 << 16));
        const BOOL ok = write ? WriteFile(pipe, data + total, want, nullptr, &ov)
                              : ReadFile(pipe, data + total, want, nullptr, &ov);
        if (!ok && GetLastError() != ERROR_IO_PENDING) break;
        HANDLE waits[2] = {done.get(), stop};
        const DWORD w = WaitForMultipleObjects(stop ? 2 : 1, waits, FALSE, Remaining(until));
        DWORD n = 0;
        if (w != WAIT_OBJECT_0) {
            CancelIo(pipe);
            GetOverlappedResult(pipe, &ov, &n, TRUE);
            break;
        }
        if (!GetOverlappedResult(pipe, &ov, &n, FALSE) || n == 0) break;
        total += n;
    }
    if (moved) *moved = total;
    return total == size;
}

HANDLE MakePipe(bool first) {
    DWORD mode = PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED;
    if (first) mode |= FILE_FLAG_FIRST_PIPE_INSTANCE;
    return CreateNamedPipeW(
        kPipeName, mode,
        PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, 64 * 1024,
        64 * 1024, 0, nullptr);
}

}  // namespace

struct SingleInstance::Impl {
    Handle mutex;
    Handle showEvent;
    Handle pipe;
    Handle stopEvent;
    std::thread listener;
    std::mutex guard;  // guards listener start and stop

    void Serve(const RequestHandler& handler);
    void ServeClient(const RequestHandler& handler);
};

SingleInstance::SingleInstance() : m_impl(std::make_unique<Impl>()) {}

SingleInstance::~SingleInstance() {
    StopListening();
}

SingleInstance::Claim SingleInstance::TryClaim(const std::filesystem::path&) {
    if (m_impl->mutex) return Claim::First;
    HANDLE m = CreateMutexW(nullptr, FALSE, kMutexName);
    if (!m) return Claim::Failed;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(m);
        return Claim::AlreadyRunning;
    }
    m_impl->mutex.Reset(m);
    m_impl->showEvent.Reset(CreateEventW(nullptr, FALSE, FALSE, kShowEventName));
    // Create the pipe at once, so a start that comes before Listen() finds it
    // and waits for its answer instead of finding nobody there.
    m_impl->pipe.Reset(MakePipe(true));
    return Claim::First;
}

bool SingleInstance::Listen(RequestHandler handler) {
    std::lock_guard lock(m_impl->guard);
    if (!m_impl->pipe || !m_impl->showEvent || m_impl->listener.joinable()) return false;
    m_impl->stopEvent.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!m_impl->stopEvent) return false;
    m_impl->listener =
        std::thread([impl = m_impl.get(), handler = std::move(handler)] { impl->Serve(handler); });
    return true;
}

void SingleInstance::StopListening() {
    std::lock_guard lock(m_impl->guard);
    if (!m_impl->listener.joinable()) return;
    SetEvent(m_impl->stopEvent.get());
    m_impl->listener.join();
}

void SingleInstance::Impl::Serve(const RequestHandler& handler) {
    Handle connected(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!connected) return;
    while (true) {
        OVERLAPPED ov{};
        ov.hEvent = connected.get();
        ResetEvent(connected.get());
        bool haveClient = false;
        if (ConnectNamedPipe(pipe.get(), &ov)) {
            haveClient = true;
        } else if (GetLastError() == ERROR_PIPE_CONNECTED) {
            haveClient = true;
        } else if (GetLastError() != ERROR_IO_PENDING) {
            return;
        } else {
            HANDLE waits[3] = {stopEvent.get(), showEvent.get(), connected.get()};
            const DWORD w = WaitForMultipleObjects(3, waits, FALSE, INFINITE);
            DWORD ignored = 0;
            if (w == WAIT_OBJECT_0 + 2) {
                haveClient = GetOverlappedResult(pipe.get(), &ov, &ignored, FALSE);
            } else {
                // Stop waiting for a client; one may have come meanwhile.
                CancelIo(pipe.get());
                haveClient = GetOverlappedResult(pipe.get(), &ov, &ignored, TRUE);
                if (w != WAIT_OBJECT_0 + 1) {
                    if (haveClient) DisconnectNamedPipe(pipe.get());
                    return;
                }
                handler("");
            }
        }
        if (haveClient) {
            ServeClient(handler);
            DisconnectNamedPipe(pipe.get());
        }
    }
}

void SingleInstance::Impl::ServeClient(const RequestHandler& handler) {
    const auto until = Clock::now() + kServerReadWait;
    unsigned char header[8];
    if (!Transfer(pipe.get(), false, reinterpret_cast<char*>(header), sizeof header, until,
                  stopEvent.get()))
        return;
    std::uint64_t size = 0;
    for (int i = 7; i >= 0; --i) size = (size << 8) | header[i];
    if (size > kMaxRequestBytes) return;
    std::string request(static_cast<std::size_t>(size), '\0');
    if (!Transfer(pipe.get(), false, request.data(), request.size(), until, stopEvent.get()))
        return;
    handler(request);
    char ack = kAck;
    if (!Transfer(pipe.get(), true, &ack, 1, Clock::now() + kServerReadWait, stopEvent.get()))
        return;
    // Disconnecting drops whatever the client has not read yet: wait for it to
    // close its end first.
    char none;
    Transfer(pipe.get(), false, &none, 1, Clock::now() + kServerReadWait, stopEvent.get());
}

DeliveryResult DeliverToRunningInstance(const std::filesystem::path&, std::string_view request,
                                        std::string* why) {
    const auto fail = [why](DeliveryResult result, const char* reason) {
        if (why) *why = reason;
        return result;
    };
    // The running instance may be between its claim and its pipe, or serving
    // somebody else: try again for a moment, as long as it exists at all.
    const auto connectUntil = Clock::now() + kClientConnectWait;
    Handle pipe;
    while (true) {
        pipe.Reset(CreateFileW(kPipeName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                               FILE_FLAG_OVERLAPPED, nullptr));
        if (pipe) break;
        const DWORD err = GetLastError();
        if (Clock::now() >= connectUntil)
            return fail(DeliveryResult::NoInstance, "it does not listen for requests");
        if (err == ERROR_PIPE_BUSY) {
            WaitNamedPipeW(kPipeName,
                           std::max<DWORD>(1, std::min<DWORD>(Remaining(connectUntil), 200)));
            continue;
        }
        Handle running(OpenEventW(SYNCHRONIZE, FALSE, kShowEventName));
        if (!running) return fail(DeliveryResult::NoInstance, "it does not listen for requests");
        std::this_thread::sleep_for(milliseconds(50));
    }
    const auto answerUntil = Clock::now() + kClientAnswerWait;
    unsigned char header[8];
    std::uint64_t size = request.size();
    for (auto& b : header) {
        b = static_cast<unsigned char>(size & 0xff);
        size >>= 8;
    }
    std::string message(reinterpret_cast<const char*>(header), sizeof header);
    message.append(request);
    if (!Transfer(pipe.get(), true, message.data(), message.size(), answerUntil))
        return fail(DeliveryResult::NoAnswer, "the request could not be written");
    char answer = 0;
    if (Transfer(pipe.get(), false, &answer, 1, answerUntil) && answer == kAck)
        return DeliveryResult::Delivered;
    return fail(DeliveryResult::NoAnswer, "it did not confirm the request in time");
}

}  // namespace harbrook::platform
