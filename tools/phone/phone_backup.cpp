#include "tools/phone/phone_backup.h"

#include <algorithm>
#include <fstream>
#include <zmq.hpp>

#include "link/frames.h"
#include "link/keywords.h"

namespace harbrook::phone {
namespace {

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

bool OneOf(const std::string& ext, std::initializer_list<const char*> list) {
    return std::any_of(list.begin(), list.end(), [&](const char* e) { return ext == e; });
}

// One reply word from the PC, or "" on time-out.
std::string Reply(zmq::socket_t& socket) {
    const auto frame = RecvText(socket, 64);
    if (!frame) return {};
    if (frame->more) DiscardRestOfMessage(socket);
    return frame->text;
}

}  // namespace

std::string CategoryFor(const std::filesystem::path& path) {
    const std::string full = Lower(path.generic_string());
    const std::string ext = Lower(path.extension().string());
    const bool picture = OneOf(ext, {".jpg", ".jpeg", ".png", ".gif", ".heic", ".webp", ".bmp"});
    const bool video = OneOf(ext, {".mp4", ".mov", ".3gp", ".mkv", ".avi", ".webm"});
    if (full.find("tencent") != std::string::npos || full.find("weixin") != std::string::npos)
        return std::string(kw::kTencent);
    if ((picture || video) &&
        (full.find("/dcim/") != std::string::npos || full.find("/camera/") != std::string::npos))
        return std::string(kw::kCamera);
    if (picture || video) return std::string(kw::kOther);
    if (OneOf(ext, {".mp3", ".m4a", ".aac", ".wav", ".flac", ".ogg", ".opus", ".amr"}))
        return std::string(kw::kAudio);
    return std::string(kw::kDocument);
}

std::vector<BackupFile> CollectFiles(const std::vector<std::filesystem::path>& roots) {
    std::vector<BackupFile> files;
    for (const auto& root : roots) {
        std::error_code ec;
        if (std::filesystem::is_regular_file(root, ec)) {
            files.push_back({root, root.filename().string(), CategoryFor(root)});
            continue;
        }
        std::vector<std::filesystem::path> found;
        for (auto it = std::filesystem::recursive_directory_iterator(root, ec);
             !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
            if (it->is_regular_file(ec)) found.push_back(it->path());
        std::sort(found.begin(), found.end());
        for (const auto& p : found) files.push_back({p, p.filename().string(), CategoryFor(p)});
    }
    return files;
}

BackupResult RunBackup(const std::string& endpoint, const std::vector<BackupFile>& files,
                       const BackupOptions& options) {
    BackupResult result;
    zmq::context_t context;
    zmq::socket_t socket(context, zmq::socket_type::dealer);
    socket.set(zmq::sockopt::linger, 2000);
    SetIdentity(socket, options.routingId);
    SetReceiveTimeout(socket, options.timeout);
    if (!ConnectTo(socket, endpoint)) {
        result.error = "cannot connect to " + endpoint;
        return result;
    }
    std::vector<std::int64_t> sizes;
    std::int64_t total = 0;
    for (const auto& f : files) {
        std::error_code ec;
        const auto size = static_cast<std::int64_t>(std::filesystem::file_size(f.path, ec));
        sizes.push_back(ec ? 0 : size);
        total += sizes.back();
    }
    SendText(socket, options.forceTotal.empty() ? std::to_string(total) : options.forceTotal);
    result.answer = Reply(socket);
    if (result.answer != kw::kSufficient) {
        result.error = result.answer.empty() ? "no answer to the total" : result.answer;
        return result;
    }
    std::vector<char> chunk(300000);
    for (std::size_t i = 0; i < files.size(); ++i) {
        const BackupFile& f = files[i];
        FileOutcome outcome{f.name, {}};
        for (int tries = 0; tries < options.maxTries; ++tries) {
            std::ifstream in(f.path, std::ios::binary);
            const std::string category =
                options.forceCategory.empty() ? f.category : options.forceCategory;
            SendText(socket, f.name, true);
            SendText(socket, std::to_string(sizes[i] + options.sizeDelta), true);
            SendText(socket, category, true);
            SendText(socket, options.stateWord, false);
            std::int64_t sent = 0;
            int chunks = 0;
            std::string verdict;
            while (true) {
                const std::string word = Reply(socket);
                if (word.empty()) {
                    result.files.push_back(outcome);
                    result.error = "the PC stopped answering";
                    return result;
                }
                if (word == kw::kFileEnd || word == kw::kFileError) {
                    verdict = word;
                    break;
                }
                if (word != kw::kFetch) {
                    result.files.push_back(outcome);
                    result.error = "unexpected word from the PC: " + word;
                    return result;
                }
                if (i == 0 && chunks == options.vanishAfterChunks) {
                    socket.set(zmq::sockopt::linger, 0);
                    result.files.push_back(outcome);
                    result.error = "vanished on purpose";
                    return result;
                }
                // A short try holds the last byte back.
                const std::int64_t limit = sizes[i] - (tries < options.shortTries ? 1 : 0);
                const std::int64_t want = std::min<std::int64_t>(300000, limit - sent);
                in.read(chunk.data(), std::max<std::int64_t>(want, 0));
                const auto got = static_cast<std::size_t>(in.gcount());
                if (got == 0) {
                    if (options.emptyChunkAsEnd)
                        SendText(socket, "");
                    else
                        SendText(socket, kw::kEndMarker);
                } else {
                    SendBytes(socket, std::span<const char>(chunk.data(), got));
                    sent += static_cast<std::int64_t>(got);
                }
                ++chunks;
            }
            outcome.verdicts.push_back(verdict);
            if (verdict == kw::kFileEnd) break;
        }
        result.files.push_back(outcome);
    }
    SendText(socket, "end.txt", true);
    SendText(socket, "1", true);
    SendText(socket, kw::kDocument, true);
    SendText(socket, kw::kBackingEnd, false);
    result.ended = true;
    return result;
}

}  // namespace harbrook::phone
