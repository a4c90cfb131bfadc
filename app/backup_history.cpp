// Fields are tab-separated; inside a field a tab, a line break, ';' and '%'
// are written as %XX, and ';' separates the names of the incomplete files.
#include "app/backup_history.h"

#include <cstdio>
#include <ctime>
#include <fstream>
#include <sstream>

namespace harbrook {
namespace {

constexpr int kFields = 8;

std::string Escape(std::string_view text) {
    std::string out;
    for (unsigned char c : text) {
        if (c == '\t' || c == '\n' || c == '\r' || c == ';' || c == '%') {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::string Unescape(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const int high = i + 2 < text.size() && text[i] == '%' ? HexDigit(text[i + 1]) : -1;
        const int low = high >= 0 ? HexDigit(text[i + 2]) : -1;
        if (low >= 0) {
            out += static_cast<char>(high * 16 + low);
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::vector<std::string> Split(std::string_view text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find(separator, start);
        parts.emplace_back(text.substr(start, end - start));
        if (end == std::string_view::npos) return parts;
        start = end + 1;
    }
}

bool ParseNumber(const std::string& text, std::int64_t& value) {
    if (text.empty()) return false;
    std::size_t used = 0;
    try {
        value = std::stoll(text, &used);
    } catch (...) {
        return false;
    }
    return used == text.size();
}

}  // namespace

std::string FormatUtc(std::int64_t seconds) {
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm tm{};
    gmtime_r(&t, &tm);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%SZ", &tm);
    return text;
}

bool ParseUtc(const std::string& text, std::int64_t& seconds) {
    std::tm tm{};
    char zone = 0;
    if (std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d%c", &tm.tm_year, &tm.tm_mon, &tm.tm_mday,
                    &tm.tm_hour, &tm.tm_min, &tm.tm_sec, &zone) != 7 ||
        zone != 'Z') {
        return false;
    }
    tm.tm_year -= 1900;
    tm.tm_mon -= 1;
    seconds = static_cast<std::int64_t>(timegm(&tm));
    return true;
}

bool AppendBackupRecord(const std::filesystem::path& file, const BackupRecord& r) {
    std::string names;
    for (const auto& name : r.incomplete) {
        if (!names.empty()) names += ';';
        names += Escape(name);
    }
    std::ostringstream line;
    line << FormatUtc(r.startSeconds) << '\t' << FormatUtc(r.endSeconds) << '\t' << Escape(r.phone)
         << '\t' << r.files << '\t' << r.bytes << '\t' << r.incomplete.size() << '\t' << names
         << '\t' << Escape(r.outcome) << '\n';
    // One write of a whole line in append mode: two instances never
    // interleave halves of their lines.
    std::ofstream out(file, std::ios::binary | std::ios::app);
    out << line.str() << std::flush;
    return static_cast<bool>(out);
}

std::vector<BackupRecord> ReadBackupHistory(const std::filesystem::path& file) {
    std::vector<BackupRecord> records;
    std::ifstream in(file, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        const auto f = Split(line, '\t');
        if (f.size() != kFields) continue;
        BackupRecord r;
        std::int64_t incompleteCount = 0;
        if (!ParseUtc(f[0], r.startSeconds) || !ParseUtc(f[1], r.endSeconds) ||
            !ParseNumber(f[3], r.files) || !ParseNumber(f[4], r.bytes) ||
            !ParseNumber(f[5], incompleteCount)) {
            continue;
        }
        r.phone = Unescape(f[2]);
        if (!f[6].empty()) {
            for (const auto& name : Split(f[6], ';')) r.incomplete.push_back(Unescape(name));
        }
        if (static_cast<std::int64_t>(r.incomplete.size()) != incompleteCount) continue;
        r.outcome = Unescape(f[7]);
        records.push_back(std::move(r));
    }
    return records;
}

}  // namespace harbrook
