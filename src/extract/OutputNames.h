#pragma once

#include <map>
#include <string>
#include <string_view>

namespace orvandel {

// The output names of one run. Two different inputs with the same file name must not
// overwrite each other: the second gets "stem (2).jpg", the third "stem (3).jpg". The same
// input listed twice gets its own name back. A file that stood in the folder before the run
// does not count: it is replaced.
class OutputNames
{
public:
    // The output path for `input`: the folder text (a "/" added when it lacks one), the stem,
    // a " (n)" suffix when needed, and the extension. Throws std::runtime_error when the folder
    // text is empty.
    std::string claim(std::string_view folderText,
                      const std::string& input,
                      std::string_view stem,
                      std::string_view extension);

private:
    std::map<std::string, std::string, std::less<>> m_ownerOf; // output path -> input identity
};

} // namespace orvandel
