#pragma once

#include <string>
#include <string_view>

namespace orvandel::test {

// A fresh folder under the system's temporary folder, removed with everything in it at the end.
class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The folder's path, without a trailing "/".
    const std::string& path() const noexcept { return m_path; }
    // path() + "/" + relative (on Windows with "\" for every "/")
    std::string file(std::string_view relative) const;
    // Writes `bytes` to `relative`, creating the folders on the way; returns the full path.
    std::string write(std::string_view relative, std::string_view bytes) const;
    // Creates the folder `relative` with its parents; returns the full path.
    std::string mkdir(std::string_view relative) const;

private:
    std::string m_path;
};

// The whole file at `path` ("" when it cannot be read).
std::string Slurp(const std::string& path);

} // namespace orvandel::test
