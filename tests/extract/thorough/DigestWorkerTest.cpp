#include "extract/thorough/DigestWorker.h"

#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace orvandel {
namespace {

    // Jobs of one size given in batches: the thread takes some, the caller the rest (whoever
    // comes first); each digest is the one of its own bytes, whoever took it.
    struct BatchCase
    {
        const char* name;
        std::size_t bytes;
        std::size_t jobs;
        std::size_t batch; // jobs given before the first is waited for
    };

    class DigestWorkerTest : public ::testing::TestWithParam<BatchCase>
    {
    };

    TEST_P(DigestWorkerTest, GivesEachJobTheDigestOfItsOwnBytes)
    {
        const BatchCase& batchCase = GetParam();
        DigestWorker worker;
        std::vector<std::unique_ptr<DigestWorker::Job>> jobs;
        for (std::size_t i = 0; i < batchCase.jobs; ++i) {
            jobs.push_back(std::make_unique<DigestWorker::Job>());
            jobs.back()->bytes
                = std::string(batchCase.bytes, static_cast<char>('a' + i % 26)) + std::to_string(i);
        }
        std::size_t given = 0;
        for (std::size_t i = 0; i < batchCase.jobs; ++i) {
            while (given < batchCase.jobs && given < i + batchCase.batch)
                worker.submit(*jobs[given++]);
            worker.wait(*jobs[i]);
            EXPECT_TRUE(jobs[i]->error.empty()) << jobs[i]->error;
            EXPECT_EQ(Sha256::hex(jobs[i]->digest), Sha256::hex(Sha256::of(jobs[i]->bytes))) << "job " << i;
        }
    }

    INSTANTIATE_TEST_SUITE_P(Batches,
                             DigestWorkerTest,
                             ::testing::Values(BatchCase {"OneAtATime", 20000, 200, 1},
                                               BatchCase {"TwoInFlight", 20000, 200, 2},
                                               BatchCase {"AllAtOnce", 64, 2000, 2000},
                                               BatchCase {"EmptyOnes", 0, 100, 3},
                                               BatchCase {"LargeOnes", 3 * 1024 * 1024, 4, 2}),
                             [](const auto& info) { return std::string(info.param.name); });

    // A job can be given again once waited for, as a run does with each photo's.
    TEST(DigestWorkerReuse, AJobWaitedForCanBeGivenAgain)
    {
        DigestWorker worker;
        DigestWorker::Job job;
        for (const std::string bytes : {"one", "", "three"}) {
            job.bytes = bytes;
            worker.submit(job);
            worker.wait(job);
            EXPECT_EQ(Sha256::hex(job.digest), Sha256::hex(Sha256::of(bytes)));
        }
    }

    // A thread that is always found in the middle of the job that is wanted does not keep up: the
    // caller is told to hash by itself for a while, then the thread is tried again.
    TEST(DigestWorkerBusyMachine, ACallerThatAlwaysWaitsHashesByItselfForAWhile)
    {
        DigestWorker worker;
        EXPECT_TRUE(worker.keepingUp());
        DigestWorker::Job job;
        job.bytes = std::string(32 * 1024 * 1024, 'x'); // about 16 ms to hash: begun, not done
        for (int i = 0; i < 64; ++i) {
            worker.submit(job);
            std::this_thread::sleep_for(std::chrono::milliseconds(2)); // the thread takes it
            worker.wait(job);
        }
        EXPECT_EQ(Sha256::hex(job.digest), Sha256::hex(Sha256::of(job.bytes)));
        int resting = 0;
        while (!worker.keepingUp() && resting < 100000)
            ++resting;
        EXPECT_GT(resting, 100);
        EXPECT_LT(resting, 100000) << "the thread is tried again";
    }

} // namespace
} // namespace orvandel
