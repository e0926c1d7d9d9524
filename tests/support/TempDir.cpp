#include "TempDir.h"

#include "util/PathHelpers.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>

#if defined(_WIN32)
#include "util/WindowsPath.h"

#include <windows.h>
#endif

namespace orvandel::test {

namespace fs = std::filesystem;

TempDir::TempDir()
{
    std::random_device seed;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path candidate = fs::temp_directory_path() / ("orvandel-test-" + std::to_string(seed()));
        if (fs::create_directory(candidate)) {
            m_path = FromFsPath(candidate);
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

#if defined(_WIN32)

namespace {

    // Removes a tree through its "\\?\" path, so that names only such paths reach ("CON.vcf",
    // "dot.vcf.") and folders past 260 characters go too.
    void RemoveTree(const std::wstring& path)
    {
        WIN32_FIND_DATAW found {};
        const HANDLE search = ::FindFirstFileW((path + L"\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = found.cFileName;
                if (name == L"." || name == L"..")
                    continue;
                const std::wstring entry = path + L"\\" + name;
                ::SetFileAttributesW(entry.c_str(), FILE_ATTRIBUTE_NORMAL);
                if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    && !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                    RemoveTree(entry);
                else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    ::RemoveDirectoryW(entry.c_str());
                else
                    ::DeleteFileW(entry.c_str());
            } while (::FindNextFileW(search, &found));
            ::FindClose(search);
        }
        ::RemoveDirectoryW(path.c_str());
    }

} // namespace

TempDir::~TempDir()
{
    RemoveTree(LongPath(m_path));
}

#else

TempDir::~TempDir()
{
    std::error_code ec;
    // Folders a test made unreadable must become readable again to be removed.
    for (auto it = fs::recursive_directory_iterator(ToFsPath(m_path),
                                                    fs::directory_options::skip_permission_denied, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_directory(ec) && !it->is_symlink(ec))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::permissions(ToFsPath(m_path), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(ToFsPath(m_path), ec);
}

#endif

std::string TempDir::file(std::string_view relative) const
{
    std::string path = m_path + kSeparator + std::string(relative);
#if defined(_WIN32)
    // The tests write their relative paths with "/"; Windows's own separator is "\".
    for (std::size_t i = m_path.size(); i < path.size(); ++i) {
        if (path[i] == '/')
            path[i] = kSeparator;
    }
#endif
    return path;
}

std::string TempDir::write(std::string_view relative, std::string_view bytes) const
{
    const std::string full = file(relative);
    fs::create_directories(ToFsPath(full).parent_path());
    std::ofstream out(ToFsPath(full), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + full);
    return full;
}

std::string TempDir::mkdir(std::string_view relative) const
{
    const std::string full = file(relative);
    fs::create_directories(ToFsPath(full));
    return full;
}

std::string Slurp(const std::string& path)
{
    std::ifstream in(ToFsPath(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace orvandel::test
