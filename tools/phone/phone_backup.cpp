#include "tools/phone/phone_backup.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <thread>

#include "link/frames.h"
#include "link/keywords.h"
#include "platform/file_io.h"
#include "platform/utf8.h"

namespace harbrook::phone {
namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

template <std::size_t N>
bool OneOf(const std::string& word, const std::array<std::string_view, N>& words) {
    return std::find(words.begin(), words.end(), word) != words.end();
}

constexpr std::array<std::string_view, 4> kCameraFolders{"dcim", "camera", "100andro", "100media"};
constexpr std::array<std::string_view, 5> kTencentFolders{"tencent", "wechat", "weixin", "qq",
                                                          "micromsg"};
constexpr std::array<std::string_view, 16> kPictureVideo{
    ".jpg", ".jpeg", ".png", ".gif", ".bmp", ".webp", ".heic", ".heif",
    ".mp4", ".3gp",  ".mkv", ".mov", ".avi", ".webm", ".dng",  ".tiff"};
constexpr std::array<std::string_view, 9> kAudio{".mp3", ".aac",  ".m4a", ".wav", ".flac",
                                                 ".ogg", ".opus", ".amr", ".wma"};
constexpr std::string_view kEndOfferName = "end";
constexpr std::string_view kOfferState = "file";

}  // namespace

std::string PickCategory(const std::filesystem::path& file) {
    for (const auto& part : file.parent_path()) {
        const std::string folder = Lower(part.string());
        if (OneOf(folder, kCameraFolders)) return std::string(kw::kCamera);
        if (OneOf(folder, kTencentFolders)) return std::string(kw::kTencent);
    }
    const std::string extension = Lower(file.extension().string());
    if (OneOf(extension, kPictureVideo)) return std::string(kw::kOther);
    if (OneOf(extension, kAudio)) return std::string(kw::kAudio);
    return std::string(kw::kDocument);
}

std::vector<BackupFile> CollectBackupFiles(const std::vector<std::filesystem::path>& roots,
                                           bool includeEmpty) {
    std::vector<std::filesystem::path> paths;
    for (const auto& root : roots) {
        std::error_code ec;
        if (std::filesystem::is_regular_file(root, ec)) {
            paths.push_back(root);
            continue;
        }
        for (auto it = std::filesystem::recursive_directory_iterator(
                 root, std::filesystem::directory_options::skip_permission_denied, ec);
             !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
            if (it->is_regular_file(ec)) paths.push_back(it->path());
        }
    }
    std::sort(paths.begin(), paths.end());
    std::vector<BackupFile> files;
    for (const auto& path : paths) {
        std::error_code ec;
        const auto size = std::filesystem::file_size(path, ec);
        if (ec || (size == 0 && !includeEmpty)) continue;
        files.push_back({path, platform::PathToUtf8(path.filename()), PickCategory(path),
                         static_cast<std::int64_t>(size)});
    }
    return files;
}

namespace {

// One chunk of pattern bytes and 256 to spare: file n starts n % 256 bytes in.
const std::vector<char>& Pattern() {
    static const std::vector<char> pattern = [] {
        std::vector<char> bytes(kPhoneChunkSize + 256);
        std::uint32_t x = 12345;
        for (char& c : bytes) c = static_cast<char>((x = x * 1664525u + 1013904223u) >> 24);
        return bytes;
    }();
    return pattern;
}

}  // namespace

std::vector<BackupFile> GenerateBackupFiles(int count, std::int64_t size,
                                            const std::filesystem::path& folder) {
    std::vector<BackupFile> files;
    files.reserve(static_cast<std::size_t>(std::max(count, 0)));
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "IMG_%06d.jpg", i);
        files.push_back(
            {{}, name, PickCategory(folder / name), size, static_cast<std::uint32_t>(i)});
    }
    return files;
}

std::span<const char> GeneratedChunk(const BackupFile& file, std::int64_t offset,
                                     std::vector<char>& scratch) {
    const std::int64_t left = std::max<std::int64_t>(0, file.size - offset);
    const auto n = static_cast<std::size_t>(
        std::min<std::int64_t>(static_cast<std::int64_t>(kPhoneChunkSize), left));
    const std::span<const char> shared(Pattern().data() + file.seed % 256, n);
    if (offset != 0) return shared;
    scratch.assign(shared.begin(), shared.end());
    for (std::size_t i = 0; i < 4 && i < n; ++i)
        scratch[i] = static_cast<char>(file.seed >> (8 * i));
    return scratch;
}

bool IsLoopbackEndpoint(std::string_view addressAndPort) {
    const std::size_t colon = addressAndPort.rfind(':');
    if (colon == std::string_view::npos || colon + 1 == addressAndPort.size()) return false;
    const std::string_view address = addressAndPort.substr(0, colon);
    const std::string_view port = addressAndPort.substr(colon + 1);
    if (!std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    int dots = 0, group = 0, digits = 0;
    for (char c : address) {
        if (c == '.') {
            if (digits == 0 || group > 255) return false;
            ++dots;
            group = digits = 0;
        } else if (c >= '0' && c <= '9' && digits < 3) {
            group = group * 10 + (c - '0');
            ++digits;
        } else {
            return false;
        }
    }
    return dots == 3 && digits > 0 && group <= 255 && address.starts_with("127.");
}

BackupLink::BackupLink(std::string_view addressAndPort, std::string_view identity,
                       std::chrono::milliseconds replyTimeout, std::string_view source)
    : m_socket(m_context, zmq::socket_type::dealer) {
    SetIdentity(m_socket, identity);
    SetReceiveTimeout(m_socket, replyTimeout);
    SetLinger(m_socket, std::chrono::milliseconds(2000));
    if (!IsLoopbackEndpoint(addressAndPort)) return;
    const std::string from = std::string(source) + ":0";
    if (source.empty())
        ConnectTo(m_socket, addressAndPort);
    else if (IsLoopbackEndpoint(from))
        ConnectTo(m_socket, from + ";" + std::string(addressAndPort));
}

bool BackupLink::SendTotal(std::string_view total) {
    return SendText(m_socket, total);
}

bool BackupLink::SendOffer(std::string_view name, std::string_view size, std::string_view category,
                           std::string_view state) {
    return SendText(m_socket, name, true) && SendText(m_socket, size, true) &&
           SendText(m_socket, category, true) && SendText(m_socket, state);
}

bool BackupLink::SendChunk(std::span<const char> bytes) {
    return SendBytes(m_socket, bytes);
}

bool BackupLink::SendFrames(const std::vector<std::string>& frames) {
    for (std::size_t i = 0; i < frames.size(); ++i)
        if (!SendText(m_socket, frames[i], i + 1 < frames.size())) return false;
    return true;
}

std::optional<std::string> BackupLink::ReceiveWord() {
    auto frame = RecvText(m_socket, 64);
    if (!frame) return std::nullopt;
    DiscardRestOfMessage(m_socket);
    return std::move(frame->text);
}

namespace {

enum class Delivery { Accepted, Rejected, Stop };

// Offers one file once and answers "fetch" until the PC gives its verdict.
class Deliverer {
  public:
    Deliverer(BackupLink& link, const BackupOptions& options, BackupReport& report,
              std::ostream* log)
        : m_link(link),
          m_options(options),
          m_report(report),
          m_log(log),
          m_shortLeft(options.shortDeliveries),
          m_buffer(kPhoneChunkSize) {}

    Delivery Deliver(const BackupFile& file) {
        const bool generated = file.source.empty();
        platform::File source;
        if (!generated) source = platform::File::OpenRead(file.source);
        if (!generated && !source) return Fail("cannot open " + platform::PathToUtf8(file.source));
        const bool cutShort = m_shortLeft > 0;
        if (cutShort) --m_shortLeft;
        const std::int64_t toSend = cutShort ? file.size - 1 : file.size;
        const std::string category = m_options.category.value_or(file.category);
        if (!m_link.SendOffer(file.name, std::to_string(file.size + m_options.sizeDelta), category,
                              kOfferState))
            return Fail("cannot send the offer of " + file.name);
        std::int64_t sent = 0;
        for (;;) {
            const auto word = m_link.ReceiveWord();
            if (!word) return Fail("no answer from the PC during " + file.name);
            if (*word == kw::kFileEnd) return Say("fileEnd for " + file.name), Delivery::Accepted;
            if (*word == kw::kFileError)
                return Say("fileError for " + file.name), Delivery::Rejected;
            if (*word != kw::kFetch) return Fail("unexpected word from the PC: \"" + *word + "\"");
            if (m_options.vanishAfterChunks >= 0 &&
                m_report.chunksSent >= m_options.vanishAfterChunks) {
                m_report.vanished = true;
                Say("vanishing in the middle of " + file.name);
                if (m_log) m_log->flush();  // whoever watches may act on it now
                return Delivery::Stop;
            }
            if (m_options.pace.count() > 0) std::this_thread::sleep_for(m_options.pace);
            const auto want = static_cast<std::size_t>(
                std::min<std::int64_t>(static_cast<std::int64_t>(m_buffer.size()), toSend - sent));
            std::span<const char> chunk;
            if (generated) {
                chunk = GeneratedChunk(file, sent, m_firstChunk).first(want);
            } else {
                const auto got = source.Read(std::span<char>(m_buffer.data(), want));
                if (!got) return Fail("cannot read " + platform::PathToUtf8(file.source));
                chunk = std::span<const char>(m_buffer.data(), *got);
            }
            const bool ok =
                !chunk.empty() ? m_link.SendChunk(chunk) : m_link.SendChunk(kw::kEndMarker);
            if (!ok) return Fail("cannot send a chunk of " + file.name);
            sent += static_cast<std::int64_t>(chunk.size());
            ++m_report.chunksSent;
        }
    }

  private:
    Delivery Fail(std::string problem) {
        Say(problem);
        m_report.problem = std::move(problem);
        return Delivery::Stop;
    }
    void Say(const std::string& line) {
        if (m_log) *m_log << line << '\n';
    }

    BackupLink& m_link;
    const BackupOptions& m_options;
    BackupReport& m_report;
    std::ostream* m_log;
    int m_shortLeft;
    std::vector<char> m_buffer;
    std::vector<char> m_firstChunk;  // of a generated file
};

}  // namespace

BackupReport RunPhoneBackup(const BackupOptions& options, const std::vector<BackupFile>& files,
                            std::ostream* log) {
    BackupReport report;
    auto say = [&](const std::string& line) {
        if (log) *log << line << '\n';
    };
    if (!IsLoopbackEndpoint(options.pcEndpoint)) {
        report.problem = "refusing a PC endpoint outside 127.0.0.0/8: " + options.pcEndpoint;
        say(report.problem);
        return report;
    }
    if (!options.sourceAddress.empty() && !IsLoopbackEndpoint(options.sourceAddress + ":0")) {
        report.problem = "refusing a source address outside 127.0.0.0/8: " + options.sourceAddress;
        say(report.problem);
        return report;
    }
    BackupLink link(options.pcEndpoint, options.identity, options.replyTimeout,
                    options.sourceAddress);
    std::int64_t total = 0;
    for (const auto& file : files) total += file.size;
    link.SendTotal(options.announcedTotal.value_or(std::to_string(total)));
    const auto reply = link.ReceiveWord();
    if (!reply) {
        report.problem = "no answer to the total";
        say(report.problem);
        return report;
    }
    report.totalReply = *reply;
    say("PC: " + *reply);
    if (*reply != kw::kSufficient) {
        if (*reply != kw::kInsufficient) report.problem = "unexpected answer to the total";
        return report;
    }

    Deliverer deliverer(link, options, report, log);
    for (const auto& file : files) {
        int resends = 0;
        for (;;) {
            const Delivery result = deliverer.Deliver(file);
            if (result == Delivery::Stop) return report;
            if (result == Delivery::Accepted) {
                ++report.filesAccepted;
                break;
            }
            ++report.fileErrors;
            if (++resends > options.maxResends) {
                report.problem = "the PC keeps rejecting " + file.name;
                say(report.problem);
                return report;
            }
        }
    }
    link.SendOffer(kEndOfferName, "1", kw::kDocument, kw::kBackingEnd);
    report.ended = true;
    say("backingEnd sent after " + std::to_string(report.filesAccepted) + " files");
    return report;
}

}  // namespace harbrook::phone
