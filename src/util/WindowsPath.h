#pragma once

#if defined(_WIN32)

#include <string>
#include <string_view>
#include <system_error>

// Paths as Windows's own calls take them whole: every name as it is written, however long the
// path is.
namespace orvandel {

// The path in its "\\?\" form, absolute and with "." and ".." worked out ("\\?\C:\Cards\a.vcf",
// "\\?\UNC\server\share\a.vcf"): the system then changes no name on the way, so that a file named
// "CON.vcf", "nul .vcf", "dot.vcf." or "space.vcf " made on a network share or a Linux drive is
// that file and no device, and a path may run past 260 characters up to the system's limit of
// about 32,767. A relative path is taken from the current folder (of its drive). A path in that
// form already, or a device path ("\\.\"), is left as it is.
std::wstring LongPath(std::string_view utf8);

// A Win32 error as the error the rest of the program knows ("File exists", "Permission denied",
// ...) where there is one, else as the system's own.
std::error_code Win32ErrorCode(unsigned long error);

} // namespace orvandel

#endif
