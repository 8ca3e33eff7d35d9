#include "Process.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

bool IsExecutableFile(const std::string& Path) {
    struct stat St {};
    return ::stat(Path.c_str(), &St) == 0 && S_ISREG(St.st_mode) &&
           ::access(Path.c_str(), X_OK) == 0;
}

// Reads exactly Size bytes unless the other end closes first; the count read.
size_t ReadFull(int Fd, void* Data, size_t Size) {
    size_t Done = 0;
    while (Done < Size) {
        const ssize_t N = ::read(Fd, static_cast<char*>(Data) + Done, Size - Done);
        if (N < 0 && errno == EINTR) continue;
        if (N <= 0) break;
        Done += static_cast<size_t>(N);
    }
    return Done;
}

} // namespace

std::string FindProgram(const std::string& Program) {
    if (Program.empty()) return {};
    if (Program.find('/') != std::string::npos) return IsExecutableFile(Program) ? Program : "";
    const char* Path = std::getenv("PATH");
    std::string Folders = Path && *Path ? Path : "/usr/local/bin:/usr/bin:/bin";
    size_t From = 0;
    while (From <= Folders.size()) {
        size_t To = Folders.find(':', From);
        if (To == std::string::npos) To = Folders.size();
        std::string Folder = Folders.substr(From, To - From);
        if (Folder.empty()) Folder = ".";
        const std::string Candidate = Folder + "/" + Program;
        if (IsExecutableFile(Candidate)) return Candidate;
        From = To + 1;
    }
    return {};
}

bool StartDetached(const std::vector<std::string>& Argv, std::string& Error) {
    if (Argv.empty() || Argv[0].empty()) {
        Error = "No program to start";
        return false;
    }
    const std::string Program = FindProgram(Argv[0]);
    if (Program.empty()) {
        Error = Argv[0] + ": " + std::strerror(ENOENT);
        return false;
    }
    // Everything the children use is made before the fork: between fork and exec only calls that
    // are safe in a child of a threaded program run.
    std::vector<char*> Args;
    Args.reserve(Argv.size() + 1);
    for (const std::string& A : Argv)
        Args.push_back(const_cast<char*>(A.c_str()));
    Args.push_back(nullptr);
    // The grandchild reports a failed exec through a pipe that a successful one closes.
    int Report[2];
    if (::pipe2(Report, O_CLOEXEC) != 0) {
        Error = std::strerror(errno);
        return false;
    }
    const pid_t Child = ::fork();
    if (Child < 0) {
        Error = std::strerror(errno);
        ::close(Report[0]);
        ::close(Report[1]);
        return false;
    }
    if (Child == 0) {
        ::close(Report[0]);
        ::setsid();
        const pid_t Grandchild = ::fork();
        if (Grandchild == 0) {
            ::execv(Program.c_str(), Args.data());
            const int Code = errno;
            (void)!::write(Report[1], &Code, sizeof Code);
            ::_exit(127);
        }
        if (Grandchild < 0) {
            const int Code = errno;
            (void)!::write(Report[1], &Code, sizeof Code);
        }
        ::_exit(0);
    }
    ::close(Report[1]);
    int Status = 0;
    while (::waitpid(Child, &Status, 0) < 0 && errno == EINTR) {
    }
    int Code = 0;
    const bool Failed = ReadFull(Report[0], &Code, sizeof Code) == sizeof Code;
    ::close(Report[0]);
    if (Failed) {
        Error = Argv[0] + ": " + std::strerror(Code);
        return false;
    }
    return true;
}
