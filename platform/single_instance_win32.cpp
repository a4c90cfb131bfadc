// The claim is the named mutex "KVHarbrook": creating it when it already
// exists (ERROR_ALREADY_EXISTS) means another instance runs. The auto-reset
// event "HarbrookShowEvent" wakes the running instance with "show yourself";
// requests with bytes in them travel over the named pipe beside it, as a
// little-endian 64-bit length followed by the bytes, and are confirmed with
// one byte. Names live in the session's own namespace, so they are per user
// session; the folder given to TryClaim plays no part here.
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/single_instance.h"

namespace harbrook::platform {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

std::atomic<unsigned long> g_foregroundGrant{0};

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
    HANDLE Release() { return std::exchange(m_h, nullptr); }
    explicit operator bool() const { return m_h != nullptr; }

  private:
    HANDLE m_h;
};

DWORD Remaining(Clock::time_point until) {
    const auto left = std::chrono::duration_cast<milliseconds>(until - Clock::now()).count();
    return left > 0 ? static_cast<DWORD>(left) : 0;
}

// One overlapped read or write of exactly `size` bytes (a later start's
// side). Gives up when the stream ends or at the deadline.
bool Transfer(HANDLE pipe, bool write, char* data, std::size_t size, Clock::time_point until) {
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
        const DWORD w = WaitForSingleObject(done.get(), Remaining(until));
        DWORD n = 0;
        if (w != WAIT_OBJECT_0) {
            CancelIo(pipe);
            GetOverlappedResult(pipe, &ov, &n, TRUE);
            break;
        }
        if (!GetOverlappedResult(pipe, &ov, &n, FALSE) || n == 0) break;
        total += n;
    }
    return total == size;
}

// The way back to the later start of one conversation. The listener thread
// confirms the request; any thread may answer it. Both write under the lock,
// which also keeps an answer off a pipe instance that serves somebody else
// by then. The answer ends with a NUL byte.
class PipeReply {
  public:
    explicit PipeReply(HANDLE pipe) : m_pipe(pipe) {}
    bool Answered() {
        std::lock_guard lock(m_mutex);
        return m_answered;
    }
    void Confirmed() {
        std::lock_guard lock(m_mutex);
        m_confirmed = true;
        if (m_answered) Write();
    }
    void Answer(std::string_view answer) {
        std::lock_guard lock(m_mutex);
        if (m_answered) return;
        m_answered = true;
        m_answer.assign(answer);
        if (m_confirmed) Write();
    }
    // The conversation is over: nothing more goes to this pipe instance.
    void Detach() {
        std::lock_guard lock(m_mutex);
        m_pipe = nullptr;
        m_answered = true;
    }

  private:
    void Write() {
        if (!m_pipe) return;
        m_answer += '\0';
        Transfer(m_pipe, true, m_answer.data(), m_answer.size(), Clock::now() + kClientAnswerWait);
        m_pipe = nullptr;
    }

    std::mutex m_mutex;
    HANDLE m_pipe;
    bool m_confirmed = false;
    bool m_answered = false;
    std::string m_answer;
};

// What the handler holds: letting it go without an answer answers with nothing.
struct ReplyHandle final : SingleInstance::Reply::Channel {
    explicit ReplyHandle(std::shared_ptr<PipeReply> pipe) : reply(std::move(pipe)) {}
    ~ReplyHandle() override { reply->Answer({}); }
    void Answer(std::string_view answer) override { reply->Answer(answer); }
    std::shared_ptr<PipeReply> reply;
};

// A few pipe instances, so that a client that connects and says nothing
// holds up one of them (until its time runs out), not every later start.
constexpr DWORD kPipeInstances = 4;

HANDLE MakePipe(bool first) {
    DWORD mode = PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED;
    if (first) mode |= FILE_FLAG_FIRST_PIPE_INSTANCE;
    return CreateNamedPipeW(
        kPipeName, mode,
        PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS,
        kPipeInstances, 64 * 1024, 64 * 1024, 0, nullptr);
}

// One pipe instance and the conversation on it, moved on by the completion
// of its one overlapped operation at a time: wait for a client, read the
// length and the request, write the confirmation, wait for the client to
// close its end (disconnecting would drop what it has not read yet).
struct Conversation {
    enum class Stage { Connecting, Header, Body, Ack, Closing };

    Handle pipe;
    Handle done{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    OVERLAPPED ov{};
    Stage stage = Stage::Connecting;
    bool pending = false;  // an operation is in flight
    unsigned char header[8] = {};
    std::string request;
    char byte = 0;
    std::size_t moved = 0;             // of the current stage's bytes
    Clock::time_point until{};         // the client's time runs out
    std::shared_ptr<PipeReply> reply;  // once the request is in
};

// While the answer is still to come, the later start may wait for it.
bool OutOfTime(Conversation& c) {
    if (c.stage == Conversation::Stage::Connecting) return false;
    if (c.stage == Conversation::Stage::Closing && c.reply && !c.reply->Answered()) return false;
    return Clock::now() >= c.until;
}

// Starts the stage's next operation; false when the pipe failed it.
bool Start(Conversation& c) {
    if (!c.pipe || !c.done) return false;  // an instance that could not be made
    ResetEvent(c.done.get());
    c.ov = OVERLAPPED{};
    c.ov.hEvent = c.done.get();
    BOOL ok = FALSE;
    using Stage = Conversation::Stage;
    switch (c.stage) {
        case Stage::Connecting:
            ok = ConnectNamedPipe(c.pipe.get(), &c.ov);
            if (!ok && GetLastError() == ERROR_PIPE_CONNECTED) {
                SetEvent(c.done.get());  // connected before we asked
                ok = TRUE;
            }
            break;
        case Stage::Header:
            ok = ReadFile(c.pipe.get(), c.header + c.moved, DWORD(sizeof c.header - c.moved),
                          nullptr, &c.ov);
            break;
        case Stage::Body:
            ok = ReadFile(c.pipe.get(), c.request.data() + c.moved,
                          DWORD(std::min<std::size_t>(c.request.size() - c.moved, 1 << 16)),
                          nullptr, &c.ov);
            break;
        case Stage::Ack:
            c.byte = kAck;
            ok = WriteFile(c.pipe.get(), &c.byte, 1, nullptr, &c.ov);
            break;
        case Stage::Closing:
            ok = ReadFile(c.pipe.get(), &c.byte, 1, nullptr, &c.ov);
            break;
    }
    c.pending = ok || GetLastError() == ERROR_IO_PENDING;
    return c.pending;
}

// Drops the client (if any) and waits for the next one.
void Restart(Conversation& c) {
    if (c.pending) {
        CancelIoEx(c.pipe.get(), &c.ov);
        DWORD ignored = 0;
        GetOverlappedResult(c.pipe.get(), &c.ov, &ignored, TRUE);
        c.pending = false;
    }
    if (c.reply) {
        c.reply->Detach();
        c.reply.reset();
    }
    DisconnectNamedPipe(c.pipe.get());
    c.stage = Conversation::Stage::Connecting;
    c.moved = 0;
    c.request.clear();
    Start(c);
}

// The conversation's operation has completed: the next step, or a new
// client. A complete request goes to the handler.
void Advance(Conversation& c, const SingleInstance::RequestHandler& handler) {
    using Stage = Conversation::Stage;
    DWORD n = 0;
    // Its event is set, so this does not block; asking to wait covers wine,
    // which may set the event before it fills in the result.
    const bool ok = GetOverlappedResult(c.pipe.get(), &c.ov, &n, TRUE);
    c.pending = false;
    // A failure, or a read of nothing: the client went away (after the
    // confirmation, that is how it should end).
    if (!ok || (n == 0 && c.stage != Stage::Connecting && c.stage != Stage::Ack)) {
        return Restart(c);
    }
    c.moved += n;
    switch (c.stage) {
        case Stage::Connecting:
            c.stage = Stage::Header;
            c.moved = 0;
            c.until = Clock::now() + kServerReadWait;
            break;
        case Stage::Header:
            if (c.moved < sizeof c.header) break;
            {
                std::uint64_t size = 0;
                for (int i = 7; i >= 0; --i) size = (size << 8) | c.header[i];
                if (size > kMaxRequestBytes) return Restart(c);
                c.request.assign(static_cast<std::size_t>(size), '\0');
            }
            c.stage = Stage::Body;
            c.moved = 0;
            break;
        case Stage::Body:
            break;
        case Stage::Ack:
            c.stage = Stage::Closing;
            c.until = Clock::now() + kServerReadWait;
            if (c.reply) c.reply->Confirmed();
            break;
        case Stage::Closing:
            return Restart(c);  // it sent more: not ours to read
    }
    if (c.stage == Stage::Body && c.moved == c.request.size()) {
        c.reply = std::make_shared<PipeReply>(c.pipe.get());
        handler(c.request, SingleInstance::Reply(std::make_shared<ReplyHandle>(c.reply)));
        c.stage = Stage::Ack;
        c.until = Clock::now() + kServerReadWait;
    }
    if (!Start(c)) Restart(c);
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
    // The instance made at the claim, and the others beside it.
    std::vector<Conversation> talks(kPipeInstances);
    talks[0].pipe.Reset(pipe.Release());
    for (std::size_t i = 1; i < talks.size(); ++i) talks[i].pipe.Reset(MakePipe(false));
    for (auto& talk : talks) Start(talk);
    // Wait for the stop, the show event and every usable instance.
    std::vector<HANDLE> waits;
    std::vector<Conversation*> waiting;
    while (true) {
        waits = {stopEvent.get(), showEvent.get()};
        waiting.clear();
        auto wake = Clock::time_point::max();
        for (auto& talk : talks) {
            if (!talk.pipe || !talk.done) continue;
            waits.push_back(talk.done.get());
            waiting.push_back(&talk);
            if (talk.stage != Conversation::Stage::Connecting &&
                !(talk.reply && !talk.reply->Answered()))
                wake = std::min(wake, talk.until);
        }
        const DWORD timeout = wake == Clock::time_point::max() ? INFINITE : Remaining(wake);
        const DWORD w = WaitForMultipleObjects(DWORD(waits.size()), waits.data(), FALSE, timeout);
        if (w == WAIT_OBJECT_0 || w == WAIT_FAILED) break;
        if (w == WAIT_OBJECT_0 + 1) handler("", Reply());
        if (w >= WAIT_OBJECT_0 + 2 && w < WAIT_OBJECT_0 + waits.size()) {
            Advance(*waiting[w - WAIT_OBJECT_0 - 2], handler);
        }
        // A client whose time has run out is dropped, so that its instance
        // serves the next one.
        for (auto* talk : waiting) {
            if (OutOfTime(*talk)) Restart(*talk);
        }
    }
    for (auto& talk : talks) {
        if (talk.reply) talk.reply->Detach();
        if (talk.pending) {
            CancelIoEx(talk.pipe.get(), &talk.ov);
            DWORD ignored = 0;
            GetOverlappedResult(talk.pipe.get(), &talk.ov, &ignored, TRUE);
        }
        DisconnectNamedPipe(talk.pipe.get());
    }
    // Kept for a later Listen(); the others close here.
    pipe.Reset(talks[0].pipe.Release());
}

DeliveryResult DeliverToRunningInstance(const std::filesystem::path&, std::string_view request,
                                        DeliveryFailure* why, std::string* answer) {
    const auto fail = [why](DeliveryResult result, DeliveryProblem problem, DWORD code) {
        if (why) *why = {problem, static_cast<long>(code)};
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
            return fail(DeliveryResult::NoInstance, DeliveryProblem::NotListening, err);
        if (err == ERROR_PIPE_BUSY) {
            WaitNamedPipeW(kPipeName,
                           std::max<DWORD>(1, std::min<DWORD>(Remaining(connectUntil), 200)));
            continue;
        }
        Handle running(OpenEventW(SYNCHRONIZE, FALSE, kShowEventName));
        if (!running) return fail(DeliveryResult::NoInstance, DeliveryProblem::NotListening, err);
        std::this_thread::sleep_for(milliseconds(50));
    }
    // The server end of the pipe is the running instance: it may take the
    // foreground from us before it is asked to show its window. (Windows
    // grants it only while we hold the foreground; nothing to do otherwise.)
    ULONG running = 0;
    if (GetNamedPipeServerProcessId(pipe.get(), &running)) {
        AllowSetForegroundWindow(running);
        g_foregroundGrant.store(running);
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
        return fail(DeliveryResult::NoAnswer, DeliveryProblem::NotWritten, GetLastError());
    char ack = 0;
    if (!Transfer(pipe.get(), false, &ack, 1, answerUntil) || ack != kAck)
        return fail(DeliveryResult::NoAnswer, DeliveryProblem::NotConfirmed, 0);
    if (answer) {
        // As long as the work takes (a week at most); the pipe breaks when
        // the running instance goes.
        answer->clear();
        const auto until = Clock::now() + std::chrono::hours(24 * 7);
        char c = 0;
        while (answer->size() < kMaxRequestBytes && Transfer(pipe.get(), false, &c, 1, until) &&
               c != '\0')
            answer->push_back(c);
    }
    return DeliveryResult::Delivered;
}

unsigned long LastForegroundGrant() {
    return g_foregroundGrant.load();
}

}  // namespace harbrook::platform
