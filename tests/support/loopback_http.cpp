#include "tests/support/loopback_http.h"

#include <zmq.h>

#include <cstdio>
#include <cstring>

#include "tests/support/sandbox.h"

namespace harbrook::test {
namespace {

std::string Receive(void* socket) {
    zmq_msg_t msg;
    zmq_msg_init(&msg);
    if (zmq_msg_recv(&msg, socket, 0) < 0) {
        zmq_msg_close(&msg);
        return {};
    }
    std::string bytes(static_cast<const char*>(zmq_msg_data(&msg)), zmq_msg_size(&msg));
    zmq_msg_close(&msg);
    return bytes;
}

}  // namespace

// A ZeroMQ STREAM socket speaks plain TCP: each message arrives as the
// peer's identity and the bytes; an identity with no bytes closes the peer.
LoopbackHttpServer::LoopbackHttpServer() {
    SetEnv("no_proxy", "*");
    SetEnv("NO_PROXY", "*");
    m_context = zmq_ctx_new();
    m_socket = zmq_socket(m_context, ZMQ_STREAM);
    int linger = 0;
    zmq_setsockopt(m_socket, ZMQ_LINGER, &linger, sizeof linger);
    if (zmq_bind(m_socket, "tcp://127.0.0.1:*") == 0) {
        char endpoint[256] = {};
        std::size_t size = sizeof endpoint;
        zmq_getsockopt(m_socket, ZMQ_LAST_ENDPOINT, endpoint, &size);
        const char* colon = std::strrchr(endpoint, ':');
        m_port = colon ? std::atoi(colon + 1) : 0;
    }
    m_thread = std::thread([this] { Run(); });
}

LoopbackHttpServer::~LoopbackHttpServer() {
    m_stop = true;
    m_thread.join();
    zmq_close(m_socket);
    zmq_ctx_term(m_context);
}

std::string LoopbackHttpServer::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(m_port) + path;
}

void LoopbackHttpServer::Serve(const std::string& path, const std::string& body) {
    std::lock_guard lock(m_mutex);
    m_bodies[path] = body;
}

std::vector<std::string> LoopbackHttpServer::Requests() const {
    std::lock_guard lock(m_mutex);
    return m_requests;
}

std::string LoopbackHttpServer::Answer(const std::string& request) {
    // "GET /path HTTP/1.1"
    const std::size_t start = request.find(' ');
    const std::size_t end = request.find(' ', start + 1);
    const std::string path =
        start == std::string::npos ? "" : request.substr(start + 1, end - start - 1);
    std::lock_guard lock(m_mutex);
    m_requests.push_back(path);
    const auto found = m_bodies.find(path);
    const bool ok = found != m_bodies.end();
    const std::string body = ok ? found->second : "<html><body>404 Not Found</body></html>";
    return std::string(ok ? "HTTP/1.1 200 OK" : "HTTP/1.1 404 Not Found") +
           "\r\nContent-Type: application/octet-stream\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

void LoopbackHttpServer::Run() {
    std::map<std::string, std::string> pending;  // by peer identity
    while (!m_stop) {
        zmq_pollitem_t item{m_socket, 0, ZMQ_POLLIN, 0};
        if (zmq_poll(&item, 1, 50) <= 0) continue;
        const std::string peer = Receive(m_socket);
        const std::string bytes = Receive(m_socket);
        if (bytes.empty()) {  // a peer came or went
            pending.erase(peer);
            continue;
        }
        std::string& request = pending[peer];
        request += bytes;
        if (request.find("\r\n\r\n") == std::string::npos) continue;
        const std::string answer = Answer(request);
        pending.erase(peer);
        // Never wait: a client that has read the whole answer may hang up
        // before the close below, and a send to its closing pipe would block
        // for good.
        if (zmq_send(m_socket, peer.data(), peer.size(), ZMQ_SNDMORE | ZMQ_DONTWAIT) < 0) continue;
        zmq_send(m_socket, answer.data(), answer.size(), ZMQ_DONTWAIT);
        if (zmq_send(m_socket, peer.data(), peer.size(), ZMQ_SNDMORE | ZMQ_DONTWAIT) < 0) continue;
        zmq_send(m_socket, nullptr, 0, ZMQ_DONTWAIT);
    }
}

std::string RefusingUrl(const std::string& path) {
    return "http://127.0.0.1:" + std::to_string(FreePortRun(1)) + path;
}

}  // namespace harbrook::test
