// What every link worker does the same way: end quietly when the stop signal
// shuts its context down, and rebind a port that its own socket has just let go.
#pragma once

#include <chrono>
#include <functional>
#include <zmq.hpp>

#include "link/stop_signal.h"

namespace harbrook {

// Runs the worker's body. A stop (ETERM) ends it. Any other failure, of the
// library (out of file handles, say) or any other exception, pauses for `pause` and runs the body
// again from the start, so a long-lived worker never dies of a passing fault.
void RunLinkWorker(StopSignal& stop, const std::function<void()>& body,
                   std::chrono::milliseconds pause = std::chrono::seconds(1));

// Binds "tcp://*:%d". A closed ZeroMQ listener releases its port on the
// library's I/O thread a moment after the close, so a rebind right after our
// own close may find the port still taken; it is tried again for up to
// `patience`. False when the port stays taken (or a stop came).
bool BindPortPatiently(zmq::socket_t& socket, int port, StopSignal& stop,
                       std::chrono::milliseconds patience = std::chrono::milliseconds(1000));

// Gives a socket its linger as it closes, so that the last answer still
// leaves, unless the link is stopping: then nothing unsent holds the stop.
// Sockets start with no linger (see LinkContextHandle); declare the guard
// after its socket so that it runs first.
class LingerOnClose {
  public:
    LingerOnClose(zmq::socket_t& socket, std::chrono::milliseconds linger, const StopSignal& stop)
        : m_socket(socket), m_linger(linger), m_stop(stop) {}
    ~LingerOnClose() { Close(); }
    LingerOnClose(const LingerOnClose&) = delete;
    LingerOnClose& operator=(const LingerOnClose&) = delete;

    // Closes the socket now (once).
    void Close();

  private:
    zmq::socket_t& m_socket;
    const std::chrono::milliseconds m_linger;
    const StopSignal& m_stop;
};

}  // namespace harbrook
