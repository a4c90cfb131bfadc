#include "link/connection_state.h"

#include "core/frontend.h"
#include "platform/text.h"
#include "platform/utf8.h"

namespace harbrook {

void ConnectionState::SetConnectionState(bool connected, std::string_view name, std::string_view id,
                                         std::string_view address) {
    const std::string keptName(KeptText(name));
    Frontend* hook = nullptr;
    std::uint64_t turn = 0;
    {
        std::lock_guard lock(m_lock);
        {
            std::lock_guard texts(m_textLock);
            m_name = keptName;
            m_id = KeptText(id);
            m_address = KeptText(address);
            if (connected && !m_address.empty()) m_lastAddress = m_address;
        }
        hook = m_hook;
        turn = m_nextTurn++;
    }
    // The changes before this one have been shown; no lock of ours is held
    // while the front end shows this one.
    {
        std::unique_lock lock(m_turnLock);
        m_turnDone.wait(lock, [&] { return m_turn == turn; });
    }
    // The front ends name the phone as the folders do: converted from the
    // system code page, empty when it cannot be.
    if (hook) hook->OnConnectionStateChanged(connected, ShownName(keptName));
    if (connected) ++m_connections;
    m_connected.store(connected);
    {
        std::lock_guard lock(m_turnLock);
        ++m_turn;
    }
    m_turnDone.notify_all();
}

std::string_view ConnectionState::KeptText(std::string_view text) {
    return platform::CutToBytes(text, kMaxTextBytes);
}

void ConnectionState::DetachDisplayHook() {
    std::uint64_t taken = 0;
    {
        std::lock_guard lock(m_lock);
        m_hook = nullptr;
        taken = m_nextTurn;
    }
    std::unique_lock lock(m_turnLock);
    m_turnDone.wait(lock, [&] { return m_turn >= taken; });
}

void ConnectionState::GetConnectedPhoneId(std::string& id) const {
    std::lock_guard texts(m_textLock);
    id = m_id;
}

std::string ConnectionState::PhoneName() const {
    std::lock_guard texts(m_textLock);
    return m_name;
}

std::string ConnectionState::PhoneAddress() const {
    std::lock_guard texts(m_textLock);
    return m_address;
}

std::string ConnectionState::LastPhoneAddress() const {
    std::lock_guard texts(m_textLock);
    return m_lastAddress;
}

std::string ConnectionState::GetConnectedPhoneNameW() const {
    return ShownName(PhoneName());
}

std::string ConnectionState::ShownName(const std::string& name) {
    if (name.empty()) return {};
    auto converted = platform::AnsiToUtf8(name);
    if (!converted || platform::Utf16Units(*converted) > 199) return {};
    return *converted;
}

}  // namespace harbrook
