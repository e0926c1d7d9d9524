// What the back ends of RegularFile (RegularFilePosix.cpp, RegularFileWin.cpp) share.
#include "RegularFile.h"

#include "FileError.h"
#include "PathHelpers.h"

namespace orvandel {

FileError RegularFile::notRegular(const std::string& path)
{
    const std::string what
        = IsDirectory(path) ? "This is a folder, not a file: " : "This is not a regular file: ";
    return FileError(FileErrorKind::NotRegularFile, what + path);
}

} // namespace orvandel
