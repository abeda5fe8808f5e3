// The helper thread of the stream writer: jobs run in order with their effects visible
// after Wait, failures come back to the caller, and destruction waits for a running job.
#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

#include "codec/JobThread.h"

TEST(JobThread, RunsEachJobAndPublishesItsWrites)
{
    TJobThread worker;
    std::vector<int> data(1000, 0);
    long sum = 0;
    for (int round = 1; round <= 200; ++round) {
        worker.Start([&] {
            for (int& v : data) v += round;
        });
        worker.Wait();
        sum += data[round % data.size()];
    }
    // Every element got 1 + 2 + ... + 200; the reads in between saw each round finished.
    for (int v : data) ASSERT_EQ(v, 200 * 201 / 2);
    long expected = 0;
    for (int round = 1; round <= 200; ++round) expected += round * (round + 1) / 2;
    EXPECT_EQ(sum, expected);
}

TEST(JobThread, AFailureReachesWaitAndTheThreadCarriesOn)
{
    TJobThread worker;
    worker.Start([] { throw std::runtime_error("finder failed"); });
    try {
        worker.Wait();
        FAIL() << "Wait returned";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "finder failed");
    }
    bool ran = false;
    worker.Start([&] { ran = true; });
    worker.Wait();
    EXPECT_TRUE(ran);
}

TEST(JobThread, DestructionWaitsForTheRunningJobAndDropsItsFailure)
{
    bool finished = false;
    {
        TJobThread worker;
        worker.Start([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
            finished = true;
            throw std::runtime_error("late");
        });
    }
    EXPECT_TRUE(finished);
}

TEST(JobThread, WaitBlocksPastTheSpinTime)
{
    TJobThread worker;
    bool done = false;
    worker.Start([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(60));
        done = true;
    });
    worker.Wait();
    EXPECT_TRUE(done);
}
