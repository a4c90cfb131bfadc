#include "link/worker_support.h"

#include "link/frames.h"

namespace harbrook {

void RunLinkWorker(StopSignal& stop, const std::function<void()>& body,
                   std::chrono::milliseconds pause) {
    while (!stop.StopRequested()) {
        try {
            body();
            return;
        } catch (const zmq::error_t& e) {
            if (IsTerminated(e) || !stop.SleepFor(pause)) return;
        } catch (const std::exception&) {
            // Not the network's (a file system error, memory): an exception
            // that left the thread would end the whole program.
            if (!stop.SleepFor(pause)) return;
        }
    }
}

void LingerOnClose::Close() {
    if (!m_socket.handle()) return;
    if (!m_stop.StopRequested()) {
        try {
            SetLinger(m_socket, m_linger);
        } catch (const zmq::error_t&) {
            // The stop came just now: close without linger.
        }
    }
    m_socket.close();
}

bool BindPortPatiently(zmq::socket_t& socket, int port, StopSignal& stop,
                       std::chrono::milliseconds patience) {
    constexpr auto kStep = std::chrono::milliseconds(20);
    if (port <= 0) return false;  // never an ephemeral port: the phone could not be told it
    const auto until = std::chrono::steady_clock::now() + patience;
    while (!BindPort(socket, port)) {
        if (std::chrono::steady_clock::now() >= until) return false;
        if (!stop.SleepFor(kStep)) return false;
    }
    return true;
}

}  // namespace harbrook
