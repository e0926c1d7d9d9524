#include "WrittenFiles.h"

#include "Fingerprint.h"
#include "PathHelpers.h"
#include "ReplacingFile.h"

#include <algorithm>
#include <cerrno>

namespace orvandel {

namespace {

    std::uint64_t IdentityFingerprint(const FileIdentity& identity)
    {
        const std::uint64_t words[2] = {identity.device, identity.inode};
        return Fingerprint(std::string_view(reinterpret_cast<const char*>(words), sizeof words));
    }

    // Failures of a rename over an existing entry that come from the entry itself, so that
    // another name can do.
    bool IsObstacle(std::error_code error)
    {
        if (error.category() != std::generic_category() && error.category() != std::system_category())
            return false;
        switch (error.value()) {
        case EISDIR:
        case ENOTEMPTY:
        case EEXIST:
        case EBUSY:
        case EPERM:
        case EACCES:
        case ENOTDIR:
        case ETXTBSY:
            return true;
        default:
            return false;
        }
    }

} // namespace

std::string WrittenFiles::FolderKey(const OutputFolder& folder)
{
    if (const auto identity = folder.identity())
        return std::to_string(identity->device) + ":" + std::to_string(identity->inode);
    return folder.path();
}

bool WrittenFiles::isOurs(const std::optional<FileIdentity>& identity) const
{
    if (!identity || !m_identities.contains(IdentityFingerprint(*identity)))
        return false;
    return std::find(m_devicesWithoutIdentities.begin(), m_devicesWithoutIdentities.end(), identity->device)
        == m_devicesWithoutIdentities.end();
}

bool WrittenFiles::listedExactly(OutputFolder& folder, const std::string& name)
{
    const std::string key = FolderKey(folder);
    auto found = m_listings.find(key);
    if (found == m_listings.end()) {
        FingerprintSet names;
        const auto error
            = folder.forEachName([&](std::string_view entry) { names.insert(Fingerprint(entry)); });
        if (error)
            return false; // a folder that cannot be listed proves nothing: the name stays taken
        found = m_listings.emplace(key, std::move(names)).first;
    }
    return found->second.contains(Fingerprint(name));
}

void WrittenFiles::record(ReplacingFile& file, const std::optional<FileIdentity>& identity)
{
    ++m_count;
    OutputFolder& folder = *file.folder();
    if (identity && !m_identities.insert(IdentityFingerprint(*identity))) {
        // A new file with the number of another: this file system's numbers tell nothing.
        if (std::find(m_devicesWithoutIdentities.begin(), m_devicesWithoutIdentities.end(), identity->device)
            == m_devicesWithoutIdentities.end())
            m_devicesWithoutIdentities.push_back(identity->device);
    }
    if (!m_listings.empty()) {
        if (const auto listing = m_listings.find(FolderKey(folder)); listing != m_listings.end())
            listing->second.insert(Fingerprint(GetFileName(file.target())));
    }
    const std::string flushKey = identity ? std::to_string(identity->device) : folder.path();
    if (std::none_of(m_toFlush.begin(), m_toFlush.end(),
                     [&](const FlushTarget& target) { return target.key == flushKey; }))
        m_toFlush.push_back({flushKey, file.folder()});
}

WrittenFiles::Placement WrittenFiles::put(ReplacingFile& file)
{
    const std::string name = GetFileName(file.target());
    // A name that vanishes between the tries is tried again, a few times.
    for (int attempt = 0; attempt < 4; ++attempt) {
        const auto identity = file.identity();
        if (file.commitNew()) {
            record(file, identity);
            return {};
        }
        OutputFolder& folder = *file.folder();
        const FolderEntry entry = folder.lookup(name);
        if (!entry.exists)
            continue;
        if (isOurs(entry.identity) || !listedExactly(folder, name))
            return {Outcome::Taken, std::nullopt};
        if (const auto error = file.tryCommit()) {
            auto failure = FileError::fromSystem(FileErrorKind::ReplaceFailed, file.target(), error);
            if (IsObstacle(error))
                return {Outcome::Obstructed, std::move(failure)};
            file.discard();
            throw failure;
        }
        record(file, identity);
        return {};
    }
    return {Outcome::Taken, std::nullopt};
}

void WrittenFiles::replace(ReplacingFile& file)
{
    const auto identity = file.identity();
    file.commit();
    record(file, identity);
}

void WrittenFiles::flush()
{
    std::optional<FileError> failure;
    for (const FlushTarget& target : m_toFlush) {
        if (const auto error = target.folder->flush(); error && !failure) {
            failure = FileError(FileErrorKind::WriteFailed,
                                "Cannot bring the written images to the disk (" + error.message()
                                    + "): " + target.folder->path(),
                                error);
        }
    }
    if (failure)
        throw *failure;
}

std::size_t WrittenFiles::memoryBytes() const noexcept
{
    std::size_t bytes = m_identities.memoryBytes();
    for (const auto& [key, names] : m_listings)
        bytes += key.capacity() + names.memoryBytes();
    return bytes;
}

} // namespace orvandel
