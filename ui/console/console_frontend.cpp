#include "ui/console/console_frontend.h"

#include <ctime>
#include <vector>

#include "core/peer_text.h"
#include "locale/plural.h"
#include "locale/string_ids.h"
#include "locale/ui_strings.h"
#include "platform/local_time.h"
#include "platform/utf8.h"
#include "ui/console/qr_terminal.h"

namespace harbrook {
namespace {

constexpr std::size_t kTextCapacity = 512;

std::string Text(unsigned id) {
    return LoadUiString(id, kTextCapacity);
}
std::string Text(unsigned id, const std::vector<std::string>& arguments) {
    return FormatUiText(Text(id), arguments);
}
std::string ProductName() {
    return LoadUiString(kStrProductName, 50);
}

std::string Clock() {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    platform::ToLocalTime(now, tm);
    char text[16];
    std::strftime(text, sizeof text, "%H:%M:%S", &tm);
    return text;
}

// Two texts in a row: a blank between them, except after an ideographic full
// stop or a full-width mark (Chinese and Japanese set none).
std::string Joined(const std::string& first, const std::string& second) {
    for (const char* mark : {"\u3002", "\uFF01", "\uFF1F", "\uFF09", "\uFF1A"}) {
        if (first.ends_with(mark)) return first + second;
    }
    return first.empty() ? second : first + " " + second;
}

// Message texts carry Windows line breaks.
std::string WithoutCarriageReturns(std::string text) {
    std::erase(text, '\r');
    return text;
}

}  // namespace

ConsoleFrontend::ConsoleFrontend(std::FILE* out, bool terminal)
    : m_out(out), m_terminal(terminal) {}

void ConsoleFrontend::Line(const std::string& text) {
    if (!m_progressLine.empty()) std::fputs("\r\x1b[K", m_out);
    std::fprintf(m_out, "[%s] %s\n", Clock().c_str(), text.c_str());
    if (!m_progressLine.empty()) std::fputs(m_progressLine.c_str(), m_out);
    std::fflush(m_out);
}

std::string ConsoleFrontend::StateText() const {
    if (!m_connected) {
        return Joined(Text(kStrNotConnected), FormatWithText(Text(kStrOpenOnPhone), ProductName()));
    }
    const std::string name = m_phoneName.empty() ? Text(kStrSmartphone) : m_phoneName;
    // "Connected to %s" has no full stop of its own.
    return Text(kStrTwoSentences,
                {FormatWithText(Text(kStrConnectedTo), name), Text(kStrComputerConnected)});
}

void ConsoleFrontend::PrintWelcome() {
    std::lock_guard lock(m_mutex);
    Line(Joined(Text(kStrIsRunning, {ProductName()}), StateText()));
}

void ConsoleFrontend::SetCodeShownHandler(std::function<void()> shown) {
    std::lock_guard lock(m_mutex);
    m_codeShown = std::move(shown);
}

void ConsoleFrontend::PrintPairingCode() {
    if (m_qrText.empty()) {
        Line(Text(kStrCodeNotReady));
        return;
    }
    if (m_codeShown) m_codeShown();
    if (!m_progressLine.empty()) std::fputs("\r\x1b[K", m_out);
    std::fprintf(m_out, "\n%s\n%s\n%s\n%s\n", Text(kStrPairingTitle).c_str(),
                 FormatWithText(Text(kStrPairingStepInstall), ProductName()).c_str(),
                 FormatWithText(Text(kStrPairingStepScan), ProductName()).c_str(),
                 RenderQrForTerminal(m_qrText, m_terminal).c_str());
    std::fflush(m_out);
    Line(Text(kStrPairingCode, {m_qrText}));
}

bool ConsoleFrontend::ShowQrCode(const std::filesystem::path&, const std::string& text) {
    std::lock_guard lock(m_mutex);
    if (text == m_qrText) return true;
    m_qrText = text;
    PrintPairingCode();
    return true;
}

void ConsoleFrontend::OnOpenMainWindow() {
    std::lock_guard lock(m_mutex);
    PrintPairingCode();
    Line(StateText());
}

void ConsoleFrontend::OnConnectionStateChanged(bool connected, const std::string& phoneName) {
    std::lock_guard lock(m_mutex);
    m_connected = connected;
    m_phoneName = EscapeControls(phoneName);
    Line(Joined(Text(connected ? kStrStateConnected : kStrDisconnected), StateText()));
}

void ConsoleFrontend::OnPaired(const std::string& phoneName, const std::string& phoneId) {
    std::lock_guard lock(m_mutex);
    Line(Text(kStrWithIdentity,
              {Text(kStrPairedWith,
                    {phoneName.empty() ? Text(kStrSmartphone) : EscapeControls(phoneName)}),
               EscapeControls(phoneId)}));
}

void ConsoleFrontend::SetBannerStatus(const std::string& text) {
    std::lock_guard lock(m_mutex);
    Line(text);
}

void ConsoleFrontend::OnLinkNotice(const std::string& text) {
    std::lock_guard lock(m_mutex);
    Line(text);
}

void ConsoleFrontend::ShowMessage(const std::string& text) {
    std::lock_guard lock(m_mutex);
    Line(WithoutCarriageReturns(text));
}

// The one question is the update offer. The terminal prints it and never
// installs by itself: the answer is Cancel.
bool ConsoleFrontend::AskOkCancel(const std::string& text) {
    std::lock_guard lock(m_mutex);
    Line(Joined(WithoutCarriageReturns(text), Text(kStrNobodyToAnswer)));
    return false;
}

void ConsoleFrontend::ShowBackupReminder() {
    std::lock_guard lock(m_mutex);
    Line(Text(kStrReminderLine,
              {Text(kStrTwoSentences, {Text(kStrBackupNow), Text(kStrReminderHeadline)})}));
}

void ConsoleFrontend::SetSendButton(const std::string& text, bool enabled) {
    // Only the start of a send is news; its end comes with a message.
    if (enabled) return;
    std::lock_guard lock(m_mutex);
    Line(text + "...");
}

void ConsoleFrontend::OnBackupStarted(std::int64_t totalBytes) {
    std::lock_guard lock(m_mutex);
    m_backupRunning = true;
    m_lastPeriodic = std::chrono::steady_clock::now();
    Line(Text(kStrBackupStarted, {FormatBytes(totalBytes)}));
}

void ConsoleFrontend::OnFileReceived(const std::string& name, std::int64_t size,
                                     const std::filesystem::path& storedAs, bool complete) {
    std::lock_guard lock(m_mutex);
    // UTF-8 like the rest of the line (string() would be the ANSI code page on
    // Windows, and throw for a name it cannot hold).
    const std::string folder = platform::PathToUtf8(storedAs.parent_path().filename());
    Line(Text(complete ? kStrReceivedInto : kStrReceivedIncompleteInto,
              {EscapeControls(name), FormatBytes(size),
               EscapeControls(folder) + "/" +
                   EscapeControls(platform::PathToUtf8(storedAs.filename()))}));
}

void ConsoleFrontend::OnProgressReading(const ProgressReading& reading) {
    std::lock_guard lock(m_mutex);
    if (m_backupRunning) PrintProgress(reading);
}

void ConsoleFrontend::OnSendStarted(std::int64_t /*totalBytes*/) {
    std::lock_guard lock(m_mutex);
    m_sendRunning = true;
    m_lastPeriodic = std::chrono::steady_clock::now();
}

void ConsoleFrontend::OnSendProgressReading(const ProgressReading& reading) {
    std::lock_guard lock(m_mutex);
    if (m_sendRunning) PrintProgress(reading);
}

void ConsoleFrontend::OnSendEnded() {
    std::lock_guard lock(m_mutex);
    m_sendRunning = false;
    ClearProgressLine();
}

void ConsoleFrontend::ClearProgressLine() {
    if (m_progressLine.empty()) return;
    std::fputs("\r\x1b[K", m_out);
    m_progressLine.clear();
}

void ConsoleFrontend::PrintProgress(const ProgressReading& reading) {
    const std::string text = Text(kStrProgress, {FormatProgress(reading)});
    if (m_terminal) {
        m_progressLine = text;
        std::fprintf(m_out, "\r\x1b[K%s", text.c_str());
        std::fflush(m_out);
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    if (now - m_lastPeriodic < kPeriodicProgress && reading.percent < 100) return;
    // The last reading comes once more at the end: one line is enough.
    if (text == m_lastPrinted) return;
    m_lastPeriodic = now;
    m_lastPrinted = text;
    Line(text);
}

void ConsoleFrontend::OnBackupRecorded(const BackupRecord& record) {
    std::lock_guard lock(m_mutex);
    m_backupRunning = false;
    ClearProgressLine();
    const unsigned outcome = record.outcome == BackupOutcome::Completed ? kStrBackupCompleted
                             : record.outcome == BackupOutcome::Failed  ? kStrBackupFailed
                                                                        : kStrBackupInterrupted;
    // The punctuation between the parts is the language's own too.
    std::string details =
        FormatCountedUiText(kStrFileTotals, record.files, kTextCapacity,
                            {std::to_string(record.files), FormatBytes(record.bytes),
                             FormatDuration(record.endSeconds - record.startSeconds)});
    if (record.alreadyStored > 0) {
        details +=
            Text(kStrDetailsSeparator) +
            FormatCountedUiText(kStrAlreadyStoredCount,
                                static_cast<std::uint64_t>(record.alreadyStored), kTextCapacity);
    }
    if (!record.incomplete.empty()) {
        const std::size_t incomplete = record.incomplete.size();
        details += Text(kStrDetailsSeparator) +
                   FormatCountedUiText(kStrIncompleteCount, incomplete, kTextCapacity);
    }
    if (!record.reason.empty())
        details += Text(kStrReasonSeparator) + EscapeControlsKeepingIsolates(record.reason);
    Line(Text(kStrBackupRecordLine, {Text(outcome), details}));
}

}  // namespace harbrook
