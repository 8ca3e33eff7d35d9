#include "platform/Format.h"

#include <gtest/gtest.h>

TEST(Format, MessagesOfTheProgram) {
    EXPECT_EQ(Format("%s: Can't create BasicItem from %s", {"TBasicItems", "TFoo"}),
              "TBasicItems: Can't create BasicItem from TFoo");
    EXPECT_EQ(Format("%d Files Found", {12}), "12 Files Found");
    EXPECT_EQ(Format("%dx%dx%s bmp", {640, 480, "24b"}), "640x480x24b bmp");
    EXPECT_EQ(Format("InternalError: Reader: Position %d > %d", {10, 8}),
              "InternalError: Reader: Position 10 > 8");
}

TEST(Format, HexWidthPrecisionAndMistakes) {
    EXPECT_EQ(Format("%.4X-%.4X", {0x1A2Bu, 0x3C4Du}), "1A2B-3C4D");
    EXPECT_EQ(Format("%.4X", {0x1u}), "0001");
    EXPECT_EQ(Format("%x", {-1}), "ffffffff");
    EXPECT_EQ(Format("%5d|%-5s|", {42, "ab"}), "   42|ab   |");
    EXPECT_EQ(Format("100%%"), "100%");
    EXPECT_EQ(Format("%d and %d", {1}), "1 and ?");
    EXPECT_EQ(Format("%d", {"text"}), "?");
    EXPECT_EQ(Format("%.3d", {-7}), "-007");
    EXPECT_EQ(Format("trailing %"), "trailing %");
}
