#include "ui/qt/main_window.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMimeData>
#include <QVBoxLayout>

#include "app/window_texts.h"
#include "ui/qt/art.h"

namespace harbrook::qt {
namespace {

using namespace window_text;

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// Message texts carry Windows line breaks.
QString MessageText(const std::string& text) {
    return Q(text).replace("\r\n", "\n");
}

QStringList LocalFiles(const QMimeData* data) {
    QStringList files;
    if (!data || !data->hasUrls()) return files;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile()) files << url.toLocalFile();
    return files;
}

}  // namespace

DialogBaseUnits MainWindow::BaseUnitsOf(const QFont& font) {
    // As the system measures a dialog font: the average width of the 52
    // letters, and the character height.
    const QFontMetrics metrics(font);
    const int letters =
        metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    return {(letters / 26 + 1) / 2, metrics.height()};
}

MainWindow::MainWindow(QWidget* parent) : QWidget(parent) {
    setWindowTitle(Q(Text(kStrProductName, kNameText)));
    setWindowIcon(ArtIcon("harbrook"));
    setAcceptDrops(true);
    const DialogBaseUnits units = BaseUnitsOf(font());

    m_banner = new Banner;
    m_banner->setFixedHeight(DluToPixelsY(50, units));

    m_navConnect = new NavButton(ArtIcon("nav_connect"));
    m_navReceived = new NavButton(ArtIcon("nav_received"));
    m_navSend = new NavButton(ArtIcon("nav_send"));
    m_navConnect->setText(Q(Text(kStrConnectPhone, kButtonText)));
    m_navReceived->setText(Q(Text(kStrReceivedFiles, kButtonText)));
    m_navSend->setText(Q(Text(kStrSendFiles, kButtonText)));
    m_navConnect->setCheckable(true);
    m_navReceived->setCheckable(true);
    auto* nav = new QWidget;
    nav->setFixedWidth(DluToPixelsX(134, units));
    nav->setObjectName("navigation");
    nav->setStyleSheet("#navigation { background: #F4F7FB; border-right: 1px solid #E1E7EF; }");
    nav->setAttribute(Qt::WA_StyledBackground);
    auto* navLayout = new QVBoxLayout(nav);
    navLayout->setContentsMargins(DluToPixelsX(10, units), DluToPixelsY(20, units),
                                  DluToPixelsX(9, units), DluToPixelsY(10, units));
    navLayout->setSpacing(DluToPixelsY(14, units));
    for (NavButton* button : {m_navConnect, m_navReceived, m_navSend}) {
        button->setMinimumSize(DluToPixelsX(115, units), DluToPixelsY(25, units));
        navLayout->addWidget(button);
    }
    navLayout->addStretch(1);

    m_connect = new ConnectPanel(units);
    m_connected = new ConnectedPanel(units);
    m_received = new ReceivedFilesPanel(units);
    m_panels = new QStackedWidget;
    m_panels->setFixedSize(DluToPixelsX(391, units), DluToPixelsY(290, units));
    m_panels->addWidget(m_connect);
    m_panels->addWidget(m_connected);
    m_panels->addWidget(m_received);

    auto* body = new QHBoxLayout;
    body->setContentsMargins(0, 0, 0, 0);
    body->setSpacing(0);
    body->addWidget(nav);
    body->addWidget(m_panels, 1, Qt::AlignBottom | Qt::AlignTrailing);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_banner);
    layout->addLayout(body, 1);
    setFixedSize(DluToPixelsX(525, units), DluToPixelsY(340, units));

    // A checkable button checks itself on a click; the state decides.
    connect(m_navConnect, &QAbstractButton::clicked, this, [this] {
        Render(m_state);
        emit connectPhoneClicked();
    });
    connect(m_navReceived, &QAbstractButton::clicked, this, [this] {
        Render(m_state);
        emit receivedFilesClicked();
    });
    connect(m_navSend, &QAbstractButton::clicked, this, &MainWindow::sendFilesClicked);
    connect(m_connected, &ConnectedPanel::disconnectClicked, this, &MainWindow::disconnectClicked);
    connect(m_received, &ReceivedFilesPanel::categoryClicked, this, &MainWindow::categoryClicked);
}

void MainWindow::Render(const WindowViewState& state) {
    const bool visibilityChanged =
        state.visibility != m_state.visibility || state.raise != m_state.raise;
    m_state = state;
    QWidget* widget = state.panel == PanelId::Connect     ? static_cast<QWidget*>(m_connect)
                      : state.panel == PanelId::Connected ? static_cast<QWidget*>(m_connected)
                                                          : static_cast<QWidget*>(m_received);
    m_panels->setCurrentWidget(widget);
    m_navConnect->setChecked(state.checked == harbrook::NavButton::ConnectPhone);
    m_navReceived->setChecked(state.checked == harbrook::NavButton::ReceivedFiles);
    m_banner->Render(state.banner);
    m_connected->SetHeadline(Q(state.connectedHeadline));
    m_navSend->setText(Q(state.sendText));
    m_navSend->setEnabled(state.sendEnabled);
    if (visibilityChanged) ApplyVisibility();
}

void MainWindow::ApplyVisibility() {
    switch (m_state.visibility) {
        case WindowVisibility::Hidden:
            hide();
            break;
        case WindowVisibility::Minimised:
            showMinimized();
            break;
        case WindowVisibility::Shown:
            if (isMinimized()) showNormal();
            show();
            raise();
            activateWindow();
            break;
    }
}

void MainWindow::setVisible(bool visible) {
    // Hidden until it is first opened, whoever asks to show it.
    if (visible && !m_state.allowShow) return;
    QWidget::setVisible(visible);
}

void MainWindow::ShowMessage(const std::string& text) {
    auto* box = new QMessageBox(QMessageBox::Information, windowTitle(), MessageText(text),
                                QMessageBox::Ok, isVisible() ? this : nullptr);
    box->setWindowIcon(windowIcon());
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->show();
    box->raise();
}

bool MainWindow::AskOkCancel(const std::string& text) {
    QMessageBox box(QMessageBox::Question, windowTitle(), MessageText(text),
                    QMessageBox::Ok | QMessageBox::Cancel, isVisible() ? this : nullptr);
    box.setWindowIcon(windowIcon());
    return box.exec() == QMessageBox::Ok;
}

QStringList MainWindow::ChooseFilesToSend() {
    const QString filter = Q(Text(kStrAllFilesFilter, kButtonText)) + " (*)";
    return QFileDialog::getOpenFileNames(this, Q(Text(kStrChooseFilesTitle)), QString(), filter);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // Only "Quit" ends the program; what the close box does is decided elsewhere.
    event->ignore();
    emit closeRequested();
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        emit closeRequested();
        return;
    }
    // Enter and the help key do nothing.
    event->accept();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!LocalFiles(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    const QStringList files = LocalFiles(event->mimeData());
    if (files.isEmpty()) return;
    event->acceptProposedAction();
    emit filesDropped(files);
}

}  // namespace harbrook::qt
