// One QApplication, offscreen, for the widget tests of every file.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>

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

}  // namespace harbrook::qt
