#pragma once
// A tmpfs of its own on a folder, for the failures only a file system gives
// and that bind root too: a full disk, or one mounted read-only. Mounting
// needs privileges (root with CAP_SYS_ADMIN); without them mounted() is false
// and the test injects the failure instead.

#include <filesystem>
#include <string>

#include <sys/mount.h>

namespace zq::test {

class Tmpfs {
public:
    // `options` as mount -o takes them, such as "size=64k".
    Tmpfs(const std::string& folder, const std::string& options)
        : folder_(folder)
    {
        std::error_code ignored;
        std::filesystem::create_directories(folder, ignored);
        mounted_ = ::mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) == 0;
    }
    ~Tmpfs()
    {
        if (mounted_)
            ::umount2(folder_.c_str(), MNT_DETACH);
    }
    Tmpfs(const Tmpfs&) = delete;
    Tmpfs& operator=(const Tmpfs&) = delete;

    bool mounted() const { return mounted_; }
    bool makeReadOnly() const
    {
        return ::mount("tmpfs", folder_.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

private:
    std::string folder_;
    bool mounted_ = false;
};

} // namespace zq::test
