// A small web server on 127.0.0.1 for tests, on a port the system picks. It
// serves the bodies it was given under their paths and a 404 page for
// everything else, and remembers which paths were asked for.
#pragma once

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace harbrook::test {

class LoopbackHttpServer {
  public:
    LoopbackHttpServer();  // keeps proxies out of this process's downloads
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    int port() const { return m_port; }
    // "http://127.0.0.1:<port>" + path (which starts with "/").
    std::string Url(const std::string& path) const;
    void Serve(const std::string& path, const std::string& body);
    // The paths asked for, in order.
    std::vector<std::string> Requests() const;

  private:
    void Run();
    std::string Answer(const std::string& request);

    void* m_context = nullptr;
    void* m_socket = nullptr;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_mutex;
    std::map<std::string, std::string> m_bodies;
    std::vector<std::string> m_requests;
    std::thread m_thread;
};

// An address on 127.0.0.1 where nothing listens now.
std::string RefusingUrl(const std::string& path);

}  // namespace harbrook::test
