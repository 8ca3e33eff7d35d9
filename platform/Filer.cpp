#include "Filer.h"

#include "Exceptions.h"

#include <algorithm>
#include <cstring>

namespace {

template <typename T>
void PutLE(uint8_t* P, T V) {
    for (size_t I = 0; I < sizeof(T); ++I)
        P[I] = static_cast<uint8_t>(static_cast<uint64_t>(V) >> (8 * I));
}

template <typename T>
T GetLE(const uint8_t* P) {
    uint64_t V = 0;
    for (size_t I = 0; I < sizeof(T); ++I)
        V |= static_cast<uint64_t>(P[I]) << (8 * I);
    return static_cast<T>(V);
}

[[noreturn]] void InvalidValue() {
    throw EReadError(SysConsts::SInvalidProperty);
}

} // namespace

// ---- TWriter -----------------------------------------------------------------------------------

TWriter::TWriter(TStream& Stream, size_t BufSize)
    : FStream(Stream), FBuffer(std::max<size_t>(BufSize, 16)) {}

TWriter::~TWriter() {
    try {
        FlushBuffer();
    } catch (...) {
    }
}

void TWriter::FlushBuffer() {
    if (FBufPos) {
        size_t N = FBufPos;
        FBufPos = 0;
        FStream.WriteBuffer(FBuffer.data(), N);
    }
}

void TWriter::Write(const void* Buf, size_t Count) {
    const uint8_t* P = static_cast<const uint8_t*>(Buf);
    while (Count) {
        if (FBufPos == FBuffer.size()) FlushBuffer();
        size_t N = std::min(Count, FBuffer.size() - FBufPos);
        std::memcpy(FBuffer.data() + FBufPos, P, N);
        FBufPos += N;
        P += N;
        Count -= N;
    }
}

void TWriter::WriteByte(uint8_t B) {
    if (FBufPos == FBuffer.size()) FlushBuffer();
    FBuffer[FBufPos++] = B;
}

void TWriter::WriteRaw32(uint32_t V) {
    uint8_t B[4];
    PutLE(B, V);
    Write(B, 4);
}

void TWriter::WriteInteger(int32_t V) {
    uint8_t B[5];
    if (V >= -128 && V <= 127) {
        B[0] = vaInt8;
        B[1] = static_cast<uint8_t>(static_cast<int8_t>(V));
        Write(B, 2);
    } else if (V >= -32768 && V <= 32767) {
        B[0] = vaInt16;
        PutLE(B + 1, static_cast<int16_t>(V));
        Write(B, 3);
    } else {
        B[0] = vaInt32;
        PutLE(B + 1, V);
        Write(B, 5);
    }
}

void TWriter::WriteInt64(int64_t V) {
    if (V >= INT32_MIN && V <= INT32_MAX) {
        WriteInteger(static_cast<int32_t>(V));
        return;
    }
    uint8_t B[9];
    B[0] = vaInt64;
    PutLE(B + 1, V);
    Write(B, 9);
}

void TWriter::WriteString(std::string_view S) {
    if (S.size() <= 255) {
        uint8_t B[2] = {vaString, static_cast<uint8_t>(S.size())};
        Write(B, 2);
    } else {
        if (S.size() > UINT32_MAX) throw EWriteError(SysConsts::SWriteError);
        uint8_t B[5];
        B[0] = vaLString;
        PutLE(B + 1, static_cast<uint32_t>(S.size()));
        Write(B, 5);
    }
    Write(S.data(), S.size());
}

void TWriter::WriteBoolean(bool V) {
    WriteValue(V ? vaTrue : vaFalse);
}

void TWriter::WriteDate(TDateTime D) {
    uint8_t B[9];
    B[0] = vaDate;
    uint64_t Bits;
    static_assert(sizeof Bits == sizeof D);
    std::memcpy(&Bits, &D, 8);
    PutLE(B + 1, Bits);
    Write(B, 9);
}

int64_t TWriter::Position() const {
    return const_cast<TStream&>(FStream).Position() + static_cast<int64_t>(FBufPos);
}

void TWriter::SetPosition(int64_t Pos) {
    FlushBuffer();
    FStream.SetPosition(Pos);
}

// ---- TReader -----------------------------------------------------------------------------------

TReader::TReader(TStream& Stream, size_t BufSize)
    : FStream(&Stream), FBuffer(std::max<size_t>(BufSize, 16)), FData(FBuffer.data()),
      FStreamSize(Stream.Size()), FStreamPos(Stream.Position()) {}

TReader::TReader(const void* Data, size_t Size)
    : FStream(nullptr), FData(static_cast<const uint8_t*>(Data)), FBufEnd(Size),
      FStreamSize(static_cast<int64_t>(Size)), FStreamPos(static_cast<int64_t>(Size)) {}

TReader::~TReader() {
    // Give back what was buffered but not read, so the stream stands after the last value. A
    // stream that cannot go back that far (one inflated as it is read) stays where it is: a
    // destructor raises nothing.
    try {
        if (FStream && FBufEnd > FBufPos)
            FStream->Seek(-static_cast<int64_t>(FBufEnd - FBufPos), soFromCurrent);
    } catch (...) {
    }
}

void TReader::FillBuffer() {
    // A block of memory has nothing beyond what it holds.
    if (!FStream) throw EReadError(SysConsts::SReadError);
    FBufPos = 0;
    FBufEnd = FStream->Read(FBuffer.data(), FBuffer.size());
    FStreamPos += static_cast<int64_t>(FBufEnd);
    if (FBufEnd == 0) throw EReadError(SysConsts::SReadError);
}

int64_t TReader::Remaining() const {
    int64_t StreamLeft = FStreamSize - FStreamPos;
    return std::max<int64_t>(0, StreamLeft) + static_cast<int64_t>(FBufEnd - FBufPos);
}

uint8_t TReader::ReadByteSlow() {
    FillBuffer();
    return FData[FBufPos++];
}

void TReader::Read(void* Buf, size_t Count) {
    if (static_cast<int64_t>(Count) > Remaining()) throw EReadError(SysConsts::SReadError);
    uint8_t* P = static_cast<uint8_t*>(Buf);
    while (Count) {
        if (FBufPos == FBufEnd) {
            if (FStream && Count >= FBuffer.size()) {
                // Large reads bypass the buffer.
                FStream->ReadBuffer(P, Count);
                FStreamPos += static_cast<int64_t>(Count);
                return;
            }
            FillBuffer();
        }
        size_t N = std::min(Count, FBufEnd - FBufPos);
        std::memcpy(P, FData + FBufPos, N);
        FBufPos += N;
        P += N;
        Count -= N;
    }
}

uint32_t TReader::ReadRaw32Slow() {
    uint8_t B[4];
    Read(B, 4);
    return GetLE<uint32_t>(B);
}

TValueType TReader::NextValueSlow() {
    FillBuffer();
    return static_cast<TValueType>(FData[FBufPos]);
}

int32_t TReader::ReadIntegerOfType(TValueType T) {
    uint8_t B[4];
    switch (T) {
    case vaInt8: Read(B, 1); return static_cast<int8_t>(B[0]);
    case vaInt16: Read(B, 2); return GetLE<int16_t>(B);
    case vaInt32: Read(B, 4); return GetLE<int32_t>(B);
    default: InvalidValue();
    }
}

int32_t TReader::ReadIntegerSlow() {
    return ReadIntegerOfType(ReadValue());
}

int64_t TReader::ReadInt64() {
    TValueType T = ReadValue();
    if (T == vaInt64) {
        uint8_t B[8];
        Read(B, 8);
        return GetLE<int64_t>(B);
    }
    return ReadIntegerOfType(T);
}

size_t TReader::ReadStringLength() {
    TValueType T = ReadValue();
    size_t Len;
    if (T == vaString) {
        Len = ReadByte();
    } else if (T == vaLString) {
        Len = ReadRaw32();
    } else {
        InvalidValue();
    }
    if (static_cast<int64_t>(Len) > Remaining()) throw EReadError(SysConsts::SReadError);
    return Len;
}

std::string_view TReader::ReadStringView(std::string& Scratch) {
    size_t Len = ReadStringLength();
    if (FBufEnd - FBufPos >= Len) {
        std::string_view V(reinterpret_cast<const char*>(FData) + FBufPos, Len);
        FBufPos += Len;
        return V;
    }
    Scratch = ReadStringOfLength(Len);
    return Scratch;
}

std::string TReader::ReadString() {
    return ReadStringOfLength(ReadStringLength());
}

std::string TReader::ReadStringOfLength(size_t Len) {
    // A stream whose size is not known before its end (an inflating one) answers its cap for
    // Remaining: a long string then grows with the bytes really read, never with the length a
    // damaged file claims.
    constexpr size_t Step = size_t(1) << 20;
    std::string S;
    if (Len <= Step) {
        S.resize(Len);
        Read(S.data(), Len);
        return S;
    }
    while (S.size() < Len) {
        size_t N = std::min(Step + S.size(), Len - S.size());
        size_t At = S.size();
        S.resize(At + N);
        Read(S.data() + At, N);
    }
    return S;
}

bool TReader::AtEnd() {
    if (FBufPos < FBufEnd) return false;
    if (!FStream) return true;
    uint8_t Probe;
    if (FStream->Read(&Probe, 1) == 0) return true;
    FStream->Seek(-1, soFromCurrent);
    return false;
}

bool TReader::ReadBoolean() {
    return ReadValue() == vaTrue;
}

TDateTime TReader::ReadDate() {
    TValueType T = ReadValue();
    if (T == vaDate) {
        uint8_t B[8];
        Read(B, 8);
        uint64_t Bits = GetLE<uint64_t>(B);
        double D;
        std::memcpy(&D, &Bits, 8);
        return D;
    }
    return static_cast<double>(ReadIntegerOfType(T));
}

int64_t TReader::Position() const {
    return FStreamPos - static_cast<int64_t>(FBufEnd - FBufPos);
}

void TReader::SetPosition(int64_t Pos) {
    if (!FStream) {
        if (Pos < 0 || Pos > FStreamSize) throw EReadError(SysConsts::SReadError);
        FBufPos = static_cast<size_t>(Pos);
        return;
    }
    FBufPos = FBufEnd = 0;
    FStreamPos = FStream->Seek(Pos, soFromBeginning);
    // A stream that ends before Pos (one whose size is known only at its end) stops there: the
    // place asked for is not in it.
    if (FStreamPos != Pos) throw EReadError(SysConsts::SReadError);
}
