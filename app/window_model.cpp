#include "app/window_model.h"

#include "app/window_texts.h"
#include "locale/plural.h"

namespace harbrook {

using namespace window_text;

NavButton CheckedButtonFor(PanelId panel) {
    return panel == PanelId::ReceivedFiles ? NavButton::ReceivedFiles : NavButton::ConnectPhone;
}

std::optional<NavButton> WindowModel::CheckedButton() const {
    if (!m_shown) return std::nullopt;
    return CheckedButtonFor(*m_shown);
}

std::string WindowModel::ConnectedHeadline() const {
    return FormatWithText(Text(kStrConnectedTo),
                          m_phoneName.empty() ? Text(kStrSmartphone) : m_phoneName);
}

void WindowModel::OnConnectPhone() {
    ShowPanel(m_connected ? PanelId::Connected : PanelId::Connect);
}

void WindowModel::OnOpenMainWindow() {
    ShowPanel(m_shown.value_or(PanelId::Connect));
}

void WindowModel::OnConnectionStateChanged(bool connected, const std::string& phoneName) {
    const PanelId noted = m_shown.value_or(PanelId::Connect);
    m_connected = connected;
    if (connected) {
        if (noted == PanelId::Connect) ShowPanel(PanelId::Connected);
        // The connected panel names the phone even while another panel shows.
        m_phoneName = phoneName;
    } else if (noted == PanelId::Connected) {
        ShowPanel(PanelId::Connect);
    }
}

BannerModel::BannerModel() {
    OnConnectionStateChanged(false);
}

void BannerModel::OnConnectionStateChanged(bool connected) {
    m_view = {};
    m_view.picture = connected ? BannerPicture::Connected : BannerPicture::NotConnected;
    m_view.text = connected ? Text(kStrComputerConnected, 200) : WithProductName(kStrOpenOnPhone);
}

void BannerModel::OnStatus(const std::string& text) {
    m_view.text = text;
}

void BannerModel::OnProgress(const ProgressReading& reading) {
    m_view.progressLine = BannerProgressLine(reading);
    m_view.percent = reading.percent;
}

void BannerModel::OnBackupEnded() {
    m_view.progressLine.clear();
    m_view.percent = -1;
}

std::string FillPlaceholders(std::string text,
                             std::initializer_list<std::pair<const char*, std::string>> values) {
    for (const auto& [name, value] : values) {
        const std::string key = std::string("{") + name + "}";
        const std::string shown = Isolated(value);
        for (auto at = text.find(key); at != std::string::npos;
             at = text.find(key, at + shown.size())) {
            text.replace(at, key.size(), shown);
        }
    }
    return text;
}

std::string BannerProgressLine(const ProgressReading& reading) {
    std::string line = FillPlaceholders(
        Text(kStrBannerProgress),
        {{"percent", std::to_string(reading.percent)}, {"total", FormatBytes(reading.totalBytes)}});
    if (reading.filesDone > 0) {
        line += " " + FormatCountedUiText(kStrFileCount, reading.filesDone, kLongText);
    }
    if (reading.bytesPerSecond > 0) {
        line += " \u00b7 " + FormatRate(reading.bytesPerSecond);
    }
    if (reading.secondsLeft) {
        line += " \u00b7 " + FillPlaceholders(Text(kStrBannerTimeLeft),
                                              {{"time", FormatDuration(*reading.secondsLeft)}});
    }
    return line;
}

BackupSummary SummariseBackup(BackupOutcome outcome, std::int64_t files, std::int64_t bytes,
                              std::int64_t seconds, std::int64_t incomplete,
                              const std::string& reason, std::int64_t alreadyStored) {
    BackupSummary summary;
    switch (outcome) {
        case BackupOutcome::Completed:
            summary.title = Text(kStrBackupCompleted, 300);
            break;
        case BackupOutcome::Failed:
            summary.title = Text(kStrBackupFailed, 300);
            break;
        case BackupOutcome::Disconnected:
            summary.title = Text(kStrBackupInterruptedTitle, 300);
            break;
    }
    summary.body = FillPlaceholders(LoadPluralUiString(kStrBackupSummary, files, kLongText),
                                    {{"files", std::to_string(files)},
                                     {"size", FormatBytes(bytes)},
                                     {"time", FormatDuration(seconds)}});
    if (alreadyStored > 0)
        summary.body +=
            "\n" + FormatCountedUiText(kStrAlreadyStoredCount,
                                       static_cast<std::uint64_t>(alreadyStored), kLongText);
    if (incomplete > 0)
        summary.body +=
            "\n" + FormatCountedUiText(kStrIncompleteCount, static_cast<std::uint64_t>(incomplete),
                                       kLongText);
    if (!reason.empty()) summary.body += "\n" + reason;
    return summary;
}

namespace {
// Rounded like the system's MulDiv.
int MulDiv(int value, int numerator, int denominator) {
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator
                                         : (product - half) / denominator);
}
}  // namespace

int DluToPixelsX(int dlu, DialogBaseUnits base) {
    return MulDiv(dlu, base.x, 4);
}
int DluToPixelsY(int dlu, DialogBaseUnits base) {
    return MulDiv(dlu, base.y, 8);
}

}  // namespace harbrook
