#include "link/stop_signal.h"

namespace harbrook {

void StopSignal::RequestStop() {
    std::lock_guard lock(m_mutex);
    m_stopped = true;
    for (zmq::context_t* context : m_contexts) context->shutdown();
    m_wake.notify_all();
}

bool StopSignal::StopRequested() const {
    std::lock_guard lock(m_mutex);
    return m_stopped;
}

bool StopSignal::SleepFor(std::chrono::milliseconds duration) {
    std::unique_lock lock(m_mutex);
    return !m_wake.wait_for(lock, duration, [this] { return m_stopped; });
}

bool StopSignal::Register(zmq::context_t* context) {
    std::lock_guard lock(m_mutex);
    if (m_stopped) return false;
    m_contexts.insert(context);
    return true;
}

void StopSignal::Unregister(zmq::context_t* context) {
    std::lock_guard lock(m_mutex);
    m_contexts.erase(context);
}

LinkContextHandle::LinkContextHandle(StopSignal& stop) : m_stop(stop) {
    // New sockets start with no linger, so a socket that a stop catches
    // before its own linger is set never holds the context's end forever;
    // sockets that want to flush on close set their linger first thing.
    m_context.set(zmq::ctxopt::blocky, false);
    if (!m_stop.Register(&m_context)) m_context.shutdown();
}

LinkContextHandle::~LinkContextHandle() {
    m_stop.Unregister(&m_context);
    // Sockets of this context are closed by now (they are locals declared
    // after the handle), so the context's own destructor does not block.
}

}  // namespace harbrook
