// Stopping the link workers. The program itself never stops them while it
// runs; quitting and tests do. A stop shuts down every live ZeroMQ context of
// the workers, so their blocking calls return at once (ETERM), and wakes every
// sleep.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <zmq.hpp>

namespace harbrook {

class StopSignal {
  public:
    void RequestStop();
    bool StopRequested() const;

    // Sleeps for the duration unless a stop comes first. False when stopped.
    bool SleepFor(std::chrono::milliseconds duration);

  private:
    friend class LinkContextHandle;
    bool Register(zmq::context_t* context);
    void Unregister(zmq::context_t* context);

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::set<zmq::context_t*> m_contexts;
    bool m_stopped = false;
};

// A worker's ZeroMQ context, known to the stop signal for as long as it lives.
// A context made after the stop is shut down at once.
class LinkContextHandle {
  public:
    explicit LinkContextHandle(StopSignal& stop);
    ~LinkContextHandle();
    LinkContextHandle(const LinkContextHandle&) = delete;
    LinkContextHandle& operator=(const LinkContextHandle&) = delete;

    zmq::context_t& get() { return m_context; }
    operator zmq::context_t&() { return m_context; }

  private:
    StopSignal& m_stop;
    zmq::context_t m_context;
};

}  // namespace harbrook
