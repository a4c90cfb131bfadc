// What a later start asks of the running instance: show yourself, send these
// files to the connected phone, or disconnect the phone. Carried as bytes by the platform's
// single-instance channel.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace harbrook {

struct InstanceRequest {
    enum class Kind { Show, Send, Disconnect };
    Kind kind = Kind::Show;
    std::vector<std::filesystem::path> files;  // for Send
};

// "Show" is the empty request, as the platform channel defines it; "send"
// is the word followed by the UTF-8 paths, each after a NUL byte;
// "disconnect" is the word alone.
std::string EncodeRequest(const InstanceRequest& request);

// Nothing for a request this version does not know.
std::optional<InstanceRequest> DecodeRequest(const std::string& bytes);

}  // namespace harbrook
