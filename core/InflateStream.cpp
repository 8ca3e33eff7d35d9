#include "InflateStream.h"

#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

namespace {

constexpr size_t InStep = size_t(256) << 10;
constexpr size_t OutStep = size_t(256) << 10;
// Windows inflated ahead of the reader: enough to ride out the reader's pauses (it makes the
// links of parts read by helpers in batches), few enough that a body refused early costs little.
constexpr size_t Windows = 8;
const char* const SNotCatalogOrDamaded = "File is not a catalog file or damaded";

double Now() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

// The inflating thread fills windows in turn; the reader takes them in the same order. A
// window is either free (the inflater may fill it) or full (the reader may read it).
struct TInflateStream::State {
    std::mutex M;
    std::condition_variable Cv;
    struct TWindow {
        std::unique_ptr<uint8_t[]> Data{new uint8_t[OutStep]};
        size_t Size = 0;
        bool Full = false;
    };
    TWindow Ring[Windows];
    size_t NextFill = 0, NextRead = 0;
    bool Ended = false;    // the inflater is done: the body ended, or Error is set
    bool Stopping = false; // the reader is going away
    std::exception_ptr Error;
    double BusySeconds = 0;
    std::thread Worker;
};

TInflateStream::TInflateStream(TStream& Source, uint64_t MaxSize)
    : FSource(Source), FMaxSize(MaxSize), FZ(std::make_unique<State>()) {
    // Inflating runs beside the parser, so a load costs about the slower of the two.
    FZ->Worker = std::thread([this] { Produce(); });
}

TInflateStream::~TInflateStream() {
    {
        std::lock_guard<std::mutex> L(FZ->M);
        FZ->Stopping = true;
    }
    FZ->Cv.notify_all();
    FZ->Worker.join();
}

void TInflateStream::Produce() {
    State& S = *FZ;
    std::unique_ptr<uint8_t[]> In(new uint8_t[InStep]);
    size_t InPos = 0, InEnd = 0;
    bool SourceEnd = false, StreamEnd = false;
    uint64_t Total = 0;
    z_stream Z{};
    bool Ready = inflateInit(&Z) == Z_OK;
    try {
        if (!Ready) throw EInflateError(SNotCatalogOrDamaded);
        while (!StreamEnd) {
            State::TWindow* W;
            {
                std::unique_lock<std::mutex> L(S.M);
                S.Cv.wait(L, [&] { return S.Stopping || !S.Ring[S.NextFill].Full; });
                if (S.Stopping) break;
                W = &S.Ring[S.NextFill];
            }
            double T0 = Now();
            size_t Out = 0;
            while (Out < OutStep && !StreamEnd) {
                if (InPos == InEnd && !SourceEnd) {
                    InPos = 0;
                    InEnd = FSource.Read(In.get(), InStep);
                    if (InEnd == 0) SourceEnd = true;
                }
                Z.next_in = In.get() + InPos;
                Z.avail_in = static_cast<uInt>(InEnd - InPos);
                Z.next_out = W->Data.get() + Out;
                Z.avail_out = static_cast<uInt>(OutStep - Out);
                uInt InBefore = Z.avail_in, OutBefore = Z.avail_out;
                int R = inflate(&Z, Z_NO_FLUSH);
                InPos += InBefore - Z.avail_in;
                Out += OutBefore - Z.avail_out;
                if (R == Z_STREAM_END) {
                    StreamEnd = true;
                    // Nothing may follow the zlib stream.
                    uint8_t Probe;
                    if (InPos != InEnd || FSource.Read(&Probe, 1) != 0)
                        throw EInflateError(SNotCatalogOrDamaded);
                } else if ((R == Z_BUF_ERROR && SourceEnd) || (R != Z_OK && R != Z_BUF_ERROR)) {
                    // The file ends before the stream does; damaged data, a preset dictionary,
                    // no memory.
                    throw EInflateError(SNotCatalogOrDamaded);
                }
                if (Total + Out > FMaxSize) throw EInflateError(SNotCatalogOrDamaded);
            }
            Total += Out;
            std::lock_guard<std::mutex> L(S.M);
            S.BusySeconds += Now() - T0;
            W->Size = Out;
            W->Full = true;
            S.NextFill = (S.NextFill + 1) % Windows;
            S.Cv.notify_all();
        }
    } catch (...) {
        std::lock_guard<std::mutex> L(S.M);
        S.Error = std::current_exception();
    }
    if (Ready) inflateEnd(&Z);
    std::lock_guard<std::mutex> L(S.M);
    S.Ended = true;
    S.Cv.notify_all();
}

bool TInflateStream::Refill() {
    State& S = *FZ;
    std::unique_lock<std::mutex> L(S.M);
    if (FCurrent) {
        // The window read to its end goes back to the inflater.
        FCurrent = nullptr;
        S.Ring[S.NextRead].Full = false;
        S.NextRead = (S.NextRead + 1) % Windows;
        S.Cv.notify_all();
    }
    FWindowStart += FOutEnd;
    FOutPos = FOutEnd = 0;
    if (!S.Ring[S.NextRead].Full && !S.Ended) {
        double T0 = Now();
        S.Cv.wait(L, [&] { return S.Ring[S.NextRead].Full || S.Ended; });
        FWaitSeconds += Now() - T0;
    }
    if (!S.Ring[S.NextRead].Full) {
        if (S.Error) std::rethrow_exception(S.Error);
        return false; // the end of the body
    }
    FCurrent = S.Ring[S.NextRead].Data.get();
    FOutEnd = S.Ring[S.NextRead].Size;
    return FOutEnd > 0 || Refill();
}

size_t TInflateStream::Read(void* Buffer, size_t Count) {
    auto* P = static_cast<uint8_t*>(Buffer);
    size_t Done = 0;
    while (Done < Count) {
        if (FOutPos == FOutEnd && !Refill()) break;
        size_t N = std::min(Count - Done, FOutEnd - FOutPos);
        std::memcpy(P + Done, FCurrent + FOutPos, N);
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
    // Only the current window can be read again.
    if (Target < static_cast<int64_t>(FWindowStart)) throw EInflateError(SNotCatalogOrDamaded);
    while (Target > static_cast<int64_t>(FWindowStart + FOutEnd)) {
        FOutPos = FOutEnd;
        if (!Refill()) return static_cast<int64_t>(FWindowStart + FOutEnd);
    }
    FOutPos = static_cast<size_t>(Target - static_cast<int64_t>(FWindowStart));
    return Target;
}

bool TInflateStream::AtEnd() {
    if (FOutPos < FOutEnd) return false;
    return !Refill();
}

double TInflateStream::InflateSeconds() const {
    std::lock_guard<std::mutex> L(FZ->M);
    return FZ->BusySeconds;
}
