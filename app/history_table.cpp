#include "app/history_table.h"

#include <algorithm>
#include <array>

#include "app/progress_meter.h"
#include "locale/ui_strings.h"

namespace harbrook {
namespace {

constexpr std::size_t kColumns = 7;
using Row = std::array<std::string, kColumns>;

// Width on screen, counting code points (phone names may be any script).
std::size_t Width(const std::string& text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

std::string Pad(const std::string& text, std::size_t width, bool right) {
    const std::string fill(width > Width(text) ? width - Width(text) : 0, ' ');
    return right ? fill + text : text + fill;
}

// Control characters from a phone's name would break the layout.
std::string Printable(std::string text) {
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    }
    return text;
}

constexpr std::size_t kCapacity = 512;
constexpr unsigned kNoBackupText = 221;
constexpr unsigned kFirstHeadingText = 222;  // and the six after it, in column order
constexpr unsigned kIncompleteFileText = 229;

std::string Text(std::size_t id) {
    return LoadUiString(static_cast<unsigned>(id), kCapacity);
}

// The stored outcome is a keyword; the table shows it in the user's language.
std::string OutcomeText(const std::string& outcome) {
    if (outcome == "completed") return Text(230);
    if (outcome == "failed") return Text(231);
    if (outcome == "interrupted") return Text(232);
    return outcome;
}

}  // namespace

std::string FormatHistoryTable(const std::vector<BackupRecord>& records) {
    if (records.empty()) return Text(kNoBackupText) + "\n";
    Row heading;
    for (std::size_t c = 0; c < kColumns; ++c) heading[c] = Text(kFirstHeadingText + c);
    std::vector<Row> rows{heading};
    for (const auto& r : records) {
        rows.push_back({FormatUtc(r.startSeconds), FormatDuration(r.endSeconds - r.startSeconds),
                        r.phone.empty() ? "-" : Printable(r.phone), std::to_string(r.files),
                        FormatBytes(r.bytes), std::to_string(r.incomplete.size()),
                        OutcomeText(r.outcome)});
    }
    std::array<std::size_t, kColumns> widths{};
    for (const auto& row : rows) {
        for (std::size_t c = 0; c < kColumns; ++c) widths[c] = std::max(widths[c], Width(row[c]));
    }
    // Numbers line up on the right.
    constexpr std::array<bool, kColumns> right{false, true, false, true, true, true, false};
    std::string out;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        std::string line;
        for (std::size_t c = 0; c < kColumns; ++c) {
            if (c) line += "  ";
            line += Pad(rows[i][c], widths[c], right[c]);
        }
        while (!line.empty() && line.back() == ' ') line.pop_back();
        out += line + '\n';
        if (i == 0) {
            std::size_t total = 2 * (kColumns - 1);
            for (auto w : widths) total += w;
            out += std::string(total, '-') + '\n';
        } else {
            for (const auto& name : records[i - 1].incomplete)
                out += "    " + FormatUiText(Text(kIncompleteFileText), {Printable(name)}) + '\n';
        }
    }
    return out;
}

}  // namespace harbrook
