#include "Filer.h"

#include "Exceptions.h"
#include "Format.h"

#include <algorithm>
#include <cstring>

namespace {

// Long strings are read in pieces of this size: memory follows the bytes that really arrive.
constexpr size_t PieceBytes = size_t(1) << 20;
const char* const STextTooLong = "Text too long to save: %d bytes (at most %d)";

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
    if (S.size() > FMaxString) throw EWriteError(Format(STextTooLong, {S.size(), FMaxString}));
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
    // A block of memory has nothing beyond what it holds, and nothing at the limit is read (nor
    // asked of the stream).
    if (!FStream || FStreamPos >= FLimit) throw EReadError(SysConsts::SReadError);
    FBufPos = 0;
    FBufEnd = FStream->Read(FBuffer.data(), FBuffer.size());
    FStreamPos += static_cast<int64_t>(FBufEnd);
    if (FBufEnd == 0) throw EReadError(SysConsts::SReadError);
}

bool TReader::CanRead(size_t Count) {
    size_t Held = FBufEnd - FBufPos;
    if (Held >= Count) return true;
    return FStream && FStream->CanRead(Count - Held);
}

uint8_t TReader::ReadByteSlow() {
    FillBuffer();
    return FData[FBufPos++];
}

void TReader::Read(void* Buf, size_t Count) {
    uint8_t* P = static_cast<uint8_t*>(Buf);
    if (Buffered(Count)) {
        std::memcpy(P, FData + FBufPos, Count);
        FBufPos += Count;
        return;
    }
    if (static_cast<int64_t>(Count) > Remaining()) throw EReadError(SysConsts::SReadError);
    while (Count) {
        if (FBufPos == FBufEnd) {
            if (FStream && Count >= FBuffer.size()) {
                // Large reads bypass the buffer. A stream may give fewer bytes than asked before
                // its own error, which its next read raises.
                while (Count) {
                    size_t N = FStream->Read(P, Count);
                    if (N == 0) throw EReadError(SysConsts::SReadError);
                    FStreamPos += static_cast<int64_t>(N);
                    P += N;
                    Count -= N;
                }
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
    if (Len > FMaxString || (!Buffered(Len) && static_cast<int64_t>(Len) > Remaining()))
        throw EReadError(SysConsts::SReadError);
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

std::vector<std::unique_ptr<char[]>> TReader::ReadPieces(size_t Len) {
    // A stream whose size is not known before its end (an inflating one) answers its cap for
    // Remaining: the pieces then come with the bytes really read, never with the length a
    // damaged file claims.
    std::vector<std::unique_ptr<char[]>> Pieces;
    Pieces.reserve((Len + PieceBytes - 1) / PieceBytes);
    for (size_t Done = 0; Done < Len; Done += PieceBytes) {
        size_t N = std::min(PieceBytes, Len - Done);
        Pieces.emplace_back(new char[N]);
        Read(Pieces.back().get(), N);
    }
    return Pieces;
}

namespace {

// Hands the pieces of a long string to Take(Bytes, Count) in order, freeing each once taken: the
// string and its pieces are never held whole twice.
template <typename F>
void TakePieces(std::vector<std::unique_ptr<char[]>>& Pieces, size_t Len, F Take) {
    for (size_t I = 0, Done = 0; I < Pieces.size(); ++I) {
        size_t N = std::min(PieceBytes, Len - Done);
        Take(Pieces[I].get(), N);
        Pieces[I].reset();
        Done += N;
    }
}

} // namespace

std::string TReader::ReadStringOfLength(size_t Len) {
    std::string S;
    if (Len <= PieceBytes) {
        S.resize(Len);
        Read(S.data(), Len);
        return S;
    }
    auto Pieces = ReadPieces(Len);
    // Every byte is there: only now does the string take its whole size.
    S.reserve(Len);
    TakePieces(Pieces, Len, [&](const char* P, size_t N) { S.append(P, N); });
    return S;
}

PackedString TReader::ReadPackedString(const PackedString* Same) {
    size_t Len = ReadStringLength();
    if (FBufEnd - FBufPos >= Len) {
        std::string_view V(reinterpret_cast<const char*>(FData) + FBufPos, Len);
        FBufPos += Len;
        return Same && Same->View() == V ? *Same : PackedString(V);
    }
    if (Len <= PieceBytes) {
        std::string S = ReadStringOfLength(Len);
        return Same && Same->View() == S ? *Same : PackedString(S);
    }
    auto Pieces = ReadPieces(Len);
    if (Same && Same->size() == Len) {
        bool Equal = true;
        size_t At = 0;
        for (size_t I = 0; I < Pieces.size() && Equal; ++I) {
            size_t N = std::min(PieceBytes, Len - At);
            Equal = std::memcmp(Same->View().data() + At, Pieces[I].get(), N) == 0;
            At += N;
        }
        if (Equal) return *Same;
    }
    return PackedString::Filled(Len, [&](char* Data) {
        TakePieces(Pieces, Len, [&](const char* P, size_t N) {
            std::memcpy(Data, P, N);
            Data += N;
        });
    });
}

bool TReader::AtEnd() {
    if (FBufPos < FBufEnd) return false;
    if (!FStream) return true;
    // Read ahead into the buffer rather than probe and seek back: the stream need not go back.
    FBufPos = 0;
    FBufEnd = FStream->Read(FBuffer.data(), FBuffer.size());
    FStreamPos += static_cast<int64_t>(FBufEnd);
    return FBufEnd == 0;
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

void TReader::SetPosition(int64_t Pos) {
    // Bytes still in the buffer are taken from there: a stream inflated as it is read cannot go
    // back far, and need not.
    int64_t BufStart = FStreamPos - static_cast<int64_t>(FBufEnd);
    if (Pos >= BufStart && Pos <= FStreamPos) {
        FBufPos = static_cast<size_t>(Pos - BufStart);
        return;
    }
    if (!FStream) throw EReadError(SysConsts::SReadError);
    FBufPos = FBufEnd = 0;
    FStreamPos = FStream->Seek(Pos, soFromBeginning);
    // A stream that ends before Pos (one whose size is known only at its end) stops there: the
    // place asked for is not in it.
    if (FStreamPos != Pos) throw EReadError(SysConsts::SReadError);
}
