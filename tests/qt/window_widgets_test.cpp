// The Qt window offscreen: navigation, hiding, the tray menu and its start
// at login, the banner, the QR code's scale and the picture control.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDropEvent>
#include <QFile>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>
#include <filesystem>

#include "platform/autostart.h"
#include "platform/folders.h"
#include "tests/qt/widgets_fixture.h"
#include "tests/support/sandbox.h"
#include "ui/qt/picture_view.h"

namespace harbrook::qt {
namespace {

// The rules are the presenter's (tested without a display); here the
// widgets show what it decides: panel, checked button, banner, send button.
TEST_F(Widgets, NavigationBannerAndSendButtonShowThePresentersState) {
    QtWindow w;
    MainWindow& window = w.window;
    w.presenter.OpenMainWindow();
    EXPECT_EQ(window.PanelOnShow(), window.Connect());
    EXPECT_TRUE(window.NavConnect()->isChecked());
    window.NavReceived()->click();
    EXPECT_EQ(window.PanelOnShow(), window.Received());
    EXPECT_TRUE(window.NavReceived()->isChecked());
    EXPECT_FALSE(window.NavConnect()->isChecked());

    // A phone connects and backs up while a send runs.
    w.presenter.OnConnectionStateChanged(true, "Pixel");
    w.presenter.SetBannerStatus("Backing up files");
    ProgressReading reading;
    reading.totalBytes = 2'000'000;
    reading.doneBytes = 500'000;
    reading.percent = 25;
    w.presenter.OnProgressReading(reading);
    w.presenter.SetSendButton("Sending", false);
    QtWindow::Pump();
    EXPECT_EQ(window.BannerWidget()->Picture(), BannerPicture::Connected);
    EXPECT_EQ(window.BannerWidget()->Text(), "Backing up files");
    EXPECT_EQ(window.BannerWidget()->ProgressLine(), "25% of 2.0 MB");
    EXPECT_EQ(window.NavSend()->text(), "Sending");
    EXPECT_FALSE(window.NavSend()->isEnabled());
    window.NavConnect()->click();
    EXPECT_EQ(window.PanelOnShow(), window.Connected());
    EXPECT_EQ(window.Connected()->Headline(), "Connected to Pixel");

    w.presenter.OnBackupRecorded({});
    w.presenter.SetSendButton("Send Files", true);
    w.presenter.OnConnectionStateChanged(false, "");
    QtWindow::Pump();
    EXPECT_EQ(window.PanelOnShow(), window.Connect());
    EXPECT_EQ(window.BannerWidget()->Text(), "Open Harbrook on your mobile to connect PC.");
    EXPECT_TRUE(window.BannerWidget()->ProgressLine().isEmpty());
    EXPECT_TRUE(window.NavSend()->isEnabled());
}

TEST_F(Widgets, StartsHiddenAndCloseOrEscapeHideAgainOrMinimiseWithoutATray) {
    QtWindow w;
    MainWindow& window = w.window;
    window.show();  // refused until the window is first opened
    EXPECT_FALSE(window.isVisible());
    w.presenter.OpenMainWindow();
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.close());  // the close box hides; nothing is destroyed
    EXPECT_FALSE(window.isVisible());

    w.presenter.OpenMainWindow();
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(&window, &enter);
    EXPECT_TRUE(window.isVisible());
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&window, &escape);
    EXPECT_FALSE(window.isVisible());

    // No notification area: the window would be lost if hidden.
    w.presenter.SetTrayPresent(false);
    w.presenter.OpenMainWindow();
    EXPECT_FALSE(window.close());
    EXPECT_TRUE(window.isMinimized());
    w.presenter.OpenMainWindow();
    EXPECT_FALSE(window.isMinimized());
    EXPECT_TRUE(window.isVisible());
}

TEST_F(Widgets, TrayMenuOffersOpenAsDefaultStartAtLoginAndQuitLast) {
    test::Sandbox sandbox;  // the login entry goes below its XDG_CONFIG_HOME
    TrayIcon tray;
    QStringList texts;
    for (QAction* action : tray.Menu()->actions())
        if (!action->isSeparator()) texts << action->text();
    EXPECT_EQ(texts, (QStringList{"Open main window", "Check backups", "Start at login", "Quit"}));
    ASSERT_NE(tray.Menu()->defaultAction(), nullptr);
    EXPECT_EQ(tray.Menu()->defaultAction()->text(), "Open main window");
    EXPECT_EQ(tray.toolTip(), "Transfer your files between mobile and PC.");

    int opened = 0, quit = 0, checks = 0;
    QObject::connect(&tray, &TrayIcon::openRequested, [&] { ++opened; });
    QObject::connect(&tray, &TrayIcon::checkBackupsRequested, [&] { ++checks; });
    QObject::connect(&tray, &TrayIcon::quitRequested, [&] { ++quit; });
    tray.Menu()->actions().front()->trigger();
    emit tray.activated(QSystemTrayIcon::Trigger);  // a left click
    emit tray.activated(QSystemTrayIcon::Context);  // the menu, nothing else
    tray.Menu()->actions().back()->trigger();
    for (QAction* action : tray.Menu()->actions())
        if (action->text() == "Check backups") action->trigger();
    EXPECT_EQ(opened, 2);
    EXPECT_EQ(quit, 1);
    EXPECT_EQ(checks, 1);
}

TEST_F(Widgets, TrayStartAtLoginSwitchesTheLoginEntryAndShowsWhatIs) {
    test::Sandbox sandbox;
    const auto entry = sandbox.configHome() / "autostart" / "harbrook.desktop";
    TrayIcon tray;
    QAction* item = tray.StartAtLoginItem();
    ASSERT_TRUE(item->isCheckable());
    EXPECT_FALSE(item->isChecked());
    QStringList failures;
    QObject::connect(&tray, &TrayIcon::startAtLoginFailed,
                     [&](const QString& why) { failures << why; });

    item->trigger();
    EXPECT_TRUE(item->isChecked());
    EXPECT_TRUE(std::filesystem::is_regular_file(entry));
    EXPECT_NE(test::ReadFileBytes(entry).find("Exec="), std::string::npos);
    item->trigger();
    EXPECT_FALSE(item->isChecked());
    EXPECT_FALSE(std::filesystem::exists(entry));

    // Switched elsewhere meanwhile: the menu shows it when it opens.
    ASSERT_TRUE(platform::SetStartAtLogin(true, platform::ExecutablePath(), nullptr));
    emit tray.Menu()->aboutToShow();
    EXPECT_TRUE(item->isChecked());
    ASSERT_TRUE(platform::SetStartAtLogin(false, {}, nullptr));
    emit tray.Menu()->aboutToShow();
    EXPECT_FALSE(item->isChecked());

    // Nowhere to write the entry: the tick stays off and the user hears why.
    test::SetEnv("XDG_CONFIG_HOME", "relative");
    test::SetEnv("HOME", "relative");
    item->trigger();
    EXPECT_FALSE(item->isChecked());
    ASSERT_EQ(failures.size(), 1);
    EXPECT_FALSE(failures.front().isEmpty());
}

// Files dropped on the window become one send; while a send runs a drop is
// refused with a message box of its own.
TEST_F(Widgets, DroppedFilesAreSentAndRefusedWhileASendRuns) {
    struct Sends final : WindowCommands {
        bool PhoneKnown() override { return true; }
        void SendFiles(std::vector<std::filesystem::path> files) override {
            sent.push_back(std::move(files));
        }
        void Disconnect() override {}
        FolderAction CategoryFolder(unsigned) override { return {}; }
        void ConnectPanelShown(bool) override {}
        void CheckBackups() override {}
        std::vector<std::vector<std::filesystem::path>> sent;
    } commands;
    QtWindow w;
    w.presenter.SetCommands(&commands);
    const auto drop = [&](const QStringList& files) {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& file : files) urls << QUrl::fromLocalFile(file);
        data.setUrls(urls);
        QDropEvent event(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        // Straight to the window: the application's own dispatch of a drop
        // wants a drag in progress.
        static_cast<QObject&>(w.window).event(&event);
    };
    const auto boxes = [] {
        QStringList texts;
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(widget)) texts << box->text();
        return texts;
    };
    drop({"/tmp/holiday photo.jpg", "/tmp/b.pdf"});
    ASSERT_EQ(commands.sent.size(), 1u);
    EXPECT_EQ(commands.sent[0],
              (std::vector<std::filesystem::path>{"/tmp/holiday photo.jpg", "/tmp/b.pdf"}));

    w.presenter.SetSendButton("Sending", false);
    QtWindow::Pump();
    const auto before = boxes().size();
    drop({"/tmp/c.jpg"});
    EXPECT_EQ(commands.sent.size(), 1u);
    const QStringList after = boxes();
    ASSERT_EQ(after.size(), before + 1);
    EXPECT_EQ(after.filter("A send is already in progress").size(), 1);
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (qobject_cast<QMessageBox*>(widget)) widget->close();
    w.presenter.SetCommands(nullptr);
}

TEST_F(Widgets, LongTranslationsWrapInsteadOfBeingCut) {
    CategoryButton category{QIcon()};
    category.setText("Musik und Audio");
    category.SetDescription("Kurz.");
    const int oneLine = category.heightForWidth(540);
    category.SetDescription(
        QString("Klicken Sie auf die Schaltfl\u00e4che, um Musik zu sehen. ").repeated(4));
    EXPECT_GT(category.heightForWidth(540), oneLine + 10);

    NavButton nav{QIcon()};
    nav.setText("Senden");
    const int shortText = nav.heightForWidth(170);
    nav.setText("Empfangene Dateien und Sicherungen vom Telefon");
    EXPECT_GT(nav.heightForWidth(170), shortText);
    EXPECT_TRUE(nav.sizePolicy().hasHeightForWidth());
}

TEST_F(Widgets, QrCodeIsEnlargedByWholePixelsOnly) {
    EXPECT_EQ(QrView::WholeScale({189, 189}, {228, 228}, 1.0), 1);
    EXPECT_EQ(QrView::WholeScale({189, 189}, {228, 228}, 2.0), 2);
    EXPECT_EQ(QrView::WholeScale({189, 189}, {400, 300}, 1.5), 2);  // 450 device pixels down
    EXPECT_EQ(QrView::WholeScale({200, 200}, {100, 100}, 1.0), 1);  // never below one
}

// GIF building blocks: a 4×4 image of one colour after its delay.
QByteArray GifHeader() {
    return QByteArray::fromHex("47494638396104000400f00000ff0000000000");
}
QByteArray GifFrame(int hundredths) {
    QByteArray frame = QByteArray::fromHex("21f90400");
    frame.append(char(hundredths & 0xff)).append(char(hundredths >> 8));
    frame.append(QByteArray::fromHex("0000"));
    return frame + QByteArray::fromHex(
                       "2c000000000400040000"
                       "0204848f0905"
                       "00");
}

TEST_F(Widgets, PictureControlLoadsStillPicturesAndPlaysAnimations) {
    QTemporaryDir dir;
    const auto write = [&](const QString& name, const QByteArray& bytes) {
        QFile file(dir.filePath(name));
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        return file.fileName();
    };
    PictureView view;
    EXPECT_FALSE(view.LoadFile(dir.filePath("missing.jpg")));
    EXPECT_FALSE(view.LoadFile(write("empty.gif", {})));
    EXPECT_FALSE(view.LoadFile(write("none.gif", GifHeader() + ";")));

    QImage still(300, 200, QImage::Format_RGB32);
    still.fill(Qt::red);
    ASSERT_TRUE(still.save(dir.filePath("still.jpg")));
    ASSERT_TRUE(view.LoadFile(dir.filePath("still.jpg")));
    EXPECT_EQ(view.size(), QSize(300, 200));
    EXPECT_TRUE(view.Draw());
    EXPECT_FALSE(view.IsPlaying());

    ASSERT_TRUE(view.LoadFile(write("one.gif", GifHeader() + GifFrame(0) + ";")));
    EXPECT_EQ(view.size(), QSize(4, 4));
    EXPECT_TRUE(view.Draw());  // one image: a still picture

    ASSERT_TRUE(view.LoadFile(
        write("three.gif", GifHeader() + GifFrame(0) + GifFrame(3) + GifFrame(50) + ";")));
    ASSERT_EQ(view.Frames().size(), 3u);
    EXPECT_EQ(view.Frames()[0].delayMs, 100);
    EXPECT_EQ(view.Frames()[1].delayMs, 100);
    EXPECT_EQ(view.Frames()[2].delayMs, 500);
    EXPECT_FALSE(view.Draw());  // an animation plays instead
    EXPECT_TRUE(view.IsPlaying());
    view.Unload();
    EXPECT_FALSE(view.IsPlaying());
}

TEST_F(Widgets, RightToLeftMirrorsTheWindow) {
    QApplication::setLayoutDirection(Qt::RightToLeft);
    QtWindow w;
    MainWindow& window = w.window;
    w.presenter.OpenMainWindow();
    QApplication::processEvents();
    const QPoint nav = window.NavConnect()->mapTo(&window, QPoint(0, 0));
    const QPoint panel = window.PanelOnShow()->mapTo(&window, QPoint(0, 0));
    EXPECT_GT(nav.x(), panel.x());  // the navigation is on the right
    EXPECT_EQ(panel.x(), 0);
    window.grab().save(QString(HARBROOK_SHOTS_DIR) + "/offscreen-rtl.png");
    QApplication::setLayoutDirection(Qt::LeftToRight);
    window.NavReceived()->click();
    QApplication::processEvents();
    window.grab().save(QString(HARBROOK_SHOTS_DIR) + "/offscreen-received-files.png");
}

}  // namespace
}  // namespace harbrook::qt
