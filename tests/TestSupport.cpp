#include "TestSupport.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>

TempDir::TempDir() {
    const char* Base = std::getenv("TMPDIR");
    std::string Tmpl = std::string(Base && *Base ? Base : "/tmp") + "/qm-test-XXXXXX";
    if (!mkdtemp(Tmpl.data())) throw std::runtime_error("mkdtemp failed");
    FPath = Tmpl + "/";
}

TempDir::~TempDir() {
    std::error_code Ec;
    // Folders made unreadable by a test are opened up again so they can be removed.
    for (auto It = std::filesystem::recursive_directory_iterator(
             FPath, std::filesystem::directory_options::skip_permission_denied, Ec);
         It != std::filesystem::recursive_directory_iterator(); It.increment(Ec)) {
        if (It->is_directory(Ec) && !It->is_symlink(Ec)) ::chmod(It->path().c_str(), 0755);
    }
    std::filesystem::remove_all(FPath, Ec);
}

void WriteFile(const std::string& Path, std::string_view Bytes) {
    std::ofstream F(Path, std::ios::binary | std::ios::trunc);
    if (!F) throw std::runtime_error("cannot write " + Path);
    F.write(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
}

std::string ReadFile(const std::string& Path) {
    std::ifstream F(Path, std::ios::binary);
    std::ostringstream S;
    S << F.rdbuf();
    return S.str();
}

void MakeDir(const std::string& Path) {
    std::filesystem::create_directories(Path);
}

std::string HexBytes(std::string_view Bytes) {
    std::string R;
    char Buf[4];
    for (unsigned char C : Bytes) {
        std::snprintf(Buf, sizeof Buf, "%02X", C);
        if (!R.empty()) R += ' ';
        R += Buf;
    }
    return R;
}

std::string MakeTreeTool() {
    if (const char* T = std::getenv("QM_MAKE_TREE")) return T;
    // The tool lives beside the repository: <repository>/../shared/bench/make-tree.
    std::filesystem::path Source(__FILE__);
    return (Source.parent_path().parent_path().parent_path() / "shared" / "bench" / "make-tree")
        .string();
}
