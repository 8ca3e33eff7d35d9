// Streams of the class library: a position-based byte stream interface with a memory stream and
// a file stream. Reads past the end return fewer bytes; ReadBuffer/WriteBuffer raise instead.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum TSeekOrigin { soFromBeginning, soFromCurrent, soFromEnd };

class TStream {
public:
    virtual ~TStream() = default;
    virtual size_t Read(void* Buffer, size_t Count) = 0;
    virtual size_t Write(const void* Buffer, size_t Count) = 0;
    virtual int64_t Seek(int64_t Offset, TSeekOrigin Origin) = 0;

    int64_t Position() { return Seek(0, soFromCurrent); }
    void SetPosition(int64_t Pos) { Seek(Pos, soFromBeginning); }
    virtual int64_t Size();
    // True unless reading the next Count bytes is known to fail. A stream that makes its bytes as
    // it goes may wait for them; one that holds them (memory, a file) answers true, and a short
    // read then tells.
    virtual bool CanRead(size_t) { return true; }
    // Raise EReadError / EWriteError unless every byte moved.
    void ReadBuffer(void* Buffer, size_t Count);
    void WriteBuffer(const void* Buffer, size_t Count);
    // Copies Count bytes from Source (all of it from its start when Count is 0).
    int64_t CopyFrom(TStream& Source, int64_t Count);
};

class TMemoryStream : public TStream {
public:
    size_t Read(void* Buffer, size_t Count) override;
    size_t Write(const void* Buffer, size_t Count) override;
    int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
    int64_t Size() override { return static_cast<int64_t>(FData.size()); }

    void SetSize(size_t NewSize);
    void Clear() {
        FData.clear();
        FPos = 0;
    }
    uint8_t* Memory() { return FData.data(); }
    const uint8_t* Memory() const { return FData.data(); }
    std::vector<uint8_t>& Data() { return FData; }
    std::string_view View() const {
        return {reinterpret_cast<const char*>(FData.data()), FData.size()};
    }
    void LoadFromFile(const std::string& FileName, size_t MaxBytes = SIZE_MAX);
    void SaveToFile(const std::string& FileName) const;

private:
    std::vector<uint8_t> FData;
    size_t FPos = 0;
};

enum TFileMode { fmOpenRead, fmOpenReadWrite, fmCreate };

// A file opened by name. Reading opens only regular files (a FIFO or device never blocks the
// caller: it is refused with EFOpenError). fmCreate creates or truncates.
class TFileStream : public TStream {
public:
    TFileStream(const std::string& FileName, TFileMode Mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    size_t Read(void* Buffer, size_t Count) override;
    size_t Write(const void* Buffer, size_t Count) override;
    int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
    const std::string& FileName() const { return FFileName; }

private:
    std::string FFileName;
    int FHandle = -1;
};

// Opens FileName for reading when it is a regular file; returns the descriptor or -1 with errno
// set (ENODEV-like EINVAL for anything that is not a regular file). Never blocks on FIFOs.
int OpenRegularFile(const std::string& FileName);
// The whole file (regular files only); raises EFOpenError, or EReadError when it holds more than
// MaxBytes.
std::string ReadFileBytes(const std::string& FileName, size_t MaxBytes);
// Writes the file in place (create or truncate); raises EFCreateError or EWriteError.
void WriteFileBytes(const std::string& FileName, std::string_view Bytes);
