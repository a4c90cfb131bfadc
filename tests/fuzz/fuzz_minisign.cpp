// libFuzzer target: a signature file and a public key as a hostile update
// server may serve them. Neither reader may crash or read outside its input;
// the file they would check does not exist, so nothing passes as valid.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "update/minisign.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    constexpr std::string_view kKey = "RWRDScuXqCKO++nS+grtqI/nNE+1gZwgN9Ww14pqD7F0hP+aO2K3WRf5";
    if (harbrook::VerifyMinisignFile("/nonexistent/harbrook-fuzz", text, kKey) ==
        harbrook::SignatureCheck::Valid) {
        std::abort();
    }
    if (const auto key = harbrook::ParseMinisignPublicKey(text))
        (void)harbrook::KeyIdText(key->keyId);
    return 0;
}
