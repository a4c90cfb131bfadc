#include <openssl/evp.h>

#include "core/sha256.h"

namespace harbrook {

// EVP picks the fastest code the CPU allows.
struct Sha256::State {
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    ~State() { EVP_MD_CTX_free(context); }
};

Sha256::Sha256() : m_state(std::make_unique<State>()) {
    Reset();
}
Sha256::~Sha256() = default;

void Sha256::Reset() {
    EVP_DigestInit_ex(m_state->context, EVP_sha256(), nullptr);
}

void Sha256::Update(std::span<const char> bytes) {
    EVP_DigestUpdate(m_state->context, bytes.data(), bytes.size());
}

Sha256Digest Sha256::Finish() {
    Sha256Digest digest{};
    unsigned length = 0;
    EVP_DigestFinal_ex(m_state->context, digest.data(), &length);
    Reset();
    return digest;
}

}  // namespace harbrook
