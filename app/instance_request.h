// What a later start asks of the running instance: show yourself, send these
// files to the connected phone, or disconnect the phone. Carried as bytes by the platform's
// single-instance channel.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "send/send_files.h"

namespace harbrook {

struct InstanceRequest {
    enum class Kind { Show, Send, Disconnect };
    // Where a send's outcome goes: the running instance's own box, back to
    // the later start that waits for it, or a notice of the notification
    // area (the file manager's "Send to phone", which has no terminal).
    enum class Answer { Box, Wait, Notify };
    Kind kind = Kind::Show;
    std::vector<std::filesystem::path> files;  // for Send
    Answer answer = Answer::Box;               // for Send
};

// "Show" is the empty request, as the platform channel defines it; "send"
// ("send-wait", "send-notify") is the word followed by the UTF-8 paths,
// each after a NUL byte; "disconnect" is the word alone.
std::string EncodeRequest(const InstanceRequest& request);

// A send's outcome as the running instance answers a waiting later start,
// and back; nothing for a word this version does not know.
std::string SendOutcomeWord(SendOutcome outcome);
std::optional<SendOutcome> SendOutcomeFromWord(std::string_view word);

// Nothing for a request this version does not know.
std::optional<InstanceRequest> DecodeRequest(const std::string& bytes);

}  // namespace harbrook
