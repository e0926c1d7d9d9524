#pragma once

#include "OutputFolder.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace orvandel {

// Writes a file so that its target is replaced whole or not at all. The bytes go to a temporary
// file in the target's folder, unnamed where the file system allows it and hidden otherwise,
// which takes the target's name when complete: an interrupted write never leaves a truncated
// file (and a killed program leaves nothing where the temporary file is unnamed), and a symbolic
// link standing at the target's name is replaced instead of written through. Every failure
// throws FileError naming the target.
class ReplacingFile
{
public:
    // A file for `target`, in the folder that the target's text names, opened by create().
    explicit ReplacingFile(std::string target);
    // A file in `folder`, held open by its owner; `target` names the file in messages until
    // retarget() gives it its own name.
    ReplacingFile(std::shared_ptr<OutputFolder> folder, std::string target);
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Creates the temporary file. `hint` goes into its name when it gets one (the target's name
    // unless told), so that a person can tell what a left-over file was.
    void create(std::string_view hint = {});
    void write(std::string_view bytes);
    // Finishes writing: what is still held back is written out, so a full disk shows here at the
    // latest. A named temporary file is closed, so that a writer holding many of them keeps few handles open;
    // commit() then only gives it its name.
    void close();
    // Changes the name that commit() gives the file. The temporary file stays where it is, so
    // the new target must lie in the same folder.
    void retarget(std::string target) { m_target = std::move(target); }
    // Closes the temporary file (unless closed already) and gives it the target's name,
    // replacing what stands there.
    void commit();
    // The same, unless something stands at the target's name: then false, and the file waits,
    // complete, for another name or for commit().
    bool commitNew();
    // Like commit(), but a failure leaves the file waiting, complete, for another name, and
    // comes back as its error code.
    std::error_code tryCommit();
    // Closes and removes the temporary file; the target stays as it was.
    void discard() noexcept;

    const std::string& target() const noexcept { return m_target; }
    // The folder the file is written in; null before create().
    const std::shared_ptr<OutputFolder>& folder() const noexcept { return m_folder; }
    // The temporary file's path while it has a hidden name; empty while it is unnamed or gone.
    std::string temporaryPath() const;
    // Which file this is, when the file system tells it; the same before and after commit.
    std::optional<FileIdentity> identity() const;

private:
    std::string name() const;
    void finishWriting();

    std::string m_target;
    std::shared_ptr<OutputFolder> m_folder;
    bool m_ownFolder;
    std::unique_ptr<OutputFolder::Temporary> m_temporary;
    std::optional<FileIdentity> m_identity;
    bool m_writing = false;
};

} // namespace orvandel
