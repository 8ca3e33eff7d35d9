#include "platform/PackedString.h"

#include <gtest/gtest.h>

TEST(PackedString, SharesOneBufferAndSurvivesSelfAssignment) {
    PackedString A("readme.txt");
    PackedString B = A;
    EXPECT_TRUE(B.SharesWith(A));
    EXPECT_EQ(B.View(), "readme.txt");
    // Through references, as self-assignment happens in real code (a compiler warns of the
    // plain form).
    PackedString& SameA = A;
    PackedString& SameB = B;
    A = SameA; // must keep its text (and must not leak, which the sanitizer build checks)
    EXPECT_EQ(A.View(), "readme.txt");
    B = std::move(SameB);
    EXPECT_EQ(B.View(), "readme.txt");
    PackedString Empty;
    EXPECT_TRUE(Empty.empty());
    EXPECT_EQ(Empty.View(), "");
    A = Empty;
    EXPECT_TRUE(A.empty());
    EXPECT_EQ(B.size(), 10u);
    std::string Bytes("a\0b\xff", 4); // any bytes, NUL included
    PackedString C(Bytes);
    EXPECT_EQ(C.View(), std::string_view(Bytes));
    EXPECT_TRUE(C == PackedString(Bytes));
}
