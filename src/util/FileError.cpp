#include "FileError.h"

namespace orvandel {

FileError::FileError(FileErrorKind kind, const std::string& message, std::error_code code)
    : std::runtime_error(message)
    , m_kind(kind)
    , m_code(code)
{
}

FileError FileError::fromSystem(FileErrorKind fallback, const std::string& path, std::error_code code)
{
    FileErrorKind kind = fallback;
    std::string what;
    if (code == std::errc::no_such_file_or_directory) {
        kind = FileErrorKind::NotFound;
        // Creating a file fails this way only when its folder is missing.
        what = fallback == FileErrorKind::CreateFailed ? "Path not found" : "File not found";
    } else if (code == std::errc::permission_denied || code == std::errc::operation_not_permitted) {
        kind = FileErrorKind::AccessDenied;
        what = "Permission denied";
    } else {
        switch (fallback) {
        case FileErrorKind::ReadFailed:
            what = "Cannot read the file";
            break;
        case FileErrorKind::CreateFailed:
            what = "Cannot create the file";
            break;
        case FileErrorKind::WriteFailed:
            what = "Cannot write the file";
            break;
        case FileErrorKind::ReplaceFailed:
            what = "Cannot replace the file";
            break;
        default:
            what = "File error";
            break;
        }
        if (code)
            what += " (" + code.message() + ")";
    }
    return FileError(kind, what + ": " + path, code);
}

} // namespace orvandel
