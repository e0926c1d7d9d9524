#include "OutputNames.h"

#include "util/PathHelpers.h"
#include "util/ReplacingFile.h"

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

    std::string Candidate(const std::string& folder, std::string_view stem, int n, std::string_view extension)
    {
        std::string candidate = folder;
        candidate += stem;
        if (n > 1)
            candidate += " (" + std::to_string(n) + ")";
        candidate += extension;
        return candidate;
    }

    // The owner of a name that turned out to be taken on the disk: no input is ever it.
    const std::string kTakenOnDisk;

} // namespace

std::string
OutputNames::firstPath(std::string_view folderText, std::string_view stem, std::string_view extension)
{
    if (folderText.empty())
        throw std::runtime_error("No output folder is set.");
    return Candidate(WithTrailingSeparator(folderText), stem, 1, extension);
}

std::string OutputNames::place(ReplacingFile& file,
                               std::string_view folderText,
                               const std::string& input,
                               std::string_view stem,
                               std::string_view extension)
{
    if (folderText.empty())
        throw std::runtime_error("No output folder is set.");
    const std::string folder = WithTrailingSeparator(folderText);
    const std::string identity = Identity(input);
    for (int n = 1;; ++n) {
        std::string candidate = Candidate(folder, stem, n, extension);
        std::string key = Identity(candidate);
        const auto owner = m_ownerOf.find(key);
        if (owner != m_ownerOf.end() && owner->second != identity)
            continue; // another input's
        file.retarget(candidate);
        if (owner != m_ownerOf.end()) {
            m_written.replace(file); // the same input again
            return candidate;
        }
        auto placement = m_written.put(file);
        switch (placement.outcome) {
        case WrittenFiles::Outcome::Written:
            m_ownerOf.emplace(std::move(key), identity);
            return candidate;
        case WrittenFiles::Outcome::Taken:
            m_ownerOf.emplace(std::move(key), kTakenOnDisk);
            break;
        case WrittenFiles::Outcome::Obstructed:
            file.discard();
            throw *placement.obstacle;
        }
    }
}

} // namespace orvandel
