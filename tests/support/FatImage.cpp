#include "FatImage.h"

#if defined(_WIN32)

namespace orvandel::test {

FatImage::FatImage(unsigned)
{
    m_unavailable = "Windows mounts no FAT image through FUSE";
}

FatImage::~FatImage() = default;

} // namespace orvandel::test

#else

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>
#include <unistd.h>

namespace orvandel::test {

namespace {

    namespace fs = std::filesystem;

    // The tool's path: on PATH, or in the system folders that PATH may leave out.
    std::string FindTool(const std::string& name)
    {
        std::string folders = std::getenv("PATH") ? std::getenv("PATH") : "";
        folders += ":/usr/sbin:/sbin:/usr/bin:/bin";
        for (std::size_t start = 0; start <= folders.size();) {
            const auto end = folders.find(':', start);
            const std::string folder = folders.substr(start, end - start);
            if (!folder.empty() && ::access((folder + "/" + name).c_str(), X_OK) == 0)
                return folder + "/" + name;
            if (end == std::string::npos)
                break;
            start = end + 1;
        }
        return {};
    }

    // FUSE 2 or FUSE 3's.
    std::string Fusermount()
    {
        const std::string two = FindTool("fusermount");
        return two.empty() ? FindTool("fusermount3") : two;
    }

    std::string Quoted(const std::string& text)
    {
        return "'" + text + "'";
    }

    bool IsMountPoint(const std::string& folder)
    {
        std::ifstream mounts("/proc/self/mountinfo");
        std::string line;
        while (std::getline(mounts, line)) {
            if (line.find(" " + folder + " ") != std::string::npos)
                return true;
        }
        return false;
    }

} // namespace

FatImage::FatImage(unsigned megabytes)
{
    const int fuse = ::open("/dev/fuse", O_RDWR | O_CLOEXEC);
    if (fuse < 0) {
        m_unavailable = "/dev/fuse cannot be opened";
        return;
    }
    ::close(fuse);
    const std::string mkfs = FindTool("mkfs.vfat");
    const std::string fusefat = FindTool("fusefat");
    const std::string fusermount = Fusermount();
    if (mkfs.empty() || fusefat.empty() || fusermount.empty()) {
        m_unavailable = "mkfs.vfat, fusefat or fusermount is missing (Debian: dosfstools, fusefat)";
        return;
    }

    m_root
        = (fs::temp_directory_path() / ("orvandel-fat-" + std::to_string(std::random_device {}()))).string();
    m_mount = m_root + "/mnt";
    fs::create_directories(m_mount);
    const std::string image = m_root + "/fat.img";
    std::ofstream(image).close();
    fs::resize_file(image, static_cast<std::uintmax_t>(megabytes) * 1024 * 1024);
    if (std::system((Quoted(mkfs) + " " + Quoted(image) + " > /dev/null 2>&1").c_str()) != 0) {
        m_unavailable = "mkfs.vfat failed";
        return;
    }
    if (std::system(
            (Quoted(fusefat) + " -o rw+ " + Quoted(image) + " " + Quoted(m_mount) + " > /dev/null 2>&1")
                .c_str())
        != 0) {
        m_unavailable = "fusefat could not mount the image";
        return;
    }
    for (int wait = 0; wait < 100 && !IsMountPoint(m_mount); ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    m_mounted = IsMountPoint(m_mount);
    if (!m_mounted)
        m_unavailable = "the FAT image did not show as mounted";
}

FatImage::~FatImage()
{
    if (m_mounted) {
        const std::string command
            = Quoted(FindTool("fusermount")) + " -u " + Quoted(m_mount) + " > /dev/null 2>&1";
        for (int attempt = 0; attempt < 50 && IsMountPoint(m_mount); ++attempt) {
            if (std::system(command.c_str()) != 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
    if (!m_root.empty() && !IsMountPoint(m_mount)) {
        std::error_code ignored;
        fs::remove_all(m_root, ignored);
    }
}

} // namespace orvandel::test

#endif
