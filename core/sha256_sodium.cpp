#include <sodium.h>

#include "core/sha256.h"

namespace harbrook {

struct Sha256::State {
    crypto_hash_sha256_state state;
};

Sha256::Sha256() : m_state(std::make_unique<State>()) {
    Reset();
}
Sha256::~Sha256() = default;

void Sha256::Reset() {
    crypto_hash_sha256_init(&m_state->state);
}

void Sha256::Update(std::span<const char> bytes) {
    crypto_hash_sha256_update(&m_state->state, reinterpret_cast<const unsigned char*>(bytes.data()),
                              bytes.size());
}

Sha256Digest Sha256::Finish() {
    Sha256Digest digest{};
    crypto_hash_sha256_final(&m_state->state, digest.data());
    Reset();
    return digest;
}

}  // namespace harbrook
