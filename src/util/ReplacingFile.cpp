#include "ReplacingFile.h"

#include "FileError.h"
#include "PathHelpers.h"

#include <cerrno>
#include <filesystem>
#include <random>

namespace orvandel {

namespace {

    std::error_code LastError()
    {
        return {errno, std::generic_category()};
    }

    std::string RandomSuffix()
    {
        static std::mt19937_64 generator {std::random_device {}()};
        static constexpr char kDigits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
        std::string suffix(8, '0');
        for (char& c : suffix)
            c = kDigits[generator() % (sizeof kDigits - 1)];
        return suffix;
    }

} // namespace

ReplacingFile::ReplacingFile(std::string target)
    : m_target(std::move(target))
{
}

ReplacingFile::~ReplacingFile()
{
    discard();
}

void ReplacingFile::create()
{
    discard();
    const auto slash = m_target.rfind(kSeparator);
    const std::string folder = slash == std::string::npos ? std::string() : m_target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? m_target : m_target.substr(slash + 1);
    // "x" opens exclusively: a name that exists already, a link among them, is never opened.
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string candidate = folder + "." + name.substr(0, 200) + "." + RandomSuffix() + ".part";
#if defined(_WIN32)
        std::FILE* file = _wfopen(ToFsPath(candidate).c_str(), L"wbx");
#else
        std::FILE* file = std::fopen(candidate.c_str(), "wbx");
#endif
        if (file) {
            m_file = file;
            m_temporary = std::move(candidate);
            return;
        }
        if (errno != EEXIST)
            throw FileError::fromSystem(FileErrorKind::CreateFailed, m_target, LastError());
    }
    throw FileError(FileErrorKind::CreateFailed, "Cannot create a temporary file beside: " + m_target);
}

void ReplacingFile::write(std::string_view bytes)
{
    if (!m_file)
        throw FileError(FileErrorKind::WriteFailed, "The file is not open: " + m_target);
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), m_file) != bytes.size())
        throw FileError::fromSystem(FileErrorKind::WriteFailed, m_target, LastError());
}

void ReplacingFile::close()
{
    if (!m_file)
        throw FileError(FileErrorKind::WriteFailed, "The file is not open: " + m_target);
    std::FILE* file = m_file;
    m_file = nullptr;
    // Buffered bytes reach the disk at close; a full disk shows here.
    if (std::fclose(file) != 0) {
        const auto error = LastError();
        discard();
        throw FileError::fromSystem(FileErrorKind::WriteFailed, m_target, error);
    }
}

void ReplacingFile::commit()
{
    if (m_temporary.empty())
        throw FileError(FileErrorKind::WriteFailed, "The file is not open: " + m_target);
    if (m_file)
        close();
    std::error_code ec;
    std::filesystem::rename(ToFsPath(m_temporary), ToFsPath(m_target), ec);
    if (ec) {
        discard();
        throw FileError::fromSystem(FileErrorKind::ReplaceFailed, m_target, ec);
    }
    m_temporary.clear();
}

void ReplacingFile::discard() noexcept
{
    if (m_file) {
        std::fclose(m_file);
        m_file = nullptr;
    }
    if (!m_temporary.empty()) {
        std::error_code ignored;
        std::filesystem::remove(ToFsPath(m_temporary), ignored);
        m_temporary.clear();
    }
}

void ReplacingFile::writeWhole(const std::string& target, std::string_view bytes)
{
    ReplacingFile file(target);
    file.create();
    file.write(bytes);
    file.commit();
}

} // namespace orvandel
