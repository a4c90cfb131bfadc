// One running Harbrook per user. The first start claims the instance and
// listens for requests; a later start finds the claim taken and hands its
// request (an opaque byte string: "show the window", "send these files") to
// the running one, then ends.
//
// Windows: the named mutex "KVHarbrook" is the claim (ERROR_ALREADY_EXISTS
// means another instance runs); the auto-reset event "HarbrookShowEvent"
// wakes the running instance and a named pipe carries the request bytes.
// POSIX: an flock()ed lock file is the claim and a unix-domain socket beside
// it carries the request; both live in the folder given to Claim().
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace harbrook::platform {

class SingleInstance {
  public:
    enum class Claim {
        First,           // this process is the running instance now
        AlreadyRunning,  // another process holds the claim
        Failed,          // the claim could not be tested (folder unusable)
    };

    // The way back to the later start that made a request. It may be kept
    // and answered later, from any thread; the later start learns the answer
    // only when it asked to wait for one. Answered once: later answers, and
    // answers of a later start that has gone, are dropped. A reply that goes
    // unanswered answers with nothing (an empty answer).
    class Reply {
      public:
        struct Channel {
            virtual ~Channel() = default;
            virtual void Answer(std::string_view answer) = 0;
        };
        Reply() = default;  // nobody to answer: answers go nowhere
        explicit Reply(std::shared_ptr<Channel> channel) : m_channel(std::move(channel)) {}
        void Answer(std::string_view answer) const {
            if (m_channel) m_channel->Answer(answer);
        }

      private:
        std::shared_ptr<Channel> m_channel;
    };

    // The request handler runs on the listener's own thread, one request at a
    // time. An empty request means "show yourself".
    using RequestHandler = std::function<void(const std::string& request, Reply reply)>;

    SingleInstance();
    ~SingleInstance();  // stops listening and gives the claim up
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Tries to become the running instance. `folder` is where POSIX keeps its
    // lock file and socket (the per-user data folder); Windows names are
    // per session and ignore it. A claim is kept until this object dies.
    Claim TryClaim(const std::filesystem::path& folder);

    // First instance only: starts taking requests. Requests that arrived
    // between the claim and this call are served now. False when the listener
    // cannot be set up (later starts then cannot reach this instance).
    bool Listen(RequestHandler handler);

    // Stops taking requests; returns once the handler no longer runs.
    void StopListening();

  private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

enum class DeliveryResult {
    Delivered,   // the running instance took the request
    NoInstance,  // nobody listens (it has not started listening, or it died)
    NoAnswer,    // something listens but did not confirm in time
};

// Why a delivery failed, with the system's code (errno or GetLastError; 0
// when the system reported nothing). The words are the program's
// (locale/system_error.h).
enum class DeliveryProblem {
    NoChannel,     // no local socket could be made
    NotListening,  // nobody takes requests
    NotWritten,    // the request could not be written
    NotConfirmed,  // the running instance did not confirm it in time
};
struct DeliveryFailure {
    DeliveryProblem problem = DeliveryProblem::NotListening;
    long code = 0;
};

// A later start: hands the request to the running instance of `folder` and
// waits (briefly) for it to confirm receipt. `why` receives the kind of
// failure when the result is not Delivered. With `answer`, a delivered request then
// waits, as long as it takes, for the running instance's answer (empty when
// it gave none or went away meanwhile).
//
// Windows lets only the foreground process bring a window to the front: the
// later start, which the user just started, first passes that right on to
// the running instance (AllowSetForegroundWindow with its process id), so
// that the window it shows comes to the front instead of flashing in the
// taskbar.
DeliveryResult DeliverToRunningInstance(const std::filesystem::path& folder,
                                        std::string_view request, DeliveryFailure* why = nullptr,
                                        std::string* answer = nullptr);

// The process id the last delivery from this process allowed to take the
// foreground; 0 when none did (always so off Windows, which has no such rule).
unsigned long LastForegroundGrant();

}  // namespace harbrook::platform
