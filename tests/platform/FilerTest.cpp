#include "platform/Filer.h"
#include "platform/Exceptions.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace {

std::string Written(const std::function<void(TWriter&)>& Fn) {
    TMemoryStream S;
    {
        TWriter W(S);
        Fn(W);
    }
    return std::string(S.View());
}

TMemoryStream StreamOf(std::string_view Bytes) {
    TMemoryStream S;
    S.Write(Bytes.data(), Bytes.size());
    S.SetPosition(0);
    return S;
}

} // namespace

TEST(Filer, IntegersTakeTheSmallestTag) {
    EXPECT_EQ(HexBytes(Written([](TWriter& W) { W.WriteInteger(127); })), "02 7F");
    EXPECT_EQ(HexBytes(Written([](TWriter& W) { W.WriteInteger(-128); })), "02 80");
    EXPECT_EQ(HexBytes(Written([](TWriter& W) { W.WriteInteger(128); })), "03 80 00");
    EXPECT_EQ(HexBytes(Written([](TWriter& W) { W.WriteInteger(-129); })), "03 7F FF");
    EXPECT_EQ(HexBytes(Written([](TWriter& W) { W.WriteInteger(32767); })), "03 FF 7F");
    EXPECT_EQ(HexBytes(Written([](TWriter& W) { W.WriteInteger(32768); })), "04 00 80 00 00");
    EXPECT_EQ(HexBytes(Written([](TWriter& W) { W.WriteInteger(-32769); })), "04 FF 7F FF FF");
    EXPECT_EQ(HexBytes(Written([](TWriter& W) { W.WriteInteger(-1); })), "02 FF");
}

TEST(Filer, Int64FormUsesTag19OnlyOutsideThe32BitRange) {
    EXPECT_EQ(HexBytes(Written([](TWriter& W) { W.WriteInt64(2147483647); })), "04 FF FF FF 7F");
    EXPECT_EQ(HexBytes(Written([](TWriter& W) { W.WriteInt64(2147483648LL); })),
              "13 00 00 00 80 00 00 00 00");
    EXPECT_EQ(HexBytes(Written([](TWriter& W) { W.WriteInt64(3000000000LL); })),
              "13 00 5E D0 B2 00 00 00 00");
    EXPECT_EQ(HexBytes(Written([](TWriter& W) { W.WriteInt64(5LL << 30); })),
              "13 00 00 00 40 01 00 00 00");
}

TEST(Filer, StringsSwitchToTheLongFormAbove255Bytes) {
    std::string S255(255, 'a'), S256(256, 'b');
    std::string A = Written([&](TWriter& W) { W.WriteString(S255); });
    ASSERT_EQ(A.size(), 257u);
    EXPECT_EQ(static_cast<unsigned char>(A[0]), 6);
    EXPECT_EQ(static_cast<unsigned char>(A[1]), 255);
    std::string B = Written([&](TWriter& W) { W.WriteString(S256); });
    ASSERT_EQ(B.size(), 261u);
    EXPECT_EQ(HexBytes(B.substr(0, 5)), "0C 00 01 00 00");

    TMemoryStream S = StreamOf(A + B);
    TReader R(S);
    EXPECT_EQ(R.ReadString(), S255);
    EXPECT_EQ(R.ReadString(), S256);
}

TEST(Filer, KeywordRecordExampleIsFifteenBytes) {
    // Raw size, Integer class index 9, String "Music", String "".
    std::string Bytes = Written([](TWriter& W) {
        W.WriteRaw32(15);
        W.WriteInteger(9);
        W.WriteString("Music");
        W.WriteString("");
    });
    EXPECT_EQ(HexBytes(Bytes), "0F 00 00 00 02 09 06 05 4D 75 73 69 63 06 00");
}

TEST(Filer, ValuesRoundTrip) {
    const std::vector<int64_t> Ints = {0,
                                       1,
                                       -1,
                                       127,
                                       128,
                                       -128,
                                       -129,
                                       32767,
                                       32768,
                                       -32768,
                                       -32769,
                                       2147483647,
                                       -2147483648LL,
                                       2147483648LL,
                                       4294967295LL,
                                       1LL << 40,
                                       -(1LL << 40)};
    std::string Bytes = Written([&](TWriter& W) {
        for (int64_t V : Ints)
            W.WriteInt64(V);
        W.WriteBoolean(true);
        W.WriteBoolean(false);
        W.WriteDate(36526.5);
        W.WriteDate(-1.25);
    });
    TMemoryStream S = StreamOf(Bytes);
    TReader R(S);
    for (int64_t V : Ints)
        EXPECT_EQ(R.ReadInt64(), V);
    EXPECT_TRUE(R.ReadBoolean());
    EXPECT_FALSE(R.ReadBoolean());
    EXPECT_DOUBLE_EQ(R.ReadDate(), 36526.5);
    EXPECT_DOUBLE_EQ(R.ReadDate(), -1.25);
    EXPECT_EQ(R.Remaining(), 0);
}

TEST(Filer, DateWrittenAsTag17AndReadFromAnInteger) {
    EXPECT_EQ(HexBytes(Written([](TWriter& W) { W.WriteDate(0); })), "11 00 00 00 00 00 00 00 00");
    // An Integer where a date is expected counts whole days.
    TMemoryStream S = StreamOf(std::string("\x03\x10\x27", 3));
    TReader R(S);
    EXPECT_DOUBLE_EQ(R.ReadDate(), 10000.0);
}

TEST(Filer, BooleanReadsOnlyTheTagByte) {
    // Any tag other than 9 is false, and only the tag byte is consumed.
    TMemoryStream S = StreamOf(std::string("\x09\x08\x02\x05", 4));
    TReader R(S);
    EXPECT_TRUE(R.ReadBoolean());
    EXPECT_FALSE(R.ReadBoolean());
    EXPECT_FALSE(R.ReadBoolean());
    EXPECT_EQ(R.Remaining(), 1);
}

TEST(Filer, ReaderRefusesDamagedValues) {
    auto Fails = [](std::string_view Bytes, const std::function<void(TReader&)>& Fn) {
        TMemoryStream S = StreamOf(Bytes);
        TReader R(S);
        EXPECT_THROW(Fn(R), EReadError) << HexBytes(Bytes);
    };
    Fails("", [](TReader& R) { R.ReadInteger(); });
    Fails("\x04\x01\x02", [](TReader& R) { R.ReadInteger(); }); // truncated Int32
    Fails(std::string("\x06\x05"
                      "abc",
                      5),
          [](TReader& R) { R.ReadString(); }); // short string
    // A long string claiming 4 GiB must fail before anything is allocated.
    Fails(std::string("\x0C\xFF\xFF\xFF\xFF"
                      "abc",
                      8),
          [](TReader& R) { R.ReadString(); });
    Fails("\x06", [](TReader& R) { R.ReadString(); });
    Fails("\x09", [](TReader& R) { R.ReadInteger(); }); // wrong tag
    Fails("\x02\x01", [](TReader& R) { R.ReadString(); });
    Fails("\x13\x01\x02\x03", [](TReader& R) { R.ReadInt64(); });
    Fails("\x11\x00\x00", [](TReader& R) { R.ReadDate(); });
    Fails("\x01\x02", [](TReader& R) { R.ReadRaw32(); });
}

TEST(Filer, PositionsAccountForTheBuffer) {
    TMemoryStream S;
    {
        TWriter W(S, 16);
        W.WriteRaw32(0);
        W.WriteString(std::string(40, 'x'));
        int64_t End = W.Position();
        EXPECT_EQ(End, 4 + 2 + 40);
        W.SetPosition(0);
        W.WriteRaw32(static_cast<uint32_t>(End));
        W.FlushBuffer();
        W.SetPosition(End);
        W.WriteInteger(7);
    }
    TReader R(S, 16);
    R.SetPosition(0);
    EXPECT_EQ(R.ReadRaw32(), 46u);
    EXPECT_EQ(R.Position(), 4);
    R.SetPosition(46);
    EXPECT_EQ(R.ReadInteger(), 7);
}
