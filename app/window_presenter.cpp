#include "app/window_presenter.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "app/backup_verify.h"
#include "app/window_texts.h"
#include "core/peer_text.h"

namespace harbrook {

using namespace window_text;

namespace {
constexpr std::size_t kMessageText = 200;
}  // namespace

WindowPresenter::WindowPresenter(WindowView& view, UiThread& ui) : m_view(view), m_ui(ui) {
    m_model.ShowPanel(PanelId::Connect);
    m_state.sendText = Text(kStrSendFiles, kButtonText);
}

void WindowPresenter::Render() {
    m_state.panel = m_model.ShownPanel().value_or(PanelId::Connect);
    m_state.checked = m_model.CheckedButton();
    m_state.banner = m_banner.View();
    m_state.connectedHeadline = m_model.ConnectedHeadline();
    // What comes before the loop runs is drawn by Start's first render.
    if (!m_started) return;
    m_view.Render(m_state);
    const bool connectOnShow =
        m_state.visibility == WindowVisibility::Shown && m_state.panel == PanelId::Connect;
    if (connectOnShow != m_connectOnShow && m_commands) {
        m_connectOnShow = connectOnShow;
        m_commands->ConnectPanelShown(connectOnShow);
    }
}

void WindowPresenter::Start(const std::optional<std::filesystem::path>& programFolder) {
    m_started = true;
    Render();
    if (!programFolder || !m_view.LoadPhonePicture(*programFolder / "mobile.jpg")) {
        // The panel goes on without the picture.
        m_view.ShowMessage(ReinstallMessage());
    }
    // Without a notification area there would be nothing to see.
    if (!m_trayPresent) OpenMainWindow();
}

// --- the user's wishes -------------------------------------------------------

void WindowPresenter::OpenMainWindow() {
    m_state.allowShow = true;
    m_state.visibility = WindowVisibility::Shown;
    ++m_state.raise;
    m_model.OnOpenMainWindow();
    Render();
}

void WindowPresenter::OnCloseRequested() {
    // Only "Quit" ends the program. Without a notification area a hidden
    // window could never be opened again: it goes to the taskbar instead.
    m_state.visibility = m_trayPresent ? WindowVisibility::Hidden : WindowVisibility::Minimised;
    Render();
}

void WindowPresenter::OnConnectPhoneClicked() {
    m_model.OnConnectPhone();
    Render();
}

void WindowPresenter::OnReceivedFilesClicked() {
    m_model.OnReceivedFiles();
    Render();
}

// A send needs the phone's address; the file dialog is not worth opening without it.
bool WindowPresenter::SendPossible() {
    if (m_commands && m_commands->PhoneKnown()) return true;
    m_view.ShowMessage(LoadUiString(kStrNoPhone, kMessageText));
    return false;
}

bool WindowPresenter::NoSendRunning() {
    if (m_state.sendEnabled) return true;
    m_view.ShowMessage(LoadUiString(kStrSendRunning, kMessageText));
    return false;
}

void WindowPresenter::OnSendFilesClicked() {
    if (!NoSendRunning() || !SendPossible()) return;
    auto files = m_view.PickFilesToSend();
    if (!files.empty() && m_commands) m_commands->SendFiles(std::move(files));
}

void WindowPresenter::OnFilesDropped(std::vector<std::filesystem::path> files) {
    if (files.empty() || !NoSendRunning() || !SendPossible()) return;
    m_commands->SendFiles(std::move(files));
}

void WindowPresenter::OnDisconnectClicked() {
    if (m_commands) m_commands->Disconnect();
}

void WindowPresenter::OnCategoryClicked(unsigned folderStringId) {
    if (!m_commands) return;
    const FolderAction action = m_commands->CategoryFolder(folderStringId);
    if (action.message) m_view.ShowMessage(LoadUiString(*action.message, kMessageText));
    for (const auto& folder : action.open) m_view.OpenFolder(folder);
}

// --- the application's calls ---------------------------------------------------

void WindowPresenter::Post(std::function<void()> work) {
    // Under the lock: once Close() has run, nothing more reaches the queue.
    // The hop only queues, so the lock is held briefly and nothing of the
    // window runs under it.
    std::lock_guard lock(m_mutex);
    if (m_closed) return;
    m_ui.Post(std::move(work));
}

void WindowPresenter::Close() {
    std::vector<Question> pending;
    {
        std::lock_guard lock(m_mutex);
        m_closed = true;
        pending.swap(m_questions);
    }
    for (auto& question : pending) question->set_value(false);
}

bool WindowPresenter::TakePending(const Question& question) {
    std::lock_guard lock(m_mutex);
    const auto it = std::find(m_questions.begin(), m_questions.end(), question);
    if (it == m_questions.end()) return false;
    m_questions.erase(it);
    return true;
}

bool WindowPresenter::AskOkCancel(const std::string& text) {
    if (m_ui.IsCurrent()) return m_view.AskOkCancel(text);
    auto question = std::make_shared<std::promise<bool>>();
    std::future<bool> answer = question->get_future();
    {
        std::lock_guard lock(m_mutex);
        if (m_closed) return false;
        m_questions.push_back(question);
        const bool queued = m_ui.Post([this, question, text] {
            // Already answered by Close(): no box for a program that ends.
            if (!TakePending(question)) return;
            question->set_value(m_view.AskOkCancel(text));
        });
        if (!queued) {
            // Nobody will ever ask: Cancel, at once.
            m_questions.pop_back();
            return false;
        }
    }
    return answer.get();
}

void WindowPresenter::OnConnectionStateChanged(bool connected, const std::string& phoneName) {
    Post([this, connected, phoneName] {
        m_model.OnConnectionStateChanged(connected, phoneName);
        m_banner.OnConnectionStateChanged(connected);
        Render();
    });
}

void WindowPresenter::SetBannerStatus(const std::string& text) {
    Post([this, text] {
        m_banner.OnStatus(text);
        Render();
    });
}

void WindowPresenter::ShowMessage(const std::string& text) {
    Post([this, text] { m_view.ShowMessage(text); });
}

void WindowPresenter::SetSendButton(const std::string& text, bool enabled) {
    Post([this, text, enabled] {
        m_state.sendText = text;
        m_state.sendEnabled = enabled;
        Render();
    });
}

bool WindowPresenter::ShowQrCode(const std::filesystem::path& bitmap, const std::string& text) {
    // Read here, on the worker: the file may be written again before the UI
    // thread would get to it.
    std::ifstream in(bitmap, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.empty()) return false;
    Post([this, bytes = std::move(bytes), text] { m_view.ShowQrCode(bytes, text); });
    return true;
}

void WindowPresenter::OnBackupStarted(std::int64_t totalBytes) {
    ProgressReading start;
    start.totalBytes = totalBytes;
    OnProgressReading(start);
}

void WindowPresenter::OnProgressReading(const ProgressReading& reading) {
    Post([this, reading] {
        m_banner.OnProgress(reading);
        Render();
    });
}

void WindowPresenter::OnOpenMainWindow() {
    Post([this] { OpenMainWindow(); });
}

void WindowPresenter::ShowBackupReminder() {
    // Once a start at most; start-up decides before the UI loop runs, so
    // the pop-up shows as it starts, whether or not the window is open.
    Post([this] {
        if (m_reminderShown) return;
        m_reminderShown = true;
        m_view.ShowReminder();
    });
}

void WindowPresenter::OnBackupRecorded(const BackupRecord& record) {
    const BackupSummary summary = SummariseBackup(
        record.outcome, record.files, record.bytes, record.endSeconds - record.startSeconds,
        static_cast<std::int64_t>(record.incomplete.size()),
        EscapeControlsKeepingIsolates(record.reason), record.alreadyStored);
    const bool warning = record.outcome != BackupOutcome::Completed;
    Post([this, summary, warning] {
        m_banner.OnBackupEnded();
        Render();
        m_view.Notify(summary.title, summary.body, warning);
    });
}

void WindowPresenter::OnSendProgressReading(const ProgressReading& reading) {
    Post([this, reading] {
        m_banner.OnProgress(reading);
        Render();
    });
}

void WindowPresenter::OnSendEnded() {
    Post([this] {
        m_banner.OnBackupEnded();
        Render();
    });
}

void WindowPresenter::NotifySendOutcome(const std::string& text, bool failed) {
    Post([this, text, failed] { m_view.Notify(Text(kStrSendFiles, kButtonText), text, failed); });
}

void WindowPresenter::AskToConnectPhone(const std::string& text) {
    Post([this, text] {
        OpenMainWindow();
        m_model.OnConnectPhone();
        Render();
        m_view.ShowMessage(text);
    });
}

void WindowPresenter::OnCheckBackupsClicked() {
    if (m_commands) m_commands->CheckBackups();
}

void WindowPresenter::OnBackupsChecked(const VerifySummary& summary) {
    // The notice says how each phone's folder stands; the files that differ
    // are listed by --verify and counted in the history.
    constexpr std::size_t kShownTotals = 4;
    std::string body;
    for (std::size_t i = 0; i < summary.totals.size() && i < kShownTotals; ++i)
        body += (i ? "\n" : "") + summary.totals[i];
    const std::string title =
        Text(summary.intact ? kStrCheckTitleIntact : kStrCheckTitleDiffers, 300);
    const bool warning = !summary.intact;
    Post([this, title, body, warning] { m_view.Notify(title, body, warning); });
}

}  // namespace harbrook
