// Replacing a file's contents without ever losing the old ones: the new bytes go to a
// temporary file beside the target, which is flushed to disk and renamed over it.
//
// What the user has is kept:
//   - a file that is read-only (no write bit at all, or not writable by this user) is not
//     replaced: the save fails as an editor's does, and the old file stays;
//   - the new file keeps the old one's owner, group and permission bits, as far as this user may
//     give them (root saving another user's file leaves it theirs);
//   - a symbolic link is followed to its file, which is replaced, and the link stays; a link
//     that leads nowhere (dangling or looping) fails the save and is never replaced by a file;
//   - temporary files that a save killed half-way left beside the same target are removed by
//     the next save of it that succeeds.
// Temporary names are ".quillmark-TAG-PID-RANDOM.tmp": TAG is taken from the target's name and
// PID is the saving process, so one save removes only leftovers of its own target whose process
// is gone. File names are bytes and may be any bytes.
//
// Any thread; the same target must not be saved by two threads of one process at once.
#pragma once

#include <string>
#include <string_view>

// Writes Bytes as the new contents of FileName. Failures raise EFCreateError naming FileName
// with the system's reason; the old file is then intact.
void ReplaceFileContents(const std::string& FileName, std::string_view Bytes);

// The temporary-name prefix used for target Target (".quillmark-TAG-"), for tests and tools.
std::string TemporaryPrefixFor(const std::string& Target);
