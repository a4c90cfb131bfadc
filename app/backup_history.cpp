// Fields are tab-separated (the ninth, why a backup failed, and the tenth,
// how many files were stored already, came later: shorter lines are read
// too); a check of the stored files has "intact" or "differs" for its
// outcome. Inside a field a tab, a line break, ';' and '%'
// are written as %XX, and ';' separates the names of the incomplete files.
#include "app/backup_history.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace harbrook {
namespace {

constexpr std::size_t kFields = 10;
constexpr const char* kIntact = "intact";
constexpr const char* kDiffers = "differs";

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

const char* OutcomeKeyword(BackupOutcome outcome) {
    switch (outcome) {
        case BackupOutcome::Completed:
            return "completed";
        case BackupOutcome::Failed:
            return "failed";
        case BackupOutcome::Disconnected:
            break;
    }
    return "interrupted";
}

std::optional<BackupOutcome> OutcomeFromKeyword(std::string_view keyword) {
    for (const auto outcome :
         {BackupOutcome::Completed, BackupOutcome::Failed, BackupOutcome::Disconnected}) {
        if (keyword == OutcomeKeyword(outcome)) return outcome;
    }
    return std::nullopt;
}

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
    // "YYYY-MM-DD HH:MM:SSZ", digits where the pattern has 9.
    constexpr std::string_view kPattern = "9999-99-99 99:99:99Z";
    if (text.size() != kPattern.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (kPattern[i] == '9' ? !digit : text[i] != kPattern[i]) return false;
    }
    const auto number = [&text](std::size_t at, std::size_t length) {
        int value = 0;
        for (std::size_t i = at; i < at + length; ++i) value = value * 10 + (text[i] - '0');
        return value;
    };
    using namespace std::chrono;
    const year_month_day date{year{number(0, 4)}, month{static_cast<unsigned>(number(5, 2))},
                              day{static_cast<unsigned>(number(8, 2))}};
    const int h = number(11, 2), m = number(14, 2), s = number(17, 2);
    if (!date.ok() || h > 23 || m > 59 || s > 59) return false;
    seconds = (sys_days{date} + hours{h} + minutes{m} + std::chrono::seconds{s})
                  .time_since_epoch()
                  .count();
    return true;
}

std::string FormatBackupLine(const BackupRecord& r) {
    std::string names;
    for (std::size_t i = 0; i < r.incomplete.size(); ++i) {
        // By position, not by what is there so far: a first name may be empty.
        if (i > 0) names += ';';
        names += Escape(r.incomplete[i]);
    }
    std::ostringstream line;
    line << FormatUtc(r.startSeconds) << '\t' << FormatUtc(r.endSeconds) << '\t' << Escape(r.phone)
         << '\t' << r.files << '\t' << r.bytes << '\t' << r.incomplete.size() << '\t' << names
         << '\t'
         << (r.check ? (r.outcome == BackupOutcome::Completed ? kIntact : kDiffers)
                     : OutcomeKeyword(r.outcome))
         << '\t' << Escape(r.reason) << '\t' << r.alreadyStored << '\n';
    return line.str();
}

std::optional<BackupRecord> ParseBackupLine(std::string_view line) {
    if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
    const auto f = Split(line, '\t');
    BackupRecord r;
    std::int64_t incompleteCount = 0;
    if (f.size() < kFields - 2 || f.size() > kFields || !ParseUtc(f[0], r.startSeconds) ||
        !ParseUtc(f[1], r.endSeconds) || !ParseNumber(f[3], r.files) ||
        !ParseNumber(f[4], r.bytes) || !ParseNumber(f[5], incompleteCount) || r.files < 0 ||
        r.bytes < 0)
        return std::nullopt;
    r.phone = Unescape(f[2]);
    if (!f[6].empty()) {
        for (const auto& name : Split(f[6], ';')) r.incomplete.push_back(Unescape(name));
    }
    if (static_cast<std::int64_t>(r.incomplete.size()) != incompleteCount) return std::nullopt;
    r.check = f[7] == kIntact || f[7] == kDiffers;
    const auto outcome =
        r.check ? std::optional(f[7] == kIntact ? BackupOutcome::Completed : BackupOutcome::Failed)
                : OutcomeFromKeyword(f[7]);
    if (!outcome) return std::nullopt;
    r.outcome = *outcome;
    if (f.size() > 8) r.reason = Unescape(f[8]);
    if (f.size() > 9 && (!ParseNumber(f[9], r.alreadyStored) || r.alreadyStored < 0))
        return std::nullopt;
    return r;
}

bool AppendBackupRecord(const std::filesystem::path& file, const BackupRecord& r) {
    const std::string line = FormatBackupLine(r);
    // One write of a whole line in append mode: two instances never
    // interleave halves of their lines.
    std::ofstream out(file, std::ios::binary | std::ios::app);
    out << line << std::flush;
    return static_cast<bool>(out);
}

std::vector<BackupRecord> ReadBackupHistory(const std::filesystem::path& file,
                                            std::size_t* skipped) {
    std::vector<BackupRecord> records;
    std::size_t bad = 0;
    std::ifstream in(file, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line == "\r") continue;
        if (auto record = ParseBackupLine(line))
            records.push_back(std::move(*record));
        else
            ++bad;
    }
    if (skipped) *skipped = bad;
    return records;
}

std::string SkippedLinesNote(std::size_t skipped) {
    if (skipped == 0) return {};
    return std::to_string(skipped) + (skipped == 1 ? " line" : " lines") +
           " of the history could not be read and " + (skipped == 1 ? "was" : "were") +
           " skipped.\n";
}

}  // namespace harbrook
