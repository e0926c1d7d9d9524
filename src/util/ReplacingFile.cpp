#include "ReplacingFile.h"

#include "FileError.h"
#include "PathHelpers.h"

namespace orvandel {

namespace {

    // The folder part of the target, with its separator: what GetFileName leaves.
    std::string FolderOf(const std::string& target)
    {
        return target.substr(0, target.size() - GetFileName(target).size());
    }

    FileError NotOpen(const std::string& target)
    {
        return FileError(FileErrorKind::WriteFailed, "The file is not open: " + target);
    }

} // namespace

ReplacingFile::ReplacingFile(std::string target)
    : m_target(std::move(target))
    , m_ownFolder(true)
{
}

ReplacingFile::ReplacingFile(std::shared_ptr<OutputFolder> folder, std::string target)
    : m_target(std::move(target))
    , m_folder(std::move(folder))
    , m_ownFolder(false)
{
}

ReplacingFile::~ReplacingFile()
{
    discard();
}

std::string ReplacingFile::name() const
{
    return GetFileName(m_target);
}

void ReplacingFile::create(std::string_view hint)
{
    discard();
    if (m_ownFolder)
        m_folder = OutputFolder::open(FolderOf(m_target), m_target);
    if (!m_folder)
        throw FileError(FileErrorKind::CreateFailed, "No folder to write in: " + m_target);
    std::error_code error;
    const std::string defaultHint = hint.empty() ? name() : std::string();
    m_temporary = m_folder->createTemporary(hint.empty() ? std::string_view(defaultHint) : hint, error);
    if (!m_temporary)
        throw FileError::fromSystem(FileErrorKind::CreateFailed, m_target, error);
    m_identity = m_temporary->identity();
    m_writing = true;
}

void ReplacingFile::write(std::string_view bytes)
{
    if (!m_temporary || !m_writing)
        throw NotOpen(m_target);
    if (const auto error = m_temporary->write(bytes))
        throw FileError::fromSystem(FileErrorKind::WriteFailed, m_target, error);
}

void ReplacingFile::finishWriting()
{
    m_writing = false;
    if (const auto error = m_temporary->finish()) {
        discard();
        throw FileError::fromSystem(FileErrorKind::WriteFailed, m_target, error);
    }
}

void ReplacingFile::close()
{
    if (!m_temporary || !m_writing)
        throw NotOpen(m_target);
    finishWriting();
}

void ReplacingFile::commit()
{
    if (const auto error = tryCommit()) {
        discard();
        throw FileError::fromSystem(FileErrorKind::ReplaceFailed, m_target, error);
    }
}

std::error_code ReplacingFile::tryCommit()
{
    if (!m_temporary)
        throw NotOpen(m_target);
    if (m_writing)
        finishWriting();
    if (const auto error = m_temporary->replace(name()))
        return error;
    m_temporary.reset(); // placed: nothing left to remove
    return {};
}

bool ReplacingFile::commitNew()
{
    if (!m_temporary)
        throw NotOpen(m_target);
    if (m_writing)
        finishWriting();
    const auto error = m_temporary->placeNew(name());
    if (error == std::errc::file_exists)
        return false;
    if (error) {
        discard();
        throw FileError::fromSystem(FileErrorKind::ReplaceFailed, m_target, error);
    }
    m_temporary.reset();
    return true;
}

void ReplacingFile::discard() noexcept
{
    m_writing = false;
    if (m_temporary) {
        m_temporary.reset();
        m_identity.reset();
    }
}

std::string ReplacingFile::temporaryPath() const
{
    if (!m_temporary || m_temporary->temporaryName().empty())
        return {};
    return m_folder->path() + m_temporary->temporaryName();
}

std::optional<FileIdentity> ReplacingFile::identity() const
{
    return m_identity;
}

} // namespace orvandel
