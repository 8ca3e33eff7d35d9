#include "InflateStream.h"

#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstring>

namespace {

constexpr size_t InStep = size_t(256) << 10;
constexpr size_t OutStep = size_t(256) << 10;
const char* const SNotCatalogOrDamaded = "File is not a catalog file or damaded";

[[noreturn]] void Damaged() {
    throw EInflateError(SNotCatalogOrDamaded);
}

double Now() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

struct TInflateStream::State {
    z_stream Z{};
    bool Ready = false;
    ~State() {
        if (Ready) inflateEnd(&Z);
    }
};

TInflateStream::TInflateStream(TStream& Source, uint64_t MaxSize)
    : FSource(Source), FMaxSize(MaxSize), FZ(std::make_unique<State>()), FIn(new uint8_t[InStep]),
      FOut(new uint8_t[OutStep]) {
    if (inflateInit(&FZ->Z) != Z_OK) Damaged();
    FZ->Ready = true;
}

TInflateStream::~TInflateStream() = default;

bool TInflateStream::Refill() {
    if (FStreamEnd) return false;
    double T0 = Now();
    FWindowStart += FOutEnd;
    FOutPos = FOutEnd = 0;
    z_stream& Z = FZ->Z;
    while (FOutEnd < OutStep && !FStreamEnd) {
        if (FInPos == FInEnd && !FSourceEnd) {
            FInPos = 0;
            FInEnd = FSource.Read(FIn.get(), InStep);
            if (FInEnd == 0) FSourceEnd = true;
        }
        Z.next_in = FIn.get() + FInPos;
        Z.avail_in = static_cast<uInt>(FInEnd - FInPos);
        Z.next_out = FOut.get() + FOutEnd;
        Z.avail_out = static_cast<uInt>(OutStep - FOutEnd);
        uInt InBefore = Z.avail_in, OutBefore = Z.avail_out;
        int R = inflate(&Z, Z_NO_FLUSH);
        FInPos += InBefore - Z.avail_in;
        FOutEnd += OutBefore - Z.avail_out;
        if (R == Z_STREAM_END) {
            FStreamEnd = true;
            // Nothing may follow the zlib stream.
            uint8_t Probe;
            if (FInPos != FInEnd || FSource.Read(&Probe, 1) != 0) Damaged();
        } else if (R == Z_BUF_ERROR && FSourceEnd) {
            Damaged(); // the file ends before the stream does
        } else if (R != Z_OK && R != Z_BUF_ERROR) {
            Damaged(); // damaged data, a preset dictionary, no memory
        }
        if (FWindowStart + FOutEnd > FMaxSize) Damaged();
    }
    FInflateSeconds += Now() - T0;
    return FOutEnd > 0;
}

size_t TInflateStream::Read(void* Buffer, size_t Count) {
    auto* P = static_cast<uint8_t*>(Buffer);
    size_t Done = 0;
    while (Done < Count) {
        if (FOutPos == FOutEnd && !Refill()) break;
        size_t N = std::min(Count - Done, FOutEnd - FOutPos);
        std::memcpy(P + Done, FOut.get() + FOutPos, N);
        FOutPos += N;
        Done += N;
    }
    return Done;
}

size_t TInflateStream::Write(const void*, size_t) {
    return 0;
}

int64_t TInflateStream::Seek(int64_t Offset, TSeekOrigin Origin) {
    int64_t Here = static_cast<int64_t>(FWindowStart + FOutPos);
    int64_t Target = Origin == soFromBeginning ? Offset
                     : Origin == soFromCurrent ? Here + Offset
                                               : -1;
    if (Target < static_cast<int64_t>(FWindowStart)) Damaged(); // before the current window
    while (Target > static_cast<int64_t>(FWindowStart + FOutEnd)) {
        if (!Refill()) return static_cast<int64_t>(FWindowStart + FOutEnd);
    }
    FOutPos = static_cast<size_t>(Target - static_cast<int64_t>(FWindowStart));
    return Target;
}

bool TInflateStream::AtEnd() {
    if (FOutPos < FOutEnd) return false;
    return !Refill();
}
