#include "OutputNames.h"

#include "util/PathHelpers.h"

#include <filesystem>
#include <stdexcept>

namespace orvandel {

namespace {

    // Two spellings of one path ("a/./b.vcf", "a//b.vcf") name one file.
    std::string Identity(const std::string& path)
    {
        std::error_code ec;
        const auto absolute = std::filesystem::absolute(ToFsPath(path), ec);
        return ec ? path : FromFsPath(absolute.lexically_normal());
    }

} // namespace

std::string OutputNames::claim(std::string_view folderText,
                               const std::string& input,
                               std::string_view stem,
                               std::string_view extension)
{
    if (folderText.empty())
        throw std::runtime_error("No output folder is set.");
    const std::string folder = WithTrailingSeparator(folderText);
    const std::string identity = Identity(input);
    for (int n = 1;; ++n) {
        std::string candidate = folder;
        candidate += stem;
        if (n > 1)
            candidate += " (" + std::to_string(n) + ")";
        candidate += extension;
        const auto [owner, added] = m_ownerOf.try_emplace(Identity(candidate), identity);
        if (added || owner->second == identity)
            return candidate;
    }
}

} // namespace orvandel
