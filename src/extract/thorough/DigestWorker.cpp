#include "DigestWorker.h"

#include <algorithm>
#include <chrono>
#include <exception>

namespace orvandel {

namespace {

    // A few times as long as a run takes for a small photo: the thread stays awake between two.
    constexpr auto kStayAwake = std::chrono::microseconds(100);
    // How long a caller waits awake for a job the thread has begun.
    constexpr auto kWaitAwake = std::chrono::microseconds(50);
    // Of every kWindow jobs, more than kLateInAWindow that the thread had begun but not finished
    // when they were wanted, or more than kNotBegunInAWindow that it had not even begun, mean that
    // it does not get a core of its own (a busy machine): the run then hashes its next kRest
    // photos itself, and tries again. (A few jobs not begun are usual: the reader takes the
    // digests of the cards it has read whenever it pauses: those waits are not judged.)
    constexpr unsigned kWindow = 64;
    constexpr unsigned kLateInAWindow = 16;
    constexpr unsigned kNotBegunInAWindow = 32;
    constexpr unsigned kRest = 256;

    inline void Relax() noexcept
    {
#if defined(__x86_64__) || defined(__i386__)
        __builtin_ia32_pause();
#elif defined(__aarch64__)
        asm volatile("yield");
#endif
    }

} // namespace

DigestWorker::DigestWorker()
    : m_thread([this] { work(); })
{
}

DigestWorker::~DigestWorker()
{
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_jobAdded.notify_one();
    m_thread.join();
}

void DigestWorker::submit(Job& job)
{
    job.done.store(false, std::memory_order_relaxed);
    job.taken = false;
    bool wake = false;
    {
        std::lock_guard lock(m_mutex);
        m_queue.push_back(&job);
        wake = m_sleeping;
    }
    m_submitted.fetch_add(1, std::memory_order_release);
    if (wake)
        m_jobAdded.notify_one();
}

bool DigestWorker::keepingUp()
{
    if (m_resting == 0)
        return true;
    --m_resting;
    return false;
}

void DigestWorker::wait(Job& job, bool judged)
{
    if (!job.done.load(std::memory_order_acquire)) {
        const Found found = finish(job);
        if (judged)
            ++(found == Found::NotBegun ? m_notBegun : m_late);
    }
    if (!judged)
        return;
    ++m_waited;
    if (m_waited == kWindow) {
        if (m_late > kLateInAWindow || m_notBegun > kNotBegunInAWindow)
            m_resting = kRest;
        m_waited = 0;
        m_late = 0;
        m_notBegun = 0;
    }
}

DigestWorker::Found DigestWorker::finish(Job& job)
{
    {
        std::unique_lock lock(m_mutex);
        if (!job.taken) {
            // Not begun: done here rather than waited for.
            std::erase(m_queue, &job);
            lock.unlock();
            run(job, m_callerSha);
            job.done.store(true, std::memory_order_release);
            return Found::NotBegun;
        }
    }
    const auto giveUp = std::chrono::steady_clock::now() + kWaitAwake;
    for (unsigned spins = 1; !job.done.load(std::memory_order_acquire); ++spins) {
        Relax();
        if (spins % 64 == 0 && std::chrono::steady_clock::now() >= giveUp) {
            std::unique_lock lock(m_mutex);
            m_waiting = true;
            m_jobDone.wait(lock, [&] { return job.done.load(std::memory_order_acquire); });
            m_waiting = false;
            return Found::Begun;
        }
    }
    return Found::Begun;
}

DigestWorker::Job* DigestWorker::next()
{
    const std::uint64_t seen = m_submitted.load(std::memory_order_acquire);
    {
        std::lock_guard lock(m_mutex);
        if (!m_queue.empty()) {
            Job* job = m_queue.front();
            m_queue.pop_front();
            job->taken = true;
            return job;
        }
        if (m_quit)
            return nullptr;
    }
    // Looks at the clock once in a while only: the thread that waits leaves the core to the run.
    const auto giveUp = std::chrono::steady_clock::now() + kStayAwake;
    for (unsigned spins = 1; m_submitted.load(std::memory_order_acquire) == seen; ++spins) {
        Relax();
        if (spins % 64 == 0 && std::chrono::steady_clock::now() >= giveUp)
            break;
    }
    std::unique_lock lock(m_mutex);
    m_sleeping = true;
    m_jobAdded.wait(lock, [&] { return !m_queue.empty() || m_quit; });
    m_sleeping = false;
    if (m_queue.empty())
        return nullptr;
    Job* job = m_queue.front();
    m_queue.pop_front();
    job->taken = true;
    return job;
}

void DigestWorker::run(Job& job, Sha256& sha) noexcept
{
    sha.update(job.bytes);
    try {
        job.digest = sha.finish();
    } catch (const std::exception& error) {
        job.error = error.what();
    }
}

void DigestWorker::work()
{
    while (Job* job = next()) {
        run(*job, m_threadSha);
        bool wake = false;
        {
            std::lock_guard lock(m_mutex);
            job->done.store(true, std::memory_order_release);
            wake = m_waiting;
        }
        if (wake)
            m_jobDone.notify_all();
    }
}

} // namespace orvandel
