// TInflateStream: the body of a catalog file, inflated while it is read.
//
// The compressed bytes come from a source stream (the file, or a memory stream) in steps of
// 256 KiB and are inflated, on a thread of the stream's own, into eight windows of the same size
// that the reader takes in turn: the load costs about the slower of inflating and parsing, and
// holds neither the whole file nor the whole body. The parser sees the signature after the first
// step, and a body that fails to parse is refused with at most eight more windows inflated. The
// stream checks the zlib trailer (Adler-32) at its end, refuses bytes after the end of the zlib
// stream, and refuses a body above MaxSize bytes whatever the data claims. When no thread can be
// started, the reader inflates each window itself when it needs it.
//
// Reading is sequential; Seek moves forward (skipping bytes) or back within the current window
// (as the filer's reader does when it gives back what it buffered). Size() is not known before
// the end: it answers the cap. Errors raise EInflateError, and only for a read that gets no byte:
// a read returns the bytes inflated before the damage, and the next one raises, so that what
// a reader meets first does not depend on how much it asks for at a time. CanRead tells (waiting
// for the inflater) whether bytes ahead are inflated whole.
//
// The reading side belongs to one thread; the source must outlive the stream and is read only by
// the stream's own thread while the stream exists.
#pragma once

#include "core/CatalogItems.h"
#include "platform/Streams.h"

#include <cstdint>
#include <memory>
#include <mutex>

// Decompression failed (not a zlib stream, damaged data, a body beyond the cap).
class EInflateError : public ECatalogError {
public:
    using ECatalogError::ECatalogError;
};

class TInflateStream : public TStream {
public:
    TInflateStream(TStream& Source, uint64_t MaxSize);
    ~TInflateStream() override;
    TInflateStream(const TInflateStream&) = delete;
    TInflateStream& operator=(const TInflateStream&) = delete;

    size_t Read(void* Buffer, size_t Count) override;
    size_t Write(const void* Buffer, size_t Count) override;
    int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
    int64_t Size() override { return static_cast<int64_t>(FMaxSize); }
    // True when the next Count bytes are inflated, or will be, without an error and before the
    // body ends; false too when they are more than the windows hold ahead.
    bool CanRead(size_t Count) override;

    // True once every byte of the body was read (the zlib stream ended and its checksum held).
    bool AtEnd();
    // Seconds the inflating thread spent reading the source and inflating, for the benchmark.
    double InflateSeconds() const;
    // Seconds the reader waited for inflated bytes.
    double WaitSeconds() const { return FWaitSeconds; }

private:
    struct State;
    // The inflating thread's loop.
    void Produce();
    // Inflates the next window; on the inflating thread, or on the reader's when there is none.
    // Marks the body ended (or failed) when it is.
    void FillNext();
    // Inflates up to one window of output into Out; returns the bytes written.
    size_t InflateWindow(uint8_t* Out);
    // Takes the next inflated window; false at the end of the body.
    bool Refill();
    // Until window Index is full or the body has ended; false when it is not full.
    bool WaitFull(size_t Index, std::unique_lock<std::mutex>& L);

    TStream& FSource;
    uint64_t FMaxSize;
    std::unique_ptr<State> FZ;
    const uint8_t* FCurrent = nullptr; // the window being read
    size_t FOutPos = 0, FOutEnd = 0;
    uint64_t FWindowStart = 0; // body offset of FCurrent[0]
    double FWaitSeconds = 0;
};
