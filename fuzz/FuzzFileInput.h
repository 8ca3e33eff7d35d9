// The readers of description, HTML and image files take a path: fuzz targets hand them their
// input through one temporary file per process, removed when the process ends.
#pragma once

#include "platform/Streams.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <unistd.h>

inline const std::string& FuzzInputFile(const char* Suffix) {
    static const std::string Path = [Suffix] {
        const char* Base = std::getenv("TMPDIR");
        std::string Tmpl = std::string(Base && *Base ? Base : "/tmp") + "/qm-fuzz-XXXXXX" + Suffix;
        int Fd = ::mkstemps(Tmpl.data(), static_cast<int>(std::string_view(Suffix).size()));
        if (Fd < 0) std::abort();
        ::close(Fd);
        static std::string Remove;
        Remove = Tmpl;
        std::atexit([] { ::unlink(Remove.c_str()); });
        return Tmpl;
    }();
    return Path;
}

inline const std::string& WriteFuzzInput(const uint8_t* Data, size_t Size, const char* Suffix) {
    const std::string& Path = FuzzInputFile(Suffix);
    WriteFileBytes(Path, std::string_view(reinterpret_cast<const char*>(Data), Size));
    return Path;
}
