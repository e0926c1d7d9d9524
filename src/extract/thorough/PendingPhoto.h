#pragma once

#include "CardHandler.h"
#include "DigestWorker.h"
#include "PhotoOutput.h"
#include "Sha256.h"
#include "extract/RunStep.h"
#include "util/ReplacingFile.h"

#include <cstddef>
#include <exception>
#include <memory>
#include <string>
#include <string_view>

namespace orvandel {

// One photo of the card being read, from its start until it is named and written: its bytes go
// into a temporary file as they are decoded, with the first of them kept to tell its type, and
// with --unique its digest is taken, on the digest thread while its bytes are few enough. The
// first failure sticks: the file is discarded, and the failure is told when the photo is finished.
class PendingPhoto : public PhotoOutput
{
public:
    PhotoStart start;
    std::unique_ptr<ReplacingFile> file;
    std::string firstBytes;
    bool hashing = false; // its digest is taken (--unique)
    std::unique_ptr<Sha256> sha; // when the digest is taken as the photo is written
    Sha256::Digest digest {};
    DigestWorker* worker = nullptr; // takes the digest when the photo is small enough
    std::unique_ptr<DigestWorker::Job> job; // the photo's bytes while they are kept for it
    std::size_t* kept = nullptr; // the bytes the card writer keeps for the thread, in all
    bool submitted = false;
    PhotoEnd end;
    bool failed = false;
    std::string error;
    RunStep errorStep = RunStep::CheckList;

    PendingPhoto() = default;
    PendingPhoto(const PendingPhoto&) = delete;
    PendingPhoto& operator=(const PendingPhoto&) = delete;
    ~PendingPhoto() override;

    // The whole photo is written: its digest is taken, on the digest thread where there is one.
    void takeDigest();
    // Waits for a digest taken on the digest thread.
    // `judged`: see DigestWorker::wait.
    void awaitDigest(bool judged);

    void fail(RunStep step, std::string description);
    // Writing its file failed: the photo fails with the system's reason.
    void failWriting(const std::exception& error);

    void write(std::string_view bytes) noexcept override;

private:
    void hash(std::string_view bytes) noexcept;
    void release() noexcept;
};

} // namespace orvandel
