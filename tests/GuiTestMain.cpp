// Entry of the widget test programs: a QApplication on the offscreen platform with a fixed
// screen, the pinned collation locale, TZ=UTC, and the test thread as the UI thread.
#include "platform/SysUtils.h"
#include "platform/Thread.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>

int main(int argc, char** argv) {
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    std::setlocale(LC_ALL, "C.UTF-8");
    SetCollationLocale("en_US");
    SetMainThread();
    QApplication App(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
