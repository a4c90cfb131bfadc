#include "app/instance_request.h"

#include <algorithm>
#include <iterator>

#include "core/settings_store.h"

namespace harbrook {
namespace {
constexpr std::string_view kSendWord = "send";
constexpr std::string_view kDisconnectWord = "disconnect";

struct AnswerWord {
    InstanceRequest::Answer answer;
    std::string_view word;
};
constexpr AnswerWord kSendWords[] = {{InstanceRequest::Answer::Box, "send"},
                                     {InstanceRequest::Answer::Wait, "send-wait"},
                                     {InstanceRequest::Answer::Notify, "send-notify"}};

struct OutcomeWord {
    SendOutcome outcome;
    std::string_view word;
};
constexpr OutcomeWord kOutcomeWords[] = {
    {SendOutcome::Sent, "sent"},
    {SendOutcome::NoPhone, "no-phone"},
    {SendOutcome::BackupRunning, "backup-running"},
    {SendOutcome::SendRunning, "send-running"},
    {SendOutcome::BadFiles, "bad-files"},
    {SendOutcome::NoAnswer, "no-answer"},
    {SendOutcome::ConnectionLost, "broken"},
    {SendOutcome::NoSpace, "no-space"},
    {SendOutcome::NoPermission, "no-permission"},
    {SendOutcome::Stopped, "stopped"},
};
}  // namespace

std::string SendOutcomeWord(SendOutcome outcome) {
    for (const auto& o : kOutcomeWords)
        if (o.outcome == outcome) return std::string(o.word);
    return {};
}

std::optional<SendOutcome> SendOutcomeFromWord(std::string_view word) {
    for (const auto& o : kOutcomeWords)
        if (o.word == word) return o.outcome;
    return std::nullopt;
}

std::string EncodeRequest(const InstanceRequest& request) {
    if (request.kind == InstanceRequest::Kind::Show) return {};
    if (request.kind == InstanceRequest::Kind::Disconnect) return std::string(kDisconnectWord);
    std::string bytes(kSendWord);
    for (const auto& w : kSendWords)
        if (w.answer == request.answer) bytes = w.word;
    for (const auto& file : request.files) {
        bytes += '\0';
        bytes += PathToUtf8(file);
    }
    return bytes;
}

std::optional<InstanceRequest> DecodeRequest(const std::string& bytes) {
    InstanceRequest request;
    if (bytes.empty()) return request;
    const std::string_view all(bytes);
    if (all == kDisconnectWord) {
        request.kind = InstanceRequest::Kind::Disconnect;
        return request;
    }
    const std::string_view word = all.substr(0, all.find('\0'));
    const auto known = std::find_if(std::begin(kSendWords), std::end(kSendWords),
                                    [word](const AnswerWord& w) { return w.word == word; });
    if (known == std::end(kSendWords)) return std::nullopt;
    std::string_view rest = all.substr(word.size());
    request.kind = InstanceRequest::Kind::Send;
    request.answer = known->answer;
    while (!rest.empty()) {
        if (rest.front() != '\0') return std::nullopt;
        rest.remove_prefix(1);
        const std::size_t end = rest.find('\0');
        const std::string_view file = rest.substr(0, end);
        if (file.empty()) return std::nullopt;
        request.files.push_back(Utf8ToPath(file));
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end);
    }
    if (request.files.empty()) return std::nullopt;
    return request;
}

}  // namespace harbrook
