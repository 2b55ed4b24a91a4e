#include "cli/FileAccess.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zq::cli {

namespace {

std::string message(const char* what, const std::string& name, const std::string& reason)
{
    return std::string(what) + " file \"" + name + "\". " + reason;
}

std::string systemReason(int error)
{
    return std::strerror(error);
}

const char* const kNotRegular = "It is not a regular file.";

// Closes a descriptor on every path out of a function.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int get() const { return fd_; }
    // Closes now and reports the result of close().
    int close()
    {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd);
    }

private:
    int fd_;
};

// Writes every byte, going on after partial writes and interruptions.
bool writeAll(int fd, std::span<const std::uint8_t> bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0) {
            errno = EIO;
            return false;
        }
        done += std::size_t(n);
    }
    return true;
}

// Reads until `count` bytes arrived, the file ended or an error occurred;
// returns the number read, or -1 on error.
ssize_t readUpTo(int fd, std::uint8_t* into, std::size_t count)
{
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::read(fd, into + done, count - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (n == 0)
            break;
        done += std::size_t(n);
    }
    return ssize_t(done);
}

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::string baseOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

int makeTemporaryFile(char* pattern)
{
    return ::mkostemp(pattern, O_CLOEXEC);
}

TemporaryFileMaker temporaryFileMaker = makeTemporaryFile;

mode_t newFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

ReadResult readWholeFile(const std::string& name, const std::function<bool(std::uint64_t)>& acceptedSize)
{
    ReadResult result;
    struct stat st {};
    if (::stat(name.c_str(), &st) != 0) {
        result.error = message("Cannot open", name, systemReason(errno));
        return result;
    }
    // Decided from the name alone, so that a pipe or a device is never opened.
    if (S_ISDIR(st.st_mode)) {
        result.error = message("Cannot open", name, systemReason(EISDIR));
        return result;
    }
    if (!S_ISREG(st.st_mode)) {
        result.error = message("Cannot open", name, kNotRegular);
        return result;
    }
    // Non-blocking, in case the name was swapped for a pipe in between.
    Descriptor fd(::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0) {
        result.error = message("Cannot open", name, systemReason(errno));
        return result;
    }
    if (::fstat(fd.get(), &st) != 0) {
        result.error = message("Cannot open", name, systemReason(errno));
        return result;
    }
    if (!S_ISREG(st.st_mode)) {
        result.error = message("Cannot open", name, kNotRegular);
        return result;
    }
    if (st.st_size < 0 || !acceptedSize(std::uint64_t(st.st_size))) {
        result.status = ReadResult::WrongSize;
        return result;
    }

    const std::size_t size = std::size_t(st.st_size);
    std::vector<std::uint8_t> bytes(size);
    const ssize_t got = readUpTo(fd.get(), bytes.data(), size);
    if (got < 0) {
        result.error = message("Cannot read", name, systemReason(errno));
        return result;
    }
    if (std::size_t(got) != size) {
        result.error = message("Cannot read", name,
                               "The file ended after " + std::to_string(got) + " of " + std::to_string(size) +
                                   " bytes.");
        return result;
    }
    std::uint8_t extra = 0;
    const ssize_t more = readUpTo(fd.get(), &extra, 1);
    if (more != 0) {
        result.error = message("Cannot read", name,
                               more < 0 ? systemReason(errno) : std::string("The file changed while it was read."));
        return result;
    }
    result.bytes = std::move(bytes);
    result.status = ReadResult::Ok;
    return result;
}

std::string writeFileAtomically(const std::string& name, std::span<const std::uint8_t> bytes)
{
    if (name.empty())
        return message("Cannot create", name, systemReason(ENOENT));

    // Follow a symbolic link to the file it names, so the link survives.
    std::string target = name;
    struct stat st {};
    if (::lstat(name.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* resolved = ::realpath(name.c_str(), nullptr)) {
            target = resolved;
            std::free(resolved);
        }
    }

    mode_t mode = newFileMode();
    bool exists = false;
    if (::stat(target.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return message("Cannot create", name, systemReason(EISDIR));
        if (!S_ISREG(st.st_mode))
            return message("Cannot create", name, kNotRegular);
        exists = true;
        mode = st.st_mode & 07777;
    } else if (errno != ENOENT) {
        return message("Cannot create", name, systemReason(errno));
    }
    std::string base = baseOf(target);
    if (base.empty() || base == "." || base == "..")
        return message("Cannot create", name, systemReason(EISDIR));

    // A hidden name beside the target; kept short enough for any file system.
    if (base.size() > 200)
        base.resize(200);
    std::string temp = folderOf(target) + "/." + base + ".XXXXXX";
    std::vector<char> pattern(temp.begin(), temp.end());
    pattern.push_back('\0');
    Descriptor fd(temporaryFileMaker(pattern.data()));
    if (fd.get() < 0)
        return message("Cannot create", name, systemReason(errno));
    temp.assign(pattern.data());

    auto fail = [&](const char* what, int error) {
        if (fd.get() >= 0)
            fd.close();
        ::unlink(temp.c_str());
        return message(what, name, systemReason(error));
    };

    if (::fchmod(fd.get(), mode) != 0)
        return fail("Cannot create", errno);
    if (exists) {
        // Keep the owner of a file replaced by root; a failure changes nothing
        // that matters, so it is not reported.
        [[maybe_unused]] const int ignored = ::fchown(fd.get(), st.st_uid, st.st_gid);
    }
    if (!writeAll(fd.get(), bytes))
        return fail("Cannot write", errno);
    if (::fsync(fd.get()) != 0)
        return fail("Cannot write", errno);
    if (fd.close() != 0)
        return fail("Cannot write", errno);
    if (::rename(temp.c_str(), target.c_str()) != 0)
        return fail("Cannot create", errno);

    // Make the rename itself durable; the file is in place either way.
    Descriptor folder(::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() >= 0)
        ::fsync(folder.get());
    return {};
}

TemporaryFileMaker setTemporaryFileMaker(TemporaryFileMaker maker)
{
    return std::exchange(temporaryFileMaker, maker ? maker : makeTemporaryFile);
}

} // namespace zq::cli
