#include "backup/chunk_hasher.h"

namespace harbrook {

ChunkHasher::ChunkHasher() : m_thread([this] { Run(); }) {}

ChunkHasher::~ChunkHasher() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void ChunkHasher::Add(zmq::message_t&& message, std::size_t length) {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_waiting.size() < kMaxWaiting; });
    m_waiting.emplace_back(std::move(message), length);
    lock.unlock();
    m_changed.notify_all();
}

Sha256Digest ChunkHasher::Finish() {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_waiting.empty() && !m_hashing; });
    return m_hash.Finish();
}

void ChunkHasher::Reset() {
    std::unique_lock lock(m_mutex);
    m_waiting.clear();
    m_changed.wait(lock, [this] { return !m_hashing; });
    m_hash.Reset();
    lock.unlock();
    m_changed.notify_all();
}

void ChunkHasher::Run() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_stop || !m_waiting.empty(); });
        if (m_stop) return;
        auto [message, length] = std::move(m_waiting.front());
        m_waiting.pop_front();
        m_hashing = true;
        lock.unlock();
        m_changed.notify_all();  // room for the next chunk
        m_hash.Update(std::span<const char>(message.data<char>(), length));
        message = zmq::message_t();  // freed here, off the receiver's thread
        lock.lock();
        m_hashing = false;
        m_changed.notify_all();
    }
}

}  // namespace harbrook
