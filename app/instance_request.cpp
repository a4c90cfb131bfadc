#include "app/instance_request.h"

#include "core/settings_store.h"

namespace harbrook {
namespace {
constexpr std::string_view kSendWord = "send";
constexpr std::string_view kDisconnectWord = "disconnect";
}  // namespace

std::string EncodeRequest(const InstanceRequest& request) {
    if (request.kind == InstanceRequest::Kind::Show) return {};
    if (request.kind == InstanceRequest::Kind::Disconnect) return std::string(kDisconnectWord);
    std::string bytes(kSendWord);
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
    if (all.substr(0, kSendWord.size()) != kSendWord) return std::nullopt;
    std::string_view rest = all.substr(kSendWord.size());
    request.kind = InstanceRequest::Kind::Send;
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
