// The filer: TWriter and TReader write and read tagged values on a stream, in the encoding the
// catalog file uses (one tag byte, then a little-endian payload):
//
//   2 Int8, 3 Int16, 4 Int32       Integer, the smallest tag that holds the value
//   6 String (1-byte length)       strings of at most 255 bytes
//   12 LString (4-byte length)     longer strings
//   8 False, 9 True                Boolean, no payload
//   17 Date                        8-byte double: days since 1899-12-30
//   19 Int64                       values outside the 32-bit signed range
//
// Both buffer the stream (1024 bytes by default); a reader may also read a block of memory in
// place. The reader checks every length against the bytes that really remain (and against the
// end of the record being read, when one is set) and raises EReadError instead of reading past
// them or allocating what a damaged file claims; a long string takes memory as its bytes really
// arrive, never ahead of them. A reader never goes back in its stream for bytes it still holds.
#pragma once

#include "PackedString.h"
#include "Streams.h"
#include "SysUtils.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

enum TValueType : uint8_t {
    vaNull = 0,
    vaList = 1,
    vaInt8 = 2,
    vaInt16 = 3,
    vaInt32 = 4,
    vaExtended = 5,
    vaString = 6,
    vaIdent = 7,
    vaFalse = 8,
    vaTrue = 9,
    vaBinary = 10,
    vaSet = 11,
    vaLString = 12,
    vaNil = 13,
    vaCollection = 14,
    vaSingle = 15,
    vaCurrency = 16,
    vaDate = 17,
    vaWString = 18,
    vaInt64 = 19,
};

class TWriter {
public:
    explicit TWriter(TStream& Stream, size_t BufSize = 1024);
    ~TWriter(); // flushes; errors on that last flush are swallowed (call FlushBuffer to see them)
    TWriter(const TWriter&) = delete;
    TWriter& operator=(const TWriter&) = delete;

    void WriteInteger(int32_t V);
    // The Int64 form: an Integer inside the 32-bit signed range, tag 19 outside it.
    void WriteInt64(int64_t V);
    void WriteString(std::string_view S);
    void WriteBoolean(bool V);
    void WriteDate(TDateTime D);
    void WriteValue(TValueType V) { WriteByte(static_cast<uint8_t>(V)); }
    // Strings longer than Bytes are refused with EWriteError (a reader with the same bound could
    // not read them back).
    void SetMaxString(size_t Bytes) { FMaxString = Bytes; }
    // Raw bytes, no tag.
    void Write(const void* Buf, size_t Count);
    void WriteRaw32(uint32_t V);

    int64_t Position() const;
    void SetPosition(int64_t Pos);
    void FlushBuffer();

private:
    void WriteByte(uint8_t B);

    TStream& FStream;
    std::vector<uint8_t> FBuffer;
    size_t FBufPos = 0;
    size_t FMaxString = UINT32_MAX;
};

class TReader {
public:
    explicit TReader(TStream& Stream, size_t BufSize = 1024);
    // Reads the Size bytes at Data where they lie (no copy, no stream); positions count from
    // Data. The bytes must outlive the reader.
    TReader(const void* Data, size_t Size);
    // Leaves the stream positioned just after the last value read, where the stream can go back.
    ~TReader();
    TReader(const TReader&) = delete;
    TReader& operator=(const TReader&) = delete;

    TValueType ReadValue() { return static_cast<TValueType>(ReadByte()); }
    TValueType NextValue() {
        return FBufPos < FBufEnd ? static_cast<TValueType>(FData[FBufPos]) : NextValueSlow();
    }
    // The common case inline: a tag and its payload lie whole in the buffer.
    int32_t ReadInteger() {
        if (FBufEnd - FBufPos >= 5) {
            const uint8_t* P = FData + FBufPos;
            switch (P[0]) {
            case vaInt8: FBufPos += 2; return static_cast<int8_t>(P[1]);
            case vaInt16:
                FBufPos += 3;
                return static_cast<int16_t>(static_cast<uint16_t>(P[1] | P[2] << 8));
            case vaInt32:
                FBufPos += 5;
                return static_cast<int32_t>(static_cast<uint32_t>(P[1]) | uint32_t(P[2]) << 8 |
                                            uint32_t(P[3]) << 16 | uint32_t(P[4]) << 24);
            default: break;
            }
        }
        return ReadIntegerSlow();
    }
    int64_t ReadInt64();
    std::string ReadString();
    // The same string as a view that stays valid until the next read: into the reader's buffer
    // when the string lies whole in it (no copy), else into Scratch.
    std::string_view ReadStringView(std::string& Scratch);
    // The same string in the form items keep; Same (when given) is returned itself when the
    // string equals it, so that the two share one buffer.
    PackedString ReadPackedString(const PackedString* Same = nullptr);
    // Strings longer than Bytes are refused with EReadError before anything is read.
    void SetMaxString(size_t Bytes) { FMaxString = Bytes; }
    bool ReadBoolean();
    TDateTime ReadDate();
    void Read(void* Buf, size_t Count);
    uint32_t ReadRaw32() {
        if (FBufEnd - FBufPos >= 4) {
            const uint8_t* P = FData + FBufPos;
            FBufPos += 4;
            return uint32_t(P[0]) | uint32_t(P[1]) << 8 | uint32_t(P[2]) << 16 |
                   uint32_t(P[3]) << 24;
        }
        return ReadRaw32Slow();
    }

    int64_t Position() const { return FStreamPos - static_cast<int64_t>(FBufEnd - FBufPos); }
    // Goes to Pos: within the buffer where it lies there, else through the stream.
    void SetPosition(int64_t Pos);
    // Bytes between the current position and the end of the stream, or the limit when that
    // comes first (asked for every string and record: inline).
    int64_t Remaining() const {
        int64_t Held = static_cast<int64_t>(FBufEnd - FBufPos);
        int64_t Left = (FStreamSize > FStreamPos ? FStreamSize - FStreamPos : 0) + Held;
        int64_t ToLimit = FLimit - (FStreamPos - Held);
        return ToLimit >= Left ? Left : ToLimit > 0 ? ToLimit : 0;
    }
    // True when nothing follows the last value read.
    bool AtEnd();
    // Nothing at or beyond Limit is read (a record's end: what lies inside it must fit it); the
    // stream is never asked for those bytes either. INT64_MAX: no limit.
    int64_t Limit() const { return FLimit; }
    void SetLimit(int64_t Limit) { FLimit = Limit; }
    // True when the next Count bytes can be read without an error of the stream (a stream that
    // produces its bytes as it goes may wait for them). A reader of memory answers by its size.
    bool CanRead(size_t Count);

private:
    int32_t ReadIntegerOfType(TValueType T);
    uint8_t ReadByte() { return FBufPos < FBufEnd ? FData[FBufPos++] : ReadByteSlow(); }
    uint8_t ReadByteSlow();
    TValueType NextValueSlow();
    int32_t ReadIntegerSlow();
    uint32_t ReadRaw32Slow();
    // The length of the string whose tag comes next.
    size_t ReadStringLength();
    std::string ReadStringOfLength(size_t Len);
    // The Len bytes of a long string in pieces, so that memory grows with the bytes really read.
    std::vector<std::unique_ptr<char[]>> ReadPieces(size_t Len);
    void FillBuffer();

    TStream* FStream; // null when reading a block of memory
    std::vector<uint8_t> FBuffer;
    const uint8_t* FData; // the bytes being read: FBuffer's, or the block's
    size_t FBufPos = 0, FBufEnd = 0;
    int64_t FStreamSize;
    // The stream's own position, kept here so that Position and Remaining need no stream call
    // (the catalog reader asks for them several times per item).
    int64_t FStreamPos;
    int64_t FLimit = INT64_MAX;
    size_t FMaxString = UINT32_MAX;

    // True when the next Count bytes lie in the buffer and before the limit: the common case
    // of every value, which needs neither the stream nor Remaining.
    bool Buffered(size_t Count) const {
        size_t Held = FBufEnd - FBufPos;
        return Count <= Held &&
               static_cast<int64_t>(Count) <= FLimit - (FStreamPos - static_cast<int64_t>(Held));
    }
};
