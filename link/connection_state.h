// Whether a phone is connected, which one, and where it can be reached.
// Link threads change it only through SetConnectionState. It changes the
// texts under the connection lock and takes a turn there; the display hook
// then runs with no lock of ours held, on its turn, so two reports never
// interleave and arrive in the order the state changed. The connected flag
// changes after the hook has shown the new state. The flags are atomics; the
// texts sit behind their own short lock so that readers never wait for a
// display hook.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

namespace harbrook {

class Frontend;

class ConnectionState {
  public:
    // Longest text kept (a 100-byte field with its terminator).
    static constexpr std::size_t kMaxTextBytes = 99;

    explicit ConnectionState(Frontend* displayHook = nullptr) : m_hook(displayHook) {}

    // Texts of 100 bytes or more are cut to at most 99 at a character boundary.
    static std::string_view KeptText(std::string_view text);
    // A kept name as GetConnectedPhoneNameW gives it.
    static std::string ShownName(const std::string& name);

    // Texts are kept as KeptText makes them.
    void SetConnectionState(bool connected, std::string_view name, std::string_view id,
                            std::string_view address);

    void GetConnectedPhoneId(std::string& id) const;
    // The phone name as UTF-8 for display and folder names (converted from the
    // system code page, at most 199 UTF-16 code units); empty when there is
    // none or it cannot be converted.
    std::string GetConnectedPhoneNameW() const;
    std::string PhoneName() const;     // as the phone sent it
    std::string PhoneAddress() const;  // dotted IPv4 without port, or empty
    // The address of the phone that was connected last, kept after it has
    // gone: where it is most likely to come back. Empty until a phone with
    // an address has been connected.
    std::string LastPhoneAddress() const;

    bool IsConnected() const { return m_connected.load(); }
    // Counts the calls that marked a phone connected: a change tells a new
    // connection from the one watched before.
    std::uint64_t Connections() const { return m_connections.load(); }
    bool IsDisconnectRequested() const { return m_disconnectRequested.load(); }
    void SetDisconnectRequested(bool requested) { m_disconnectRequested.store(requested); }

    // Stops the display hook from being called (the front end is going away);
    // a hook call already under way has ended when this returns.
    void DetachDisplayHook();

  private:
    Frontend* m_hook;
    std::mutex m_lock;             // the connection lock; guards m_hook and m_nextTurn
    std::uint64_t m_nextTurn = 0;  // the turn the next change takes
    std::mutex m_turnLock;         // guards m_turn only, never held over the hook
    std::condition_variable m_turnDone;
    std::uint64_t m_turn = 0;       // the change whose hook runs now (or next)
    mutable std::mutex m_textLock;  // guards the three texts only
    std::string m_name, m_id, m_address, m_lastAddress;
    std::atomic<bool> m_connected{false};
    std::atomic<bool> m_disconnectRequested{false};
    std::atomic<std::uint64_t> m_connections{0};
};

}  // namespace harbrook
