#include "backup/manifest.h"

#include <chrono>
#include <cstdio>
#include <utility>
#include <vector>

#include "platform/file_io.h"
#include "platform/utf8.h"

namespace harbrook {
namespace {

std::string EscapePath(std::string_view path) {
    std::string out;
    out.reserve(path.size());
    for (const char c : path) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out;
}

std::optional<std::string> UnescapePath(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size()) return std::nullopt;
        switch (text[i]) {
            case '\\':
                out += '\\';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            default:
                return std::nullopt;
        }
    }
    return out;
}

std::optional<std::int64_t> ParseSize(std::string_view text) {
    if (text.empty() || text.size() > 18) return std::nullopt;
    std::int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

}  // namespace

std::string FormatManifestLine(const ManifestEntry& entry) {
    return DigestHex(entry.digest) + '\t' + std::to_string(entry.size) + '\t' + entry.backup +
           '\t' + EscapePath(entry.path) + '\n';
}

std::optional<ManifestEntry> ParseManifestLine(std::string_view line) {
    if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
    // The path comes last and may hold tabs itself.
    const std::size_t a = line.find('\t');
    const std::size_t b = a == std::string_view::npos ? a : line.find('\t', a + 1);
    const std::size_t c = b == std::string_view::npos ? b : line.find('\t', b + 1);
    if (c == std::string_view::npos) return std::nullopt;
    ManifestEntry entry;
    const auto size = ParseSize(line.substr(a + 1, b - a - 1));
    auto path = UnescapePath(line.substr(c + 1));
    if (!ParseDigestHex(line.substr(0, a), entry.digest) || !size || !path || path->empty())
        return std::nullopt;
    entry.size = *size;
    entry.backup = std::string(line.substr(b + 1, c - b - 1));
    entry.path = std::move(*path);
    return entry;
}

std::string ManifestPath(const std::filesystem::path& phoneFolder,
                         const std::filesystem::path& file) {
    const std::filesystem::path relative = file.lexically_relative(phoneFolder);
    if (relative.empty() || *relative.begin() == "..") return {};
    std::string out;
    for (const auto& part : relative) {
        if (part.empty()) continue;
        if (!out.empty()) out += '/';
        out += platform::PathToUtf8(part);
    }
    return out;
}

std::filesystem::path ManifestFile(const std::filesystem::path& phoneFolder,
                                   std::string_view manifestPath) {
    std::filesystem::path file = phoneFolder;
    for (std::size_t start = 0;;) {
        const std::size_t slash = manifestPath.find('/', start);
        file /= platform::PathFromUtf8(manifestPath.substr(start, slash - start));
        if (slash == std::string_view::npos) return file;
        start = slash + 1;
    }
}

std::optional<FileDigest> DigestFile(const std::filesystem::path& file,
                                     const std::function<bool(std::int64_t)>& piece) {
    // Small enough to come from the heap that is there already.
    constexpr std::size_t kPiece = 64 * 1024;
    platform::File in = platform::File::OpenRead(file);
    if (!in) return std::nullopt;
    std::vector<char> buffer(kPiece);
    Sha256 hash;
    FileDigest result;
    for (;;) {
        const auto n = in.Read(buffer);
        if (!n) return std::nullopt;
        if (*n == 0) break;
        hash.Update(std::span<const char>(buffer.data(), *n));
        result.size += static_cast<std::int64_t>(*n);
        if (piece && !piece(static_cast<std::int64_t>(*n))) return std::nullopt;
    }
    result.digest = hash.Finish();
    return result;
}

std::string BackupStamp(std::int64_t utcSeconds) {
    using namespace std::chrono;
    const sys_seconds t{seconds(utcSeconds)};
    const sys_days day = floor<days>(t);
    const year_month_day date{day};
    const hh_mm_ss time{t - day};
    char text[40];
    std::snprintf(text, sizeof text, "%04d%02u%02uT%02d%02d%02dZ", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                  static_cast<int>(time.seconds().count()));
    return text;
}

ManifestReading ReadManifest(
    const std::filesystem::path& manifest,
    const std::function<void(ManifestEntry&& entry, std::uint64_t offset)>& each) {
    ManifestReading reading;
    std::ifstream in(manifest, std::ios::binary);
    std::string line;
    std::uint64_t offset = 0;
    while (std::getline(in, line)) {
        const std::uint64_t start = offset;
        offset += line.size() + 1;
        if (in.eof()) {  // no line break after it: cut short while it was written
            reading.cutLast = !line.empty();
            break;
        }
        if (line.empty()) continue;
        if (auto entry = ParseManifestLine(line)) {
            ++reading.entries;
            each(std::move(*entry), start);
        } else {
            ++reading.damaged;
        }
    }
    return reading;
}

bool ManifestAppender::Open(const std::filesystem::path& manifest) {
    m_out.close();
    m_path.clear();
    std::error_code ec;
    std::uint64_t size =
        std::filesystem::exists(manifest, ec) ? std::filesystem::file_size(manifest, ec) : 0;
    if (ec) return false;
    if (size > 0) {
        // Back to the end of the last whole line.
        std::ifstream in(manifest, std::ios::binary);
        std::uint64_t keep = size;
        char c = 0;
        while (keep > 0 && in.seekg(static_cast<std::streamoff>(keep - 1)) && in.get(c) &&
               c != '\n')
            --keep;
        if (!in) return false;
        in.close();
        if (keep != size) {
            std::filesystem::resize_file(manifest, keep, ec);
            if (ec) return false;
            size = keep;
        }
    }
    m_path = manifest;
    m_end = size;
    return true;
}

std::optional<std::uint64_t> ManifestAppender::Append(const ManifestEntry& entry) {
    if (m_path.empty()) return std::nullopt;
    if (!m_out.is_open()) {
        m_out.open(m_path, std::ios::binary | std::ios::app);
        if (!m_out) return std::nullopt;
    }
    const std::string line = FormatManifestLine(entry);
    m_out.write(line.data(), static_cast<std::streamsize>(line.size()));
    m_out.flush();
    if (!m_out) return std::nullopt;
    return std::exchange(m_end, m_end + line.size());
}

}  // namespace harbrook
