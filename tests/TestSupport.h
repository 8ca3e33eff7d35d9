// Helpers shared by the tests: a temporary folder removed at the end of a test, and small file
// writers for building fixtures on disk.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    // The folder, with a trailing '/'.
    const std::string& Path() const { return FPath; }
    std::string operator/(std::string_view Name) const { return FPath + std::string(Name); }

private:
    std::string FPath;
};

void WriteFile(const std::string& Path, std::string_view Bytes);
std::string ReadFile(const std::string& Path);
void MakeDir(const std::string& Path);

// Runs the current test as the unprivileged user nobody (65534) when the suite runs as root, for
// cases that depend on what such a user cannot see. Use as the first line of a test:
//     if (RunTestUnprivileged()) return;
// As root, the test is run again in a child process of this program (the same test, chosen by
// its name), which drops its privileges before the test's body runs; the child's failures fail
// this test, and true is returned. In that child, and when the suite runs as another user
// already, false is returned and the body runs here. A child that cannot drop its privileges
// fails the test: it never runs as root in disguise. Dirs are the folders the body uses, which
// the child hands to nobody first.
bool RunTestUnprivileged(std::initializer_list<const TempDir*> Dirs = {});
// Runs the current test in a child process of its own mount namespace (as RunTestUnprivileged
// does), so that its body may mount and bind folders that nobody else sees. The suite must run
// as root, or the test fails.
bool RunTestWithPrivateMounts();
// Runs the current test in a child process of this program (as RunTestUnprivileged does, with
// the privileges it has), whose sanitizers answer an allocation that fails with std::bad_alloc,
// as the C++ library does, instead of ending the program: for tests that exhaust a limit of
// their process (ScopedLimit). Use as the first line of a test:
//     if (RunTestInOwnProcess()) return;
bool RunTestInOwnProcess();
// Builds with a sanitizer: its runtime maps memory of its own and ends the program when a limit
// of the address space refuses it, so tests of such limits run on the release build
// (scripts/test runs them there).
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr bool SanitizedBuild = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
inline constexpr bool SanitizedBuild = true;
#else
inline constexpr bool SanitizedBuild = false;
#endif
#else
inline constexpr bool SanitizedBuild = false;
#endif
// Lowers the soft limit Resource (RLIMIT_NPROC, RLIMIT_AS, ...) of this process to Value while
// it lives, as `ulimit` does; the limit before comes back at its end.
class ScopedLimit {
public:
    ScopedLimit(int Resource, uint64_t Value);
    ~ScopedLimit();
    ScopedLimit(const ScopedLimit&) = delete;
    ScopedLimit& operator=(const ScopedLimit&) = delete;

private:
    int FResource;
    uint64_t FOld;
};
// The bytes of address space this process maps now (for limits of it).
uint64_t MappedBytes();
// Runs Fn on a thread whose stack is StackBytes, as the main thread of a process under
// `ulimit -s` would have; the thread is the UI thread meanwhile. Call on the UI thread.
void RunOnStackOf(size_t StackBytes, const std::function<void()>& Fn);
// Hex text of bytes ("0F 00 02 ..."), for readable byte comparisons.
std::string HexBytes(std::string_view Bytes);
