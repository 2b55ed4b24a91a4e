#pragma once
// Whole-file input and atomic output for the command-line tool, on POSIX
// calls alone.
//
// Input: the file must be a regular file (folders, devices and pipes are
// refused without reading a byte), its size must be one the caller accepts
// (decided before anything is read), and it must be read whole: a file that
// ends early or grows while it is read is an error, never half a file.
//
// Output: the bytes go to a temporary file beside the target, are written
// whole and flushed to disk, and only then is the temporary file renamed over
// the target. On any failure the temporary file is removed and the target is
// left as it was.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace zq::cli {

struct ReadResult {
    enum Status { Ok, WrongSize, Failed } status = Failed;
    std::vector<std::uint8_t> bytes; // the whole file when Ok, else empty
    std::string error;               // the message when Failed
};

// Reads `name` whole when acceptedSize(size of the file) holds, else reports
// WrongSize with nothing read. Failures carry a message such as
// `Cannot open file "NAME". No such file or directory`.
ReadResult readWholeFile(const std::string& name, const std::function<bool(std::uint64_t)>& acceptedSize);

// Replaces (or creates) `name` with exactly `bytes`. An existing regular
// target keeps its permission bits; a new one gets 0666 less the umask. A
// symbolic link is followed, so the file it names is replaced and the link
// stays. A target that exists but is not a regular file (a folder, a device)
// is refused. Returns an empty string on success, else the message:
// `Cannot create file "NAME". REASON` or `Cannot write file "NAME". REASON`.
std::string writeFileAtomically(const std::string& name, std::span<const std::uint8_t> bytes);

// Makes the temporary file of writeFileAtomically from a mkostemp() pattern:
// its descriptor, or -1 with errno set. Tests install their own to meet the
// refusals of a file system they may not mount; null puts back the system's.
// Returns the one installed before.
using TemporaryFileMaker = int (*)(char* pattern);
TemporaryFileMaker setTemporaryFileMaker(TemporaryFileMaker maker);

} // namespace zq::cli
