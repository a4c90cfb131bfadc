// In every language library each text of the Qt window and the reminder
// fits the room its widget gives it, measured in the widget's own font.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFontDatabase>
#include <QLabel>
#include <QPushButton>
#include <QStyleOptionButton>
#include <climits>

#include "locale/language_selector.h"
#include "tests/locale/built_libraries.h"
#include "tests/qt/widgets_fixture.h"
#include "tests/support/sandbox.h"
#include "ui/qt/reminder_popup.h"

namespace harbrook::qt {
namespace {

// The paddings the owner-drawn buttons keep around their texts (ui/qt/buttons.cpp).
constexpr int kPadding = 8;
constexpr int kNavIcon = 32;

QFont Bold(QFont font) {
    font.setBold(true);
    return font;
}

// The size a text needs in a font, wrapped at the given width.
QSize Wrapped(const QFont& font, int width, const QString& text) {
    return QFontMetrics(font)
        .boundingRect(QRect(0, 0, width, INT_MAX), Qt::TextWordWrap, text)
        .size();
}

// One line a misfit: where, the widget's class, the text, what it needs and its room.
QString Report(const QString& where, const QString& what, const QString& text, QSize needs,
               QSize room) {
    return QString("%1 %2 \"%3\": %4x%5 in %6x%7\n")
        .arg(where, what, text)
        .arg(needs.width())
        .arg(needs.height())
        .arg(room.width())
        .arg(room.height());
}

// Adds what does not fit among the visible texts of one window.
// A window with a misfit is saved to the shots folder for people to look at.
void CollectMisfits(QWidget* top, const QString& where, QString& found) {
    const auto before = found.size();
    const auto add = [&](QWidget* widget, const QString& text, QSize needs, QSize room) {
        if (needs.width() > room.width() || needs.height() > room.height())
            found += Report(where, QString(widget->metaObject()->className()), text, needs, room);
    };
    for (QWidget* widget : top->findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(top)) continue;
        if (auto* nav = qobject_cast<NavButton*>(widget)) {
            // Beside the icon, bold as when checked.
            const QSize room(nav->width() - 3 * kPadding - kNavIcon, nav->height() - kPadding);
            add(nav, nav->text(), Wrapped(Bold(nav->font()), room.width(), nav->text()), room);
        } else if (auto* category = qobject_cast<CategoryButton*>(widget)) {
            // A bold title on one line above the wrapped description.
            const QSize room(category->width() - 4 * kPadding - CategoryButton::kPictureSide,
                             category->height() - 2 * kPadding);
            const QFontMetrics title(Bold(category->font()));
            const QSize description =
                Wrapped(category->font(), room.width(), category->Description());
            add(category, category->text(), {title.horizontalAdvance(category->text()), 0}, room);
            add(category, category->Description(),
                {description.width(), title.height() + 4 + description.height()}, room);
        } else if (auto* label = qobject_cast<QLabel*>(widget)) {
            if (label->text().isEmpty()) continue;
            const int margin = label->margin();
            const QSize room =
                label->contentsRect().adjusted(margin, margin, -margin, -margin).size();
            const QSize needs = label->wordWrap()
                                    ? Wrapped(label->font(), room.width(), label->text())
                                    : QFontMetrics(label->font()).size(0, label->text());
            add(label, label->text(), needs, room);
        } else if (auto* box = qobject_cast<QCheckBox*>(widget)) {
            QStyleOptionButton option;
            option.initFrom(box);
            option.text = box->text();
            const QRect room = box->style()
                                   ->subElementRect(QStyle::SE_CheckBoxContents, &option, box)
                                   .intersected(box->contentsRect());
            add(box, box->text(), QFontMetrics(box->font()).size(Qt::TextShowMnemonic, box->text()),
                room.size());
        } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
            QStyleOptionButton option;
            option.initFrom(button);
            option.text = button->text();
            const int margin =
                button->style()->pixelMetric(QStyle::PM_ButtonMargin, &option, button);
            const QRect room = button->style()
                                   ->subElementRect(QStyle::SE_PushButtonContents, &option, button)
                                   .adjusted(margin / 2, 0, -margin / 2, 0);
            add(button, button->text(),
                QFontMetrics(button->font()).size(Qt::TextShowMnemonic, button->text()),
                room.size());
        }
    }
    if (found.size() != before)
        top->grab().save(QString(HARBROOK_SHOTS_DIR "/fit-%1.png").arg(where).replace(' ', '-'));
}

// The window's panels (Connect Phone before and after pairing, Received
// Files), the banner in both states, Send Files and the reminder, in each
// library.
TEST_F(Widgets, EveryLanguageFitsItsWidgets) {
    // Without a font of each script the widths measured would be those of
    // empty boxes (scripts/deps.sh installs fonts-noto-core and fonts-noto-cjk).
    for (const auto script : {QFontDatabase::Arabic, QFontDatabase::Thai, QFontDatabase::Cyrillic,
                              QFontDatabase::Vietnamese, QFontDatabase::SimplifiedChinese,
                              QFontDatabase::TraditionalChinese, QFontDatabase::Japanese}) {
        ASSERT_FALSE(QFontDatabase::families(script).isEmpty())
            << "no font for " << QFontDatabase::writingSystemName(script).toStdString();
    }
    QString misfits;
    for (const auto& name : test::LibraryNames()) {
        const auto library = test::LoadBuiltLibrary(name);
        ASSERT_TRUE(library) << name;
        const test::UsingLanguage language(library.get());  // gone before the library
        const bool rtl =
            QString::fromStdString(LoadUiString(kStrConnectPhone, 100)).isRightToLeft();
        QApplication::setLayoutDirection(rtl ? Qt::RightToLeft : Qt::LeftToRight);
        const QString prefix = QString::fromStdString(name) + " ";
        {
            QtWindow w;
            w.presenter.OpenMainWindow();
            QtWindow::Pump();
            CollectMisfits(&w.window, prefix + "not paired", misfits);
            w.presenter.OnConnectionStateChanged(true, "Pixel");
            QtWindow::Pump();
            CollectMisfits(&w.window, prefix + "paired", misfits);
            // A backup with its progress line in full while a send runs, then its end.
            w.presenter.SetBannerStatus(LoadUiString(kStrBackingUp, 300));
            ProgressReading reading;
            reading.totalBytes = 1'500'000'000;
            reading.percent = 45;
            reading.filesDone = 12345;
            reading.bytesPerSecond = 12'300'000;
            reading.secondsLeft = 3725;
            w.presenter.OnProgressReading(reading);
            w.presenter.SetSendButton(LoadUiString(kStrSending, 100), false);
            QtWindow::Pump();
            CollectMisfits(&w.window, prefix + "backing up", misfits);
            w.presenter.SetBannerStatus(LoadUiString(kStrBackupFailed, 300));
            w.presenter.OnBackupRecorded({});
            QtWindow::Pump();
            CollectMisfits(&w.window, prefix + "backup failed", misfits);
            w.window.NavReceived()->click();
            QtWindow::Pump();
            CollectMisfits(&w.window, prefix + "received files", misfits);
            w.window.close();
        }
        test::Sandbox sandbox;
        ReminderPopup popup(sandbox.appData());
        popup.show();
        QtWindow::Pump();
        CollectMisfits(&popup, prefix + "reminder", misfits);
        popup.close();
    }
    QApplication::setLayoutDirection(Qt::LeftToRight);
    EXPECT_TRUE(misfits.isEmpty()) << misfits.toStdString();
}

}  // namespace
}  // namespace harbrook::qt
