// The plain SHA-256 functions rather than EVP: the same code for the CPU's
// SHA instructions, without the provider machinery that EVP loads on first
// use (about 2 MB of resident memory for a program that stays small).
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/sha.h>

#include "core/sha256.h"

namespace harbrook {

struct Sha256::State {
    SHA256_CTX context;
};

Sha256::Sha256() : m_state(std::make_unique<State>()) {
    Reset();
}
Sha256::~Sha256() = default;

void Sha256::Reset() {
    SHA256_Init(&m_state->context);
}

void Sha256::Update(std::span<const char> bytes) {
    SHA256_Update(&m_state->context, bytes.data(), bytes.size());
}

Sha256Digest Sha256::Finish() {
    Sha256Digest digest{};
    SHA256_Final(digest.data(), &m_state->context);
    Reset();
    return digest;
}

}  // namespace harbrook
