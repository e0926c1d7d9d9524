#include "OutputNames.h"

#include "SafeFileName.h"
#include "util/AsciiText.h"
#include "util/FileError.h"
#include "util/Fingerprint.h"
#include "util/PathHelpers.h"
#include "util/ReplacingFile.h"
#include "util/WrittenFiles.h"

#include <filesystem>
#include <stdexcept>

namespace orvandel {

namespace {

    constexpr int kMaxTries = 10000;

    std::string Candidate(std::string_view stem, std::uint32_t n, std::string_view extension)
    {
        std::string name(stem);
        if (n > 1)
            name += " (" + std::to_string(n) + ")";
        name += extension;
        return name;
    }

    std::string WithSeparator(std::string_view folderText)
    {
        if (folderText.empty())
            throw std::runtime_error("No output folder is set.");
        return WithTrailingSeparator(folderText);
    }

} // namespace

OutputNames::OutputNames(NameRules rules)
    : m_rules(rules)
{
}

std::string OutputNames::classicStem(std::string_view input)
{
    std::string stem = StripExtension(GetFileName(input));
#if defined(_WIN32)
    stem = MakeSafeFileName(stem, true); // a card file's own name may start with a dot
#endif
    return stem;
}

std::string
OutputNames::firstPath(std::string_view folderText, std::string_view stem, std::string_view extension)
{
    return WithSeparator(folderText) + Candidate(stem, 1, extension);
}

// Two spellings of one path ("a/./b.vcf", "a//b.vcf") name one file. The current folder is asked
// once: the program never changes it.
std::string OutputNames::identity(const std::string& path)
{
    const auto fsPath = ToFsPath(path);
    if (!fsPath.is_absolute() && m_currentFolder.empty()) {
        std::error_code ec;
        m_currentFolder = std::filesystem::current_path(ec);
        if (ec)
            return path;
    }
    const auto absolute = fsPath.is_absolute() ? fsPath : m_currentFolder / fsPath;
    return FromFsPath(absolute.lexically_normal());
}

std::string OutputNames::key(std::string_view text) const
{
    return m_rules.foldAsciiCase ? AsciiLower(text) : std::string(text);
}

std::uint64_t OutputNames::folderSalt(const std::string& folder)
{
    for (std::size_t i = 0; i < m_folderTexts.size(); ++i) {
        if (m_folderTexts[i] == folder)
            return m_folderSalts[i];
    }
    const std::string folderKey = key(identity(folder));
    std::uint64_t salt = 0;
    for (std::size_t i = 0; i < m_folderKeys.size() && salt == 0; ++i) {
        if (m_folderKeys[i] == folderKey)
            salt = i + 1;
    }
    if (salt == 0) {
        m_folderKeys.push_back(folderKey);
        salt = m_folderKeys.size();
    }
    m_folderTexts.push_back(folder);
    m_folderSalts.push_back(salt);
    return salt;
}

std::string OutputNames::place(ReplacingFile& file,
                               WrittenFiles& written,
                               std::string_view folderText,
                               std::string_view stem,
                               std::string_view extension,
                               const std::string& input)
{
    const std::string folder = WithSeparator(folderText);
    const std::uint64_t salt = folderSalt(folder);
    // No fingerprint of an input is 0, which stands for a name that the disk had taken.
    const std::uint64_t inputKey = m_rules.inputsKeepTheirNames ? Fingerprint(identity(input)) | 1 : 0;
    // No file name holds a NUL, so this key never meets a name's. An input that keeps its name
    // looks for it from the first number on.
    const std::uint64_t base = Fingerprint(key(std::string(stem) + '\0' + std::string(extension)), salt);
    const std::uint32_t* next = m_rules.inputsKeepTheirNames ? nullptr : m_nextNumber.find(base);
    std::uint32_t n = next ? *next : 1;
    for (int tries = 0; tries < kMaxTries; ++tries, ++n) {
        const std::string name = Candidate(stem, n, extension);
        const std::uint64_t nameKey = Fingerprint(key(name), salt);
        if (m_taken.contains(nameKey)) {
            const std::uint64_t* owner = inputKey != 0 ? m_inputOf.find(nameKey) : nullptr;
            if (!owner || *owner != inputKey)
                continue; // another input's, or a photo's written before
            file.retarget(folder + name);
            written.replace(file); // the same input again
            return folder + name;
        }
        file.retarget(folder + name);
        auto placement = written.put(file);
        switch (placement.outcome) {
        case WrittenFiles::Outcome::Written:
            m_taken.insert(nameKey);
            if (inputKey != 0)
                m_inputOf.at(nameKey) = inputKey;
            // Only a name that is written again keeps its next number.
            if (n > 1 && !m_rules.inputsKeepTheirNames)
                m_nextNumber.at(base) = n + 1;
            return folder + name;
        case WrittenFiles::Outcome::Taken:
            m_taken.insert(nameKey); // no later file tries it again
            break;
        case WrittenFiles::Outcome::Obstructed:
            if (!m_rules.passOverObstacles) {
                file.discard();
                throw *placement.obstacle;
            }
            m_taken.insert(nameKey);
            break;
        }
    }
    file.discard();
    throw FileError(FileErrorKind::CreateFailed,
                    "No free name for the photo after " + std::to_string(kMaxTries)
                        + " tries: " + file.target());
}

std::size_t OutputNames::memoryBytes() const noexcept
{
    std::size_t bytes = m_taken.memoryBytes() + m_inputOf.memoryBytes() + m_nextNumber.memoryBytes();
    for (const auto* folders : {&m_folderTexts, &m_folderKeys}) {
        for (const std::string& folder : *folders)
            bytes += sizeof folder + folder.capacity();
    }
    return bytes + m_folderSalts.capacity() * sizeof(std::uint64_t);
}

} // namespace orvandel
