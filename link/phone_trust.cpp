#include "link/phone_trust.h"

#include <string>

#include "core/peer_text.h"
#include "core/settings_store.h"
#include "locale/string_ids.h"
#include "locale/ui_strings.h"

namespace harbrook {
namespace {

// Identities are compared as the connection state keeps them, so that a long
// one that arrives cut into a smaller buffer still matches its record.
bool SameId(std::string_view a, std::string_view b) {
    return ConnectionState::KeptText(a) == ConnectionState::KeptText(b);
}

}  // namespace

std::string ObservedAddress(const std::vector<TextFrame>& frames) {
    for (const TextFrame& frame : frames)
        if (!frame.peer.empty()) return frame.peer;
    return {};
}

bool IsPairedPhoneAt(const LinkContext& link, std::string_view id, std::string_view address) {
    if (id.empty() || address.empty()) return false;
    for (const PhoneRecord& record : CSettingsStore(link.clock).ReadPhoneRecords())
        if (record.address == address && SameId(record.id, id)) return true;
    return false;
}

bool IsPairedAddress(const LinkContext& link, std::string_view address) {
    if (address.empty()) return false;
    for (const PhoneRecord& record : CSettingsStore(link.clock).ReadPhoneRecords())
        if (record.address == address) return true;
    return false;
}

bool IsFromThePhone(const LinkContext& link, std::string_view address) {
    if (address.empty()) return false;
    const std::string phone =
        link.state.IsConnected() ? link.state.PhoneAddress() : link.state.LastPhoneAddress();
    return address == phone;
}

void NoteDeclaredAddress(LinkContext& link, std::string_view phoneName, std::string_view declared,
                         std::string_view observed) {
    if (declared == observed) return;
    link.frontend.OnLinkNotice(
        FormatUiText(LoadUiString(kStrDeclaredAddressDiffers, 512),
                     {EscapeControls(phoneName), EscapeControls(declared), std::string(observed)}));
}

}  // namespace harbrook
