#include "ui/qt/reminder_popup.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

#include "app/popup_placement.h"
#include "app/window_texts.h"
#include "ui/qt/main_window.h"

namespace harbrook::qt {
namespace {

using namespace window_text;

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// Qt's rectangles end on their last pixel; ours just outside it.
ScreenRect ToScreenRect(const QRect& rect) {
    return {rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
}

}  // namespace

ReminderPopup::ReminderPopup(const std::filesystem::path& dataFolder)
    // A title bar with the close box only: no minimise or maximise.
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_reminder(dataFolder) {
    setWindowTitle(Q(ProductName()));
    const DialogBaseUnits units = MainWindow::BaseUnitsOf(font());

    m_headline = new QLabel(Q(Text(kStrReminderHeadline)));
    m_detail = new QLabel(Q(Text(kStrReminderDetail)));
    for (QLabel* label : {m_headline, m_detail}) {
        // A longer translation takes more lines rather than being cut.
        label->setWordWrap(true);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignLeading | Qt::AlignTop);
    }
    // The boxes of the texts: about three lines each.
    m_headline->setMinimumHeight(DluToPixelsY(23, units));
    m_detail->setMinimumHeight(DluToPixelsY(27, units));
    m_backup = new QPushButton(Q(Text(kStrBackupNow)));
    m_backup->setMinimumSize(DluToPixelsX(270, units), DluToPixelsY(33, units));
    m_noShow = new QCheckBox(Q(Text(kStrNoShowAgain)));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(DluToPixelsX(3, units), DluToPixelsY(5, units),
                               DluToPixelsX(3, units), DluToPixelsY(4, units));
    layout->setSpacing(DluToPixelsY(3, units));
    layout->addWidget(m_headline);
    layout->addWidget(m_detail);
    layout->addWidget(m_backup, 0, Qt::AlignLeading);
    layout->addSpacing(DluToPixelsY(6, units));
    layout->addWidget(m_noShow);
    m_noShow->setContentsMargins(DluToPixelsX(3, units), 0, 0, 0);

    // 287 by 117 dialog units, taller only when the texts need it.
    const int width = DluToPixelsX(287, units);
    setFixedSize(width, std::max(DluToPixelsY(117, units), heightForWidth(width)));

    connect(m_backup, &QPushButton::clicked, this, [this] {
        emit openMainWindowRequested();
        accept();
    });
    // Every click writes the choice; closing the pop-up writes nothing.
    connect(m_noShow, &QCheckBox::clicked, this,
            [this](bool ticked) { m_reminder.OnNoShowClicked(ticked); });
}

QPoint ReminderPopup::PlaceOnScreen(const QRect& screen, const QRect& available, QSize frame) {
    const PopupPlacement at = CalcPopupPosition(ToScreenRect(screen), ToScreenRect(available),
                                                frame.width(), frame.height());
    return {at.x, at.y};
}

void ReminderPopup::Place() {
    const QScreen* where = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!where) return;
    // The outer size, title bar and border included, once the window
    // manager has framed the window; the inner size before that.
    const QSize frame = frameGeometry().size().expandedTo(size());
    move(PlaceOnScreen(where->geometry(), where->availableGeometry(), frame));
}

void ReminderPopup::ShowNow() {
    Place();
    show();
    Place();
    raise();
    activateWindow();
}

void ReminderPopup::keyPressEvent(QKeyEvent* event) {
    // Enter is the OK of the pop-up, except on the button, which it clicks.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == 0 && !m_backup->hasFocus()) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace harbrook::qt
