// The backup reminder pop-up and the questions the Qt front end asks, offscreen.
#include "ui/qt/reminder_popup.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QKeyEvent>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <atomic>
#include <optional>
#include <thread>

#include "app/window_texts.h"
#include "platform/profile.h"
#include "tests/qt/widgets_fixture.h"
#include "tests/support/sandbox.h"

namespace harbrook::qt {
namespace {

std::string NoShow(const test::Sandbox& sandbox) {
    return platform::ReadProfileString(sandbox.appData() / "program_config.ini", "harbrook",
                                       "noshow", "none", 100);
}

void PressKey(QWidget* target, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
}

// Its texts; its button, Enter, Esc and the close box closing it without a
// write; its check box written at every click.
TEST_F(Widgets, ReminderTextsCheckBoxButtonAndKeys) {
    test::Sandbox sandbox;
    ReminderPopup popup(sandbox.appData());
    int opened = 0;
    QObject::connect(&popup, &ReminderPopup::openMainWindowRequested, [&] { ++opened; });
    EXPECT_EQ(popup.windowTitle(), "Harbrook");
    EXPECT_EQ(popup.Headline()->text(),
              "Easily back up photos, videos, documents and audio from your phone to your "
              "computer.");
    EXPECT_EQ(popup.Detail()->text(),
              "One-click delete can help you greatly save cell phone space.");
    EXPECT_EQ(popup.BackupButton()->text(), "Back up your phone's data");
    EXPECT_EQ(popup.NoShowBox()->text(), "Do not show again.");
    EXPECT_FALSE(popup.NoShowBox()->isChecked());
    EXPECT_FALSE(popup.isVisible());
    EXPECT_EQ(popup.parentWidget(), nullptr);  // a window of its own

    popup.ShowNow();
    EXPECT_TRUE(popup.isVisible());
    // (That its texts fit is every_language_fits_test's, in each language.)

    popup.BackupButton()->click();
    EXPECT_EQ(opened, 1);
    EXPECT_FALSE(popup.isVisible());

    for (int key : {Qt::Key_Escape, Qt::Key_Return}) {
        popup.ShowNow();
        popup.NoShowBox()->setFocus();
        PressKey(&popup, key);
        EXPECT_FALSE(popup.isVisible()) << key;
    }
    popup.ShowNow();
    EXPECT_TRUE(popup.close());
    EXPECT_FALSE(popup.isVisible());
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(NoShow(sandbox), "none");
    for (const char* expected : {"yes", "no", "yes"}) {
        popup.NoShowBox()->click();
        EXPECT_EQ(NoShow(sandbox), expected);
    }
}

TEST_F(Widgets, ReminderStandsOnABottomPanelAndHangsBelowATopOne) {
    // The rule is app/'s (tested there); here Qt's rectangles reach it: a
    // second screen right of the first, its panel along the bottom.
    EXPECT_EQ(ReminderPopup::PlaceOnScreen(QRect(1920, 0, 1280, 1024), QRect(1920, 0, 1280, 994),
                                           QSize(400, 200)),
              QPoint(2800, 794));

    // Offscreen there is no panel: the bottom right corner, the whole
    // window inside the screen.
    test::Sandbox sandbox;
    ReminderPopup popup(sandbox.appData());
    popup.ShowNow();
    const QRect area = popup.screen()->availableGeometry();
    const QRect outer = popup.frameGeometry();
    EXPECT_EQ(outer.right(), area.right());
    EXPECT_EQ(outer.bottom(), area.bottom());
}

// Runs the event loop while a worker asks the update question; `act` gets
// the message box once it is up and decides how the loop goes on.
struct AskedQuestion {
    std::optional<bool> answer;
    QString text;
    QMessageBox::StandardButtons buttons;
};

AskedQuestion AskOnWorker(const std::function<void(QMessageBox*)>& act) {
    QtWindow w;
    WindowPresenter& ui = w.presenter;
    AskedQuestion asked;
    std::atomic<bool> answered = false;
    std::thread worker([&] {
        asked.answer = ui.AskOkCancel(window_text::Text(kStrUpdateQuestion));
        answered = true;
    });
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (answered) return QCoreApplication::exit(0);
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !asked.text.isEmpty()) return;
        asked.text = box->text();
        asked.buttons = box->standardButtons();
        act(box);
    });
    poll.start(10);
    QTimer::singleShot(10000, [] { QCoreApplication::exit(1); });  // never hang the suite
    EXPECT_EQ(QApplication::exec(), 0);
    ui.Close();  // as the program does once its loop has ended
    worker.join();
    return asked;
}

TEST_F(Widgets, UpdateQuestionIsAnOkCancelBoxAndQuittingAnswersCancel) {
    const QString question =
        "New version of Harbrook is available. Do you want to download and install it?";
    AskedQuestion ok = AskOnWorker([](QMessageBox* box) { box->button(QMessageBox::Ok)->click(); });
    EXPECT_EQ(ok.text, question);
    EXPECT_EQ(ok.buttons, QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_EQ(ok.answer, true);

    // "Quit" while the box is open: the program's loop ends, and the worker
    // (which the application's stop waits for) gets Cancel.
    AskedQuestion quit = AskOnWorker([](QMessageBox*) { QCoreApplication::exit(0); });
    EXPECT_EQ(quit.text, question);
    EXPECT_EQ(quit.answer, false);
}

TEST_F(Widgets, ReminderShowsFromTheEventLoopAndItsButtonOpensTheWindow) {
    test::Sandbox sandbox;
    QtWindow w;
    w.presenter.ShowBackupReminder();
    EXPECT_EQ(w.view.Reminder(), nullptr);  // start-up runs before the loop
    QtWindow::Pump();
    ASSERT_NE(w.view.Reminder(), nullptr);
    EXPECT_FALSE(w.window.isVisible());
    w.view.Reminder()->BackupButton()->click();
    EXPECT_TRUE(w.window.isVisible());
}

}  // namespace
}  // namespace harbrook::qt
