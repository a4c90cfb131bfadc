// SHA-256 of a stream of bytes, fed piece by piece as they go to the disk.
// Linux uses libcrypto (the CPU's SHA instructions where it has them); the
// Windows build uses libsodium, which it already links.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace harbrook {

using Sha256Digest = std::array<std::uint8_t, 32>;

class Sha256 {
  public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void Reset();
    void Update(std::span<const char> bytes);
    // The digest of everything fed since the last Reset; resets.
    Sha256Digest Finish();

  private:
    struct State;
    std::unique_ptr<State> m_state;
};

// 64 lower-case hex digits, and back (nothing unless exactly that).
std::string DigestHex(const Sha256Digest& digest);
bool ParseDigestHex(std::string_view text, Sha256Digest& digest);

}  // namespace harbrook
