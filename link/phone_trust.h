// Who may speak for the phone. The protocol carries no secret, so an address
// is the one a connection came from (never what a message declares), and a
// phone is trusted only at the address its pairing came from.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "link/frames.h"
#include "link/link_context.h"

namespace harbrook {

// The address a message came from: the first of its frames that carries one
// (a ROUTER's routing frame may not).
std::string ObservedAddress(const std::vector<TextFrame>& frames);

// True when `id` is a paired phone whose pairing came from `address`.
bool IsPairedPhoneAt(const LinkContext& link, std::string_view id, std::string_view address);

// True when some paired phone's pairing came from `address`.
bool IsPairedAddress(const LinkContext& link, std::string_view address);

// True when `address` is the connected phone's, or while none is connected,
// the address of the phone connected last.
bool IsFromThePhone(const LinkContext& link, std::string_view address);

// A message declared another address than the one it came from: the front
// end logs it (the observed one is what is kept).
void NoteDeclaredAddress(LinkContext& link, std::string_view phoneName, std::string_view declared,
                         std::string_view observed);

}  // namespace harbrook
