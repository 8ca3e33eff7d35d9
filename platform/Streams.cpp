#include "Streams.h"

#include "Exceptions.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int64_t TStream::Size() {
    int64_t Pos = Seek(0, soFromCurrent);
    int64_t End = Seek(0, soFromEnd);
    Seek(Pos, soFromBeginning);
    return End;
}

void TStream::ReadBuffer(void* Buffer, size_t Count) {
    if (Count && Read(Buffer, Count) != Count) throw EReadError(SysConsts::SReadError);
}

void TStream::WriteBuffer(const void* Buffer, size_t Count) {
    if (Count && Write(Buffer, Count) != Count) throw EWriteError(SysConsts::SWriteError);
}

int64_t TStream::CopyFrom(TStream& Source, int64_t Count) {
    if (Count == 0) {
        Source.SetPosition(0);
        Count = Source.Size();
    }
    char Buf[65536];
    int64_t Left = Count;
    while (Left > 0) {
        size_t N = static_cast<size_t>(std::min<int64_t>(Left, sizeof Buf));
        Source.ReadBuffer(Buf, N);
        WriteBuffer(Buf, N);
        Left -= static_cast<int64_t>(N);
    }
    return Count;
}

// ---- TMemoryStream -------------------------------------------------------------------------

size_t TMemoryStream::Read(void* Buffer, size_t Count) {
    if (FPos >= FData.size()) return 0;
    size_t N = std::min(Count, FData.size() - FPos);
    std::memcpy(Buffer, FData.data() + FPos, N);
    FPos += N;
    return N;
}

size_t TMemoryStream::Write(const void* Buffer, size_t Count) {
    if (!Count) return 0;
    if (FPos + Count > FData.size()) {
        if (FPos + Count > FData.capacity())
            FData.reserve(std::max(FPos + Count, FData.capacity() * 2));
        FData.resize(FPos + Count);
    }
    std::memcpy(FData.data() + FPos, Buffer, Count);
    FPos += Count;
    return Count;
}

int64_t TMemoryStream::Seek(int64_t Offset, TSeekOrigin Origin) {
    int64_t Base = Origin == soFromBeginning ? 0
                   : Origin == soFromCurrent ? static_cast<int64_t>(FPos)
                                             : static_cast<int64_t>(FData.size());
    int64_t P = Base + Offset;
    FPos = P < 0 ? 0 : static_cast<size_t>(P);
    return static_cast<int64_t>(FPos);
}

void TMemoryStream::SetSize(size_t NewSize) {
    FData.resize(NewSize);
    if (FPos > NewSize) FPos = NewSize;
}

void TMemoryStream::LoadFromFile(const std::string& FileName, size_t MaxBytes) {
    std::string Bytes = ReadFileBytes(FileName, MaxBytes);
    FData.assign(Bytes.begin(), Bytes.end());
    FPos = 0;
}

void TMemoryStream::SaveToFile(const std::string& FileName) const {
    WriteFileBytes(FileName, View());
}

// ---- TFileStream ---------------------------------------------------------------------------

int OpenRegularFile(const std::string& FileName) {
    int Fd = ::open(FileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (Fd < 0) return -1;
    struct stat St;
    if (::fstat(Fd, &St) != 0 || !S_ISREG(St.st_mode)) {
        int E = S_ISDIR(St.st_mode) ? EISDIR : EINVAL;
        ::close(Fd);
        errno = E;
        return -1;
    }
    int Flags = ::fcntl(Fd, F_GETFL);
    if (Flags >= 0) ::fcntl(Fd, F_SETFL, Flags & ~O_NONBLOCK);
    return Fd;
}

TFileStream::TFileStream(const std::string& FileName, TFileMode Mode) : FFileName(FileName) {
    if (Mode == fmCreate) {
        FHandle = ::open(FileName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (FHandle < 0) RaiseFileCreateError(FileName, errno);
    } else if (Mode == fmOpenRead) {
        FHandle = OpenRegularFile(FileName);
        if (FHandle < 0) RaiseFileOpenError(FileName, errno);
    } else {
        FHandle = ::open(FileName.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
        if (FHandle < 0) RaiseFileOpenError(FileName, errno);
    }
}

TFileStream::~TFileStream() {
    if (FHandle >= 0) ::close(FHandle);
}

size_t TFileStream::Read(void* Buffer, size_t Count) {
    size_t Done = 0;
    while (Done < Count) {
        ssize_t N = ::read(FHandle, static_cast<char*>(Buffer) + Done, Count - Done);
        if (N < 0 && errno == EINTR) continue;
        if (N <= 0) break;
        Done += static_cast<size_t>(N);
    }
    return Done;
}

size_t TFileStream::Write(const void* Buffer, size_t Count) {
    size_t Done = 0;
    while (Done < Count) {
        ssize_t N = ::write(FHandle, static_cast<const char*>(Buffer) + Done, Count - Done);
        if (N < 0 && errno == EINTR) continue;
        if (N <= 0) break;
        Done += static_cast<size_t>(N);
    }
    return Done;
}

int64_t TFileStream::Seek(int64_t Offset, TSeekOrigin Origin) {
    int Whence = Origin == soFromBeginning ? SEEK_SET
                 : Origin == soFromCurrent ? SEEK_CUR
                                           : SEEK_END;
    off_t R = ::lseek(FHandle, static_cast<off_t>(Offset), Whence);
    return R < 0 ? -1 : static_cast<int64_t>(R);
}

// ---- whole files -----------------------------------------------------------------------------

std::string ReadFileBytes(const std::string& FileName, size_t MaxBytes) {
    int Fd = OpenRegularFile(FileName);
    if (Fd < 0) RaiseFileOpenError(FileName, errno);
    struct stat St;
    if (::fstat(Fd, &St) != 0) {
        int E = errno;
        ::close(Fd);
        RaiseFileOpenError(FileName, E);
    }
    if (static_cast<unsigned long long>(St.st_size) > MaxBytes) {
        ::close(Fd);
        throw EReadError(SysConsts::SReadError);
    }
    std::string Bytes;
    Bytes.resize(static_cast<size_t>(St.st_size));
    size_t Done = 0;
    for (;;) {
        if (Done == Bytes.size()) {
            // The file may have grown since fstat; keep reading up to the cap.
            if (Bytes.size() >= MaxBytes) break;
            Bytes.resize(std::min(MaxBytes, Bytes.size() + 65536));
        }
        ssize_t N = ::read(Fd, Bytes.data() + Done, Bytes.size() - Done);
        if (N < 0 && errno == EINTR) continue;
        if (N < 0) {
            ::close(Fd);
            throw EReadError(SysConsts::SReadError);
        }
        if (N == 0) break;
        Done += static_cast<size_t>(N);
    }
    ::close(Fd);
    Bytes.resize(Done);
    return Bytes;
}

void WriteFileBytes(const std::string& FileName, std::string_view Bytes) {
    TFileStream F(FileName, fmCreate);
    F.WriteBuffer(Bytes.data(), Bytes.size());
}
