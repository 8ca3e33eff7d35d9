// The test programs' entry: pins the collation locale so that name order is the same on every
// machine, and makes the test thread the UI thread.
#include "platform/SysUtils.h"
#include "platform/Thread.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>

int main(int argc, char** argv) {
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    std::setlocale(LC_ALL, "C.UTF-8");
    SetCollationLocale("en_US");
    SetMainThread();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
