#pragma once

#include "util/FingerprintTable.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace orvandel {

class ReplacingFile;
class WrittenFiles;

// Where the runs' names differ: what makes two names one, and what a name already written means.
struct NameRules
{
    // "Ann.jpg" and "ANN.JPG" are one name, so that names stay apart on file systems that ignore
    // ASCII case; else the disk is asked (WrittenFiles) for its own rules.
    bool foldAsciiCase = false;
    // The same input named again gets its own file back and writes it again; every other name
    // already written is another input's and gets the next number.
    bool inputsKeepTheirNames = false;
    // A name where something stands that cannot be replaced (a folder, a protected file) is
    // passed over for the next number; else placing the file fails.
    bool passOverObstacles = false;
};

// The classic run: one image per input, named after it, written again when the input is listed
// twice; a folder standing at the name is a failure that the report tells.
inline constexpr NameRules kClassicNameRules {false, true, false};
// The thorough run: every photo a name of its own, ASCII case folded, obstacles passed over.
inline constexpr NameRules kThoroughNameRules {true, false, true};

// The output names of one run. A name already written in the run gets " (2)", " (3)", ... before
// its extension, and the disk is asked about every name, for the rules a file system may have
// (WrittenFiles). A file that stood in the folder before the run does not count: it is replaced.
// The table keeps a fingerprint for each name and each folder once, so that a million photos
// take about 16 MB (names that repeat take some more, for their next number).
class OutputNames
{
public:
    explicit OutputNames(NameRules rules);

    // The name of the classic run's image of `input`, without its extension: the card file's name
    // without its extension. On Windows it is made safe as the thorough run's names are
    // (MakeSafeFileName), so that a card file named "aux" or "nul " (which a "\\?\" path can
    // reach) gives no name of a device and no name that Windows cannot open again.
    static std::string classicStem(std::string_view input);

    // The path that `stem` and `extension` give in the folder text (a "/" added when it lacks
    // one), before any number. Throws std::runtime_error when the folder text is empty.
    static std::string
    firstPath(std::string_view folderText, std::string_view stem, std::string_view extension);

    // Gives the complete `file`, created in the folder that `folderText` names, the first name
    // for `stem` and `extension` that is free in this table and on the disk. `input` is the input
    // the file is of, for inputsKeepTheirNames. Returns the path. Throws FileError when the file
    // cannot be written, std::runtime_error when the folder text is empty.
    std::string place(ReplacingFile& file,
                      WrittenFiles& written,
                      std::string_view folderText,
                      std::string_view stem,
                      std::string_view extension,
                      const std::string& input = {});

    // The bytes the table holds.
    std::size_t memoryBytes() const noexcept;

private:
    std::string identity(const std::string& path);
    std::string key(std::string_view text) const;
    std::uint64_t folderSalt(const std::string& folder);

    NameRules m_rules;
    std::filesystem::path m_currentFolder; // asked once, when a relative path first needs it
    std::vector<std::string> m_folderTexts; // each folder once, as given
    std::vector<std::string> m_folderKeys; // and what makes it one folder, its salt the position + 1
    std::vector<std::uint64_t> m_folderSalts; // of each folder text
    FingerprintSet m_taken; // names, salted by their folder
    FingerprintTable<std::uint64_t> m_inputOf; // name -> the input written there, with inputsKeepTheirNames
    FingerprintTable<std::uint32_t> m_nextNumber; // stem and extension -> the next number to try
};

} // namespace orvandel
