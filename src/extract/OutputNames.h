#pragma once

#include "util/WrittenFiles.h"

#include <map>
#include <string>
#include <string_view>

namespace orvandel {

class ReplacingFile;

// The output names of one run. Two different inputs must never end up in one file: the second
// input named "card" gets "card (2).jpg", the third "card (3).jpg", also where the file system
// takes "Card.jpg" and "card.jpg" for one name. The same input listed twice gets its own file
// back and writes it again. A file that stood in the folder before the run does not count: it
// is replaced.
class OutputNames
{
public:
    // The path that `stem` and `extension` give in the folder text (a "/" added when it lacks
    // one), before any number. Throws std::runtime_error when the folder text is empty.
    static std::string
    firstPath(std::string_view folderText, std::string_view stem, std::string_view extension);

    // Gives the complete `file` (created in the folder text's folder) the output name of
    // `input`: the stem, a " (n)" suffix when needed, and the extension. Returns its path.
    // Throws FileError when it cannot be given one.
    std::string place(ReplacingFile& file,
                      std::string_view folderText,
                      const std::string& input,
                      std::string_view stem,
                      std::string_view extension);

    // Brings the written images to the disk. Throws FileError.
    void flush() { m_written.flush(); }

private:
    std::map<std::string, std::string, std::less<>> m_ownerOf; // output path -> input identity
    WrittenFiles m_written;
};

} // namespace orvandel
