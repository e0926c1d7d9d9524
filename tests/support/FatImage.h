#pragma once

#include <string>

namespace orvandel::test {

// A FAT file system in an image file, mounted through FUSE (fusefat) in a temporary folder, so
// that tests meet the name rules of a USB stick without any privilege beyond /dev/fuse. It is
// unmounted and removed when the object goes, also after a failed test.
class FatImage
{
public:
    explicit FatImage(unsigned megabytes = 16);
    ~FatImage();
    FatImage(const FatImage&) = delete;
    FatImage& operator=(const FatImage&) = delete;

    // Empty when mounted; else why not (no /dev/fuse, a tool missing, the mount failed).
    const std::string& unavailable() const noexcept { return m_unavailable; }
    // The mounted folder, without a trailing "/".
    const std::string& path() const noexcept { return m_mount; }

private:
    std::string m_root;
    std::string m_mount;
    std::string m_unavailable;
    bool m_mounted = false;
};

} // namespace orvandel::test
