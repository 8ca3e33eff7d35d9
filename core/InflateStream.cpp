#include "InflateStream.h"

#include <isa-l/igzip_lib.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <system_error>
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

// The two bytes that open a zlib stream, checked as zlib checks them: deflate, a window of at
// most 32 KiB, the check bits, no preset dictionary.
bool ZlibHeader(uint8_t Cmf, uint8_t Flg) {
    return (Cmf & 0x0f) == 8 && (Cmf >> 4) <= 7 && ((Cmf << 8) | Flg) % 31 == 0 && !(Flg & 0x20);
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
    std::thread Worker; // not joinable: the reader inflates

    // The inflater's own: touched only by whoever inflates (one at a time, in window order).
    std::unique_ptr<uint8_t[]> In{new uint8_t[InStep]};
    size_t InPos = 0, InEnd = 0;
    bool HeaderRead = false, SourceEnd = false, StreamEnd = false;
    uint64_t Total = 0;
    // ISA-L's inflater reads the same format about twice as fast as zlib's; the header is
    // checked here, the Adler-32 trailer by the inflater.
    std::unique_ptr<inflate_state> Z = std::make_unique<inflate_state>();
};

TInflateStream::TInflateStream(TStream& Source, uint64_t MaxSize)
    : FSource(Source), FMaxSize(MaxSize), FZ(std::make_unique<State>()) {
    // Inflating runs beside the parser, so a load costs about the slower of the two.
    try {
        FZ->Worker = std::thread([this] { Produce(); });
    } catch (const std::system_error&) {
        // No thread to be had: the reader inflates each window when it comes to it.
    }
}

TInflateStream::~TInflateStream() {
    if (!FZ->Worker.joinable()) return;
    {
        std::lock_guard<std::mutex> L(FZ->M);
        FZ->Stopping = true;
    }
    FZ->Cv.notify_all();
    FZ->Worker.join();
}

size_t TInflateStream::InflateWindow(uint8_t* Data) {
    State& S = *FZ;
    inflate_state* Z = S.Z.get();
    if (!S.HeaderRead) {
        while (S.InEnd < 2 && !S.SourceEnd) {
            size_t N = FSource.Read(S.In.get() + S.InEnd, InStep - S.InEnd);
            S.InEnd += N;
            S.SourceEnd = N == 0;
        }
        if (S.InEnd < 2 || !ZlibHeader(S.In[0], S.In[1])) throw EInflateError(SNotCatalogOrDamaded);
        S.InPos = 2;
        isal_inflate_init(Z);
        // The whole 32 KiB window whatever the header declares: zlib reads such streams too.
        Z->crc_flag = ISAL_ZLIB_NO_HDR_VER;
        S.HeaderRead = true;
    }
    size_t Out = 0;
    while (Out < OutStep && !S.StreamEnd) {
        if (S.InPos == S.InEnd && !S.SourceEnd) {
            S.InPos = 0;
            S.InEnd = FSource.Read(S.In.get(), InStep);
            if (S.InEnd == 0) S.SourceEnd = true;
        }
        Z->next_in = S.In.get() + S.InPos;
        Z->avail_in = static_cast<uint32_t>(S.InEnd - S.InPos);
        Z->next_out = Data + Out;
        Z->avail_out = static_cast<uint32_t>(OutStep - Out);
        uint32_t InBefore = Z->avail_in, OutBefore = Z->avail_out;
        int R = isal_inflate(Z);
        S.InPos += InBefore - Z->avail_in;
        Out += OutBefore - Z->avail_out;
        // Damaged data or a wrong checksum.
        if (R < 0) throw EInflateError(SNotCatalogOrDamaded);
        if (Z->block_state == ISAL_BLOCK_FINISH) {
            S.StreamEnd = true;
            // Nothing may follow the zlib stream: not in the input held here, not in the bits
            // the inflater took ahead of need, not in the rest of the file.
            uint8_t Probe;
            if (S.InPos != S.InEnd || Z->read_in_length > 0 || FSource.Read(&Probe, 1) != 0)
                throw EInflateError(SNotCatalogOrDamaded);
        } else if (S.SourceEnd && S.InPos == S.InEnd && Z->avail_out > 0) {
            // The file ends before the stream does.
            throw EInflateError(SNotCatalogOrDamaded);
        }
        if (S.Total + Out > FMaxSize) throw EInflateError(SNotCatalogOrDamaded);
    }
    S.Total += Out;
    return Out;
}

void TInflateStream::FillNext() {
    State& S = *FZ;
    State::TWindow* W;
    {
        std::lock_guard<std::mutex> L(S.M);
        W = &S.Ring[S.NextFill];
    }
    double T0 = Now();
    try {
        size_t Out = InflateWindow(W->Data.get());
        std::lock_guard<std::mutex> L(S.M);
        S.BusySeconds += Now() - T0;
        W->Size = Out;
        W->Full = true;
        S.NextFill = (S.NextFill + 1) % Windows;
        S.Ended = S.StreamEnd;
    } catch (...) {
        std::lock_guard<std::mutex> L(S.M);
        S.Error = std::current_exception();
        S.Ended = true;
    }
    S.Cv.notify_all();
}

void TInflateStream::Produce() {
    State& S = *FZ;
    for (;;) {
        {
            std::unique_lock<std::mutex> L(S.M);
            S.Cv.wait(L, [&] { return S.Stopping || S.Ended || !S.Ring[S.NextFill].Full; });
            if (S.Stopping || S.Ended) return;
        }
        FillNext();
    }
}

bool TInflateStream::WaitFull(size_t Index, std::unique_lock<std::mutex>& L) {
    State& S = *FZ;
    State::TWindow& W = S.Ring[Index];
    if (W.Full || S.Ended) return W.Full;
    if (S.Worker.joinable()) {
        double T0 = Now();
        S.Cv.wait(L, [&] { return W.Full || S.Ended; });
        FWaitSeconds += Now() - T0;
        return W.Full;
    }
    // No inflating thread: the windows up to this one are inflated here, in order.
    while (!W.Full && !S.Ended) {
        L.unlock();
        FillNext();
        L.lock();
    }
    return W.Full;
}

bool TInflateStream::Refill() {
    State& S = *FZ;
    std::unique_lock<std::mutex> L(S.M);
    for (;;) {
        if (FCurrent) {
            // The window read to its end goes back to the inflater.
            FCurrent = nullptr;
            S.Ring[S.NextRead].Full = false;
            S.NextRead = (S.NextRead + 1) % Windows;
            S.Cv.notify_all();
        }
        FWindowStart += FOutEnd;
        FOutPos = FOutEnd = 0;
        if (!WaitFull(S.NextRead, L)) {
            if (S.Error) std::rethrow_exception(S.Error);
            return false; // the end of the body
        }
        FCurrent = S.Ring[S.NextRead].Data.get();
        FOutEnd = S.Ring[S.NextRead].Size;
        // An empty window (all an empty body has) is passed over like any other.
        if (FOutEnd > 0) return true;
    }
}

bool TInflateStream::CanRead(size_t Count) {
    size_t Have = FOutEnd - FOutPos;
    if (Have >= Count) return true;
    State& S = *FZ;
    std::unique_lock<std::mutex> L(S.M);
    // The windows after the one being read, in order, as far as the ring reaches.
    for (size_t K = FCurrent ? 1 : 0; K < Windows; ++K) {
        size_t I = (S.NextRead + K) % Windows;
        if (!WaitFull(I, L)) return false;
        Have += S.Ring[I].Size;
        if (Have >= Count) return true;
    }
    return false;
}

size_t TInflateStream::Read(void* Buffer, size_t Count) {
    auto* P = static_cast<uint8_t*>(Buffer);
    size_t Done = 0;
    while (Done < Count) {
        if (FOutPos == FOutEnd) {
            bool More;
            try {
                More = Refill();
            } catch (...) {
                if (Done == 0) throw;
                break; // the bytes before the damage first; the next read raises
            }
            if (!More) break;
        }
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
