// Fields are tab-separated; inside a field a tab, a line break, ';' and '%'
// are written as %XX, and ';' separates the names of the incomplete files.
#include "app/backup_history.h"

#include <chrono>
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
    using namespace std::chrono;
    const sys_seconds t{std::chrono::seconds(seconds)};
    const sys_days day = floor<days>(t);
    const year_month_day date{day};
    const hh_mm_ss time{t - day};
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u %02d:%02d:%02dZ",
                  static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                  static_cast<unsigned>(date.day()), static_cast<int>(time.hours().count()),
                  static_cast<int>(time.minutes().count()),
                  static_cast<int>(time.seconds().count()));
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
    using namespace std::chrono;
    const sys_days day{year{tm.tm_year} / month{static_cast<unsigned>(tm.tm_mon)} /
                       std::chrono::day{static_cast<unsigned>(tm.tm_mday)}};
    seconds = (day + hours{tm.tm_hour} + minutes{tm.tm_min} + std::chrono::seconds{tm.tm_sec})
                  .time_since_epoch()
                  .count();
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
