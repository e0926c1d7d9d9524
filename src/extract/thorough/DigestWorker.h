#pragma once

#include "Sha256.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

namespace orvandel {

// Takes photos' digests on a thread of its own, so that a run that looks for duplicates hashes one
// photo while it reads, decodes and writes the next. Jobs are done in the order they are given.
// While jobs keep coming the thread waits for the next one briefly before it sleeps, so that a
// run of small photos costs no system call for each. A job the thread has not begun when its
// result is wanted is done by the caller, and where the thread often falls behind (a busy
// machine) the caller is told to take the digests itself for a while: the run is then about as
// fast as with one thread. submit(), wait() and keepingUp() are for one caller thread.
class DigestWorker
{
public:
    struct Job
    {
        std::string bytes;
        Sha256::Digest digest {};
        std::string error; // what went wrong, when finish() threw
        std::atomic<bool> done {false};
        bool taken = false; // by the thread (guarded by the worker's mutex)
    };

    // Throws std::system_error when there is no thread to be had, std::runtime_error when
    // libcrypto cannot set up a digest.
    DigestWorker();
    ~DigestWorker();
    DigestWorker(const DigestWorker&) = delete;
    DigestWorker& operator=(const DigestWorker&) = delete;

    // The job must stay where it is until wait() has returned for it.
    void submit(Job& job);
    // Returns once the job is done: its digest, or its error, is then there to read. `judged`
    // is false where the job is wanted right after it was given, which tells nothing of how the
    // thread keeps up.
    void wait(Job& job, bool judged = true);
    // False while the thread is found not to keep up (the machine is busy): the caller then takes
    // the digest itself. Asked once for each photo.
    bool keepingUp();

private:
    void work();
    Job* next();
    static void run(Job& job, Sha256& sha) noexcept;
    enum class Found
    {
        NotBegun,
        Begun
    };
    Found finish(Job& job);

    std::mutex m_mutex;
    std::condition_variable m_jobAdded;
    std::condition_variable m_jobDone;
    std::deque<Job*> m_queue;
    std::atomic<std::uint64_t> m_submitted {0};
    bool m_sleeping = false;
    bool m_waiting = false;
    bool m_quit = false;
    Sha256 m_threadSha; // the thread's, for every job it takes
    Sha256 m_callerSha; // for the jobs the caller takes
    // The caller's own count of how the thread keeps up.
    unsigned m_waited = 0;
    unsigned m_late = 0;
    unsigned m_notBegun = 0;
    unsigned m_resting = 0;
    std::thread m_thread;
};

} // namespace orvandel
