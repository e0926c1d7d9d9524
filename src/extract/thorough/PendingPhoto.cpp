#include "PendingPhoto.h"

#include "ImageType.h"
#include "util/FileError.h"

#include <new>
#include <system_error>
#include <utility>

namespace orvandel {

namespace {

    // The photos' bytes kept for the digest thread, at most: beyond it, a photo is hashed as it is
    // written.
    constexpr std::size_t kHashAheadBytes = 4 * 1024 * 1024;

} // namespace

PendingPhoto::~PendingPhoto()
{
    if (submitted)
        worker->wait(*job); // the thread must be done with the bytes and the digest
    release();
}

void PendingPhoto::takeDigest()
{
    if (!hashing || failed)
        return;
    if (job) {
        worker->submit(*job);
        submitted = true;
        return;
    }
    try {
        digest = sha->finish();
    } catch (const std::exception& error) {
        fail(RunStep::WritePhoto, std::string("Cannot take the photo's digest: ") + error.what());
    }
}

void PendingPhoto::awaitDigest(bool judged)
{
    if (!submitted)
        return;
    worker->wait(*job, judged);
    submitted = false;
    if (!job->error.empty())
        fail(RunStep::WritePhoto, "Cannot take the photo's digest: " + job->error);
    else
        digest = job->digest;
    release();
}

void PendingPhoto::fail(RunStep step, std::string description)
{
    if (failed)
        return;
    failed = true;
    errorStep = step;
    error = std::move(description);
    if (file)
        file->discard();
}

// What a failed write says before the photo has its name: the system's reason; the report adds
// the input, the card and its FN.
void PendingPhoto::failWriting(const std::exception& error)
{
    if (const auto* fileError = dynamic_cast<const FileError*>(&error); fileError && fileError->code())
        fail(RunStep::WritePhoto, "Cannot write the photo (" + fileError->code().message() + ")");
    else
        fail(RunStep::WritePhoto, std::string("Cannot write the photo: ") + error.what());
}

void PendingPhoto::write(std::string_view bytes) noexcept
{
    if (failed || !file)
        return;
    if (firstBytes.size() < kImageSniffLength)
        firstBytes.append(bytes.substr(0, kImageSniffLength - firstBytes.size()));
    if (hashing) {
        hash(bytes);
        if (failed)
            return;
    }
    try {
        file->write(bytes);
    } catch (const std::exception& error) {
        failWriting(error);
    }
}

void PendingPhoto::hash(std::string_view bytes) noexcept
{
    if (job && *kept + bytes.size() <= kHashAheadBytes) {
        try {
            job->bytes.append(bytes);
            *kept += bytes.size();
            return;
        } catch (const std::bad_alloc&) {
        }
    }
    if (!sha) {
        try {
            sha = std::make_unique<Sha256>();
        } catch (const std::exception& error) {
            fail(RunStep::WritePhoto, std::string("Cannot take the photo's digest: ") + error.what());
            return;
        }
    }
    if (job) {
        sha->update(job->bytes);
        release();
    }
    sha->update(bytes);
}

void PendingPhoto::release() noexcept
{
    if (!job)
        return;
    *kept -= job->bytes.size();
    job.reset();
}

} // namespace orvandel
