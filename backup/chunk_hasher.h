// The digest of the file being received, computed on a thread of its own so
// that the receiver goes on with the next chunk: each chunk is handed over in
// the message it arrived in, once it is written, and freed once hashed. At
// most a few chunks wait; the receiver waits when more would.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>
#include <zmq.hpp>

#include "core/sha256.h"

namespace harbrook {

class ChunkHasher {
  public:
    ChunkHasher();
    ~ChunkHasher();
    ChunkHasher(const ChunkHasher&) = delete;
    ChunkHasher& operator=(const ChunkHasher&) = delete;

    // Hashes the first `length` bytes of the message, later; takes it.
    void Add(zmq::message_t&& message, std::size_t length);
    // The digest of everything added since the last Finish or Reset, once
    // all of it is hashed; starts the next file.
    Sha256Digest Finish();
    // Drops what waits and starts the next file.
    void Reset();

  private:
    void Run();

    static constexpr std::size_t kMaxWaiting = 2;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::pair<zmq::message_t, std::size_t>> m_waiting;
    bool m_hashing = false;  // the worker holds a chunk outside the queue
    bool m_stop = false;
    Sha256 m_hash;  // the worker's while it hashes, else whoever holds the lock
    std::thread m_thread;
};

}  // namespace harbrook
