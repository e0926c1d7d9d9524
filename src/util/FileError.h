#pragma once

#include <stdexcept>
#include <string>
#include <system_error>

namespace orvandel {

// What went wrong with a file, so that callers and tests can tell failures apart
// without parsing the message.
enum class FileErrorKind
{
    NotFound,
    AccessDenied,
    NotRegularFile,
    TooLarge, // more bytes than the reader takes
    ReadFailed,
    CreateFailed,
    WriteFailed,
    ReplaceFailed,
};

// A failed file operation. what() is the text a user sees: what happened and to which path.
class FileError : public std::runtime_error
{
public:
    FileError(FileErrorKind kind, const std::string& message, std::error_code code = {});

    FileErrorKind kind() const noexcept { return m_kind; }
    std::error_code code() const noexcept { return m_code; }

    // Builds the error for a failed system call on `path`, choosing the kind from `code`
    // where it says more than `fallback` (a missing file or a denied access).
    static FileError fromSystem(FileErrorKind fallback, const std::string& path, std::error_code code);

private:
    FileErrorKind m_kind;
    std::error_code m_code;
};

} // namespace orvandel
