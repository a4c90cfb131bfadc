// One QApplication, offscreen, for the widget tests of every file, and the
// window with its presenter as the program puts them together.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>

#include "app/window_presenter.h"
#include "ui/qt/main_window.h"
#include "ui/qt/qt_view.h"
#include "ui/qt/tray_icon.h"

namespace harbrook::qt {

class Widgets : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "window_widgets_test";
        static char* argv[] = {name, nullptr};
        app = new QApplication(argc, argv);
    }
    // Gone before the program's static objects are destroyed, which Qt's
    // own globals need.
    static void TearDownTestSuite() {
        delete app;
        app = nullptr;
    }
    static inline QApplication* app = nullptr;
};

// Started with the built phone picture; what workers hand over runs on Pump().
struct QtWindow {
    QtWindow() {
        view.Connect(presenter);
        presenter.Start(std::filesystem::path(HARBROOK_PROGRAM_FOLDER));
    }
    static void Pump() { QCoreApplication::processEvents(); }

    MainWindow window;
    TrayIcon tray;
    QtView view{window, tray};
    WindowPresenter presenter{view, view};
};

}  // namespace harbrook::qt
