#include "app/history_table.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <utility>

#include "app/progress_meter.h"
#include "core/peer_text.h"
#include "locale/plural.h"
#include "locale/string_ids.h"
#include "locale/ui_strings.h"

namespace harbrook {
namespace {

constexpr std::size_t kColumns = 7;
using Row = std::array<std::string, kColumns>;

// Cells a terminal gives one character: two for East Asian wide ones, none
// for marks that combine with the one before (Arabic vowels, Thai tones).
std::size_t Cells(char32_t c) {
    constexpr std::pair<char32_t, char32_t> kWide[] = {
        {0x1100, 0x115F}, {0x2E80, 0x303E}, {0x3041, 0x33FF}, {0x3400, 0x4DBF},
        {0x4E00, 0x9FFF}, {0xA000, 0xA4CF}, {0xAC00, 0xD7A3}, {0xF900, 0xFAFF},
        {0xFE30, 0xFE4F}, {0xFF00, 0xFF60}, {0xFFE0, 0xFFE6}, {0x20000, 0x3FFFD}};
    constexpr std::pair<char32_t, char32_t> kCombining[] = {
        {0x0300, 0x036F}, {0x0610, 0x061A}, {0x064B, 0x065F}, {0x0670, 0x0670},
        {0x0E31, 0x0E31}, {0x0E34, 0x0E3A}, {0x0E47, 0x0E4E}, {0x200B, 0x200F}};
    const auto in = [c](const auto& ranges) {
        return std::any_of(std::begin(ranges), std::end(ranges),
                           [c](const auto& r) { return c >= r.first && c <= r.second; });
    };
    return in(kWide) ? 2 : in(kCombining) ? 0 : 1;
}

// Width on screen (phone names and the headings may be any script).
std::size_t Width(const std::string& text) {
    std::size_t width = 0;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        char32_t c = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length && i + k < text.size(); ++k) {
            c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        }
        width += Cells(c);
        i += length;
    }
    return width;
}

std::string Pad(const std::string& text, std::size_t width, bool right) {
    const std::string fill(width > Width(text) ? width - Width(text) : 0, ' ');
    return right ? fill + text : text + fill;
}

// A phone's texts go to the terminal escaped: they would break the layout,
// or worse, steer the terminal.
std::string Printable(const std::string& text) {
    return EscapeControls(text);
}

constexpr std::size_t kCapacity = 512;
constexpr unsigned kHeadings[kColumns] = {
    kStrHeadingStarted,  kStrHeadingTook,       kStrHeadingPhone,  kStrHeadingFiles,
    kStrHeadingReceived, kStrHeadingIncomplete, kStrHeadingOutcome};

std::string Text(std::size_t id) {
    return LoadUiString(static_cast<unsigned>(id), kCapacity);
}

// The outcome in the user's language.
std::string OutcomeText(const BackupRecord& record) {
    if (record.check)
        return Text(record.outcome == BackupOutcome::Completed ? kStrOutcomeIntact
                                                               : kStrOutcomeDiffers);
    switch (record.outcome) {
        case BackupOutcome::Completed:
            return Text(kStrOutcomeCompleted);
        case BackupOutcome::Failed:
            return Text(kStrOutcomeFailed);
        case BackupOutcome::Disconnected:
            break;
    }
    return Text(kStrOutcomeInterrupted);
}

}  // namespace

std::string FormatHistoryTable(const std::vector<BackupRecord>& records) {
    if (records.empty()) return Text(kStrNoBackupRecorded) + "\n";
    Row heading;
    for (std::size_t c = 0; c < kColumns; ++c) heading[c] = Text(kHeadings[c]);
    std::vector<Row> rows{heading};
    for (const auto& r : records) {
        rows.push_back({FormatUtc(r.startSeconds), FormatDuration(r.endSeconds - r.startSeconds),
                        r.phone.empty() ? "-" : Printable(r.phone), std::to_string(r.files),
                        FormatBytes(r.bytes), std::to_string(r.incomplete.size()), OutcomeText(r)});
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
                out += "    " + FormatUiText(Text(kStrIncompleteFile), {Printable(name)}) + '\n';
            const BackupRecord& record = records[i - 1];
            if (record.alreadyStored > 0)
                out += "    " +
                       FormatCountedUiText(kStrAlreadyStoredCount,
                                           static_cast<std::uint64_t>(record.alreadyStored),
                                           kCapacity) +
                       '\n';
            if (!record.reason.empty()) {
                // A check's reason is a line of its own; a backup's is said why.
                const std::string reason = EscapeControlsKeepingIsolates(record.reason);
                out += "    " +
                       (record.check ? reason
                                     : FormatUiText(LoadUiString(kStrHistoryWhy, 512), {reason})) +
                       '\n';
            }
        }
    }
    return out;
}

}  // namespace harbrook
