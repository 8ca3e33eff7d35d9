// TInflateStream: the body of a catalog file, inflated while it is read.
//
// The compressed bytes come from a source stream (the file, or a memory stream) in steps of
// 256 KiB and are inflated into a window of the same size, so a load holds neither the whole
// file nor the whole body: the parser sees the signature after the first step, and a body that
// fails to parse is refused without inflating the rest. The stream checks the zlib trailer
// (Adler-32) at its end, refuses bytes after the end of the zlib stream, and refuses a body
// above MaxSize bytes whatever the data claims.
//
// Reading is sequential; Seek moves forward (skipping bytes) or back within the current window
// (as the filer's reader does when it gives back what it buffered). Size() is not known before
// the end: it answers the cap. Errors raise EInflateError.
//
// One thread; the source must outlive the stream.
#pragma once

#include "core/CatalogItems.h"
#include "platform/Streams.h"

#include <cstdint>
#include <memory>

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

    // True once every byte of the body was read (the zlib stream ended and its checksum held).
    bool AtEnd();
    // Seconds spent inflating (and reading the source), for the load benchmark.
    double InflateSeconds() const { return FInflateSeconds; }

private:
    struct State;
    // Inflates the next window; false at the end of the body.
    bool Refill();

    TStream& FSource;
    uint64_t FMaxSize;
    std::unique_ptr<State> FZ;
    std::unique_ptr<uint8_t[]> FIn, FOut;
    size_t FInPos = 0, FInEnd = 0;
    size_t FOutPos = 0, FOutEnd = 0;
    uint64_t FWindowStart = 0; // body offset of FOut[0]
    bool FStreamEnd = false, FSourceEnd = false;
    double FInflateSeconds = 0;
};
