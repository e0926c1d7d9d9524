#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace orvandel {

// Writes a file so that its target is replaced whole or not at all. The bytes go to a hidden
// temporary file in the target's folder, which is renamed over the target when complete: an
// interrupted write never leaves a truncated file, and a symbolic link standing at the target's
// name is replaced instead of written through. Every failure throws FileError.
class ReplacingFile
{
public:
    explicit ReplacingFile(std::string target);
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Creates the temporary file.
    void create();
    void write(std::string_view bytes);
    // Closes the temporary file, so that a writer holding many of them keeps no handle open;
    // commit() then only renames it. Throws FileError when the buffered bytes cannot be written.
    void close();
    // Changes the name that commit() gives the file. The temporary file stays where it is, so
    // the new target must lie in the same folder.
    void retarget(std::string target) { m_target = std::move(target); }
    // Closes the temporary file (unless closed already) and renames it over the target.
    void commit();
    // Closes and removes the temporary file; the target stays as it was.
    void discard() noexcept;

    const std::string& target() const noexcept { return m_target; }
    const std::string& temporaryPath() const noexcept { return m_temporary; }

    // Writes `bytes` to `target` in one go: create, write, commit.
    static void writeWhole(const std::string& target, std::string_view bytes);

private:
    std::string m_target;
    std::string m_temporary;
    std::FILE* m_file = nullptr;
};

} // namespace orvandel
