// worker_pool_test.cpp — the solver's thread pool: every task once, and a stalled worker holds up nothing but its task.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <thread>
#include <vector>

#include "engine/worker_pool.h"

namespace korvel {
namespace {

// Batch after batch of varying size and width (narrower and wider than the pool has grown to): every
// task runs exactly once, on a participant of its batch, and the call returns only when all are done.
TEST(WorkerPool, EveryTaskRunsOnceBeforeTheCallReturns) {
    std::vector<std::atomic<int>> runs(97);
    for (int round = 0; round < 300; ++round) {
        const std::size_t tasks = 1 + static_cast<std::size_t>(round * 37 % 97);
        const std::size_t threads = 1 + static_cast<std::size_t>(round % kMaxWorkerThreads);
        for (auto& r : runs) r.store(0);
        std::atomic<bool> badParticipant{false};
        auto task = [&](std::size_t t, std::size_t participant) {
            if (participant >= threads) badParticipant = true;
            runs[t].fetch_add(1);
        };
        RunTasks(tasks, threads, task);
        ASSERT_FALSE(badParticipant) << "round " << round;
        for (std::size_t t = 0; t < runs.size(); ++t)
            ASSERT_EQ(runs[t].load(), t < tasks ? 1 : 0) << "round " << round << ", task " << t;
    }
}

// A worker that gets no processor for a while (here: its first task sleeps) must not hold up the rest of
// its share: the caller takes it. Otherwise a busy machine makes every threaded solve wait for the slowest
// thread's turn, batch after batch.
TEST(WorkerPool, TasksOfAStalledWorkerRunOnTheCaller) {
    std::atomic<int> workerRuns{0};
    std::atomic<int> callerRuns{0};
    auto task = [&](std::size_t, std::size_t participant) {
        // The caller's first task gives the worker time to wake and claim one.
        if (participant == 0 && callerRuns.fetch_add(1) == 0) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (participant != 0 && workerRuns.fetch_add(1) == 0) std::this_thread::sleep_for(std::chrono::milliseconds(300));
    };
    RunTasks(16, 2, task);
    // Whether or not the worker woke in time to claim a task, it ran at most the one it slept in.
    EXPECT_LE(workerRuns.load(), 1);
}

}  // namespace
}  // namespace korvel
