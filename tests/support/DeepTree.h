#pragma once

// The deep trees are made and removed with the POSIX calls relative to a folder (openat, ...).
#if !defined(_WIN32)

#include <cerrno>
#include <cstddef>
#include <dirent.h>
#include <fcntl.h>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace orvandel::test {

// Makes `levels` folders, each named `name` and inside the one before, starting in `folder`; each
// holds a file `fileName` (none when empty) with `content`. Works folder by folder through open
// folder handles, so the tree may reach deeper than a path can name. Throws std::runtime_error.
inline void MakeFolderChain(const std::string& folder,
                            std::size_t levels,
                            const std::string& name,
                            const std::string& fileName = {},
                            const std::string& content = {})
{
    int at = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (at < 0)
        throw std::runtime_error("cannot open " + folder);
    for (std::size_t level = 0; level < levels; ++level) {
        const int next = ::mkdirat(at, name.c_str(), 0700) == 0
            ? ::openat(at, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)
            : -1;
        ::close(at);
        if (next < 0)
            throw std::runtime_error("cannot make level " + std::to_string(level + 1));
        at = next;
        if (!fileName.empty()) {
            const int file = ::openat(at, fileName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
            const bool written = file >= 0
                && ::write(file, content.data(), content.size()) == static_cast<ssize_t>(content.size());
            if (file >= 0)
                ::close(file);
            if (!written)
                throw std::runtime_error("cannot write a file at level " + std::to_string(level + 1));
        }
    }
    ::close(at);
}

// Removes the folder `top` inside `parent` with everything in it, however deep, by short paths
// only: each folder's subfolders are moved up beside it before it is removed. Never throws.
inline void RemoveDeepTree(const std::string& parent, const std::string& top)
{
    const int base = ::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (base < 0)
        return;
    std::vector<std::string> pending {top};
    std::size_t moved = 0;
    while (!pending.empty()) {
        const std::string folder = pending.back();
        pending.pop_back();
        const int fd = ::openat(base, folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        DIR* dir = fd >= 0 ? ::fdopendir(fd) : nullptr;
        if (!dir) {
            if (fd >= 0)
                ::close(fd);
            continue;
        }
        std::vector<std::string> names;
        while (const dirent* entry = ::readdir(dir)) {
            const std::string entryName = entry->d_name;
            if (entryName != "." && entryName != "..")
                names.push_back(entryName);
        }
        for (const std::string& entryName : names) {
            if (::unlinkat(::dirfd(dir), entryName.c_str(), 0) == 0)
                continue;
            const std::string beside = ".removing-" + std::to_string(moved++);
            if (::renameat(::dirfd(dir), entryName.c_str(), base, beside.c_str()) == 0)
                pending.push_back(beside);
        }
        ::closedir(dir);
        ::unlinkat(base, folder.c_str(), AT_REMOVEDIR);
    }
    ::close(base);
}

// Removes a deep tree when it goes out of scope, before the folder that holds it is removed.
class DeepTreeGuard
{
public:
    DeepTreeGuard(std::string parent, std::string top)
        : m_parent(std::move(parent))
        , m_top(std::move(top))
    {
    }
    ~DeepTreeGuard() { RemoveDeepTree(m_parent, m_top); }
    DeepTreeGuard(const DeepTreeGuard&) = delete;
    DeepTreeGuard& operator=(const DeepTreeGuard&) = delete;

private:
    std::string m_parent;
    std::string m_top;
};

} // namespace orvandel::test

#endif
