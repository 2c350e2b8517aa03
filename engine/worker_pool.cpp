// worker_pool.cpp — the solver's worker threads: started once, woken per batch of tasks, joined at exit.
#include "worker_pool.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#if defined(__linux__)
#include <sched.h>
#endif

namespace korvel {
namespace {

// The processors this process may run on (taskset and container limits count), not merely those present.
unsigned AvailableProcessors() {
#if defined(__linux__)
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) == 0) return static_cast<unsigned>(std::max(CPU_COUNT(&set), 1));
#endif
    return std::max(std::thread::hardware_concurrency(), 1u);
}

std::atomic<unsigned> forcedThreads{0};

// About 50 microseconds of polling.
constexpr int kSpins = 20000;
inline void Pause() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#else
    std::this_thread::yield();
#endif
}

// Workers sleep on a condition variable between batches (after a short spin). A batch is published
// under the mutex with a new number; participant p (the caller is 0) runs tasks p, p + width, ..., the
// same share every time, so a thread keeps the rows it worked on in its own cache. A participant that
// has run its share takes the tasks others have not started: on a busy machine a worker may not get a
// processor for milliseconds, and waiting for it made a solve ten times slower than doing its share.
// The caller returns once every task of its batch is done.
class Pool {
public:
    ~Pool() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        for (std::thread& t : threads_) t.join();
    }

    void Run(std::size_t tasks, std::size_t width, Task task, void* context) {
        Grow(width - 1);
        std::uint64_t batch = 0;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            task_ = task;
            context_ = context;
            tasks_ = tasks;
            width_ = width;
            done_.store(0, std::memory_order_relaxed);
            batch = batch_.load(std::memory_order_relaxed) + 1;
            for (std::size_t p = 0; p < width; ++p) cursor_[p].store(Tag(batch), std::memory_order_relaxed);
            batch_.store(batch, std::memory_order_release);
        }
        wake_.notify_all();
        if (TakeTasks(task, context, tasks, width, 0, batch)) return;
        // The others usually finish within microseconds: spin briefly before sleeping.
        for (int spin = 0; spin < kSpins && done_.load(std::memory_order_acquire) != tasks; ++spin) Pause();
        std::unique_lock<std::mutex> lock(mutex_);
        finished_.wait(lock, [&] { return done_.load(std::memory_order_acquire) == tasks; });
    }

private:
    void Grow(std::size_t workers) {
        while (threads_.size() < workers) {
            const std::size_t index = threads_.size() + 1;  // participant 0 is the caller
            threads_.emplace_back([this, index] { Work(index); });
        }
    }

    // The batch number in the upper half of a cursor: a thread still busy with an earlier batch can never
    // claim a task of a later one, whose description it has not read.
    static std::uint64_t Tag(std::uint64_t batch) { return (batch & 0xffffffffu) << 32; }

    // Claims the next task of participant owner's share (count tasks) in the batch; false when none is left.
    bool Claim(std::size_t owner, std::uint64_t batch, std::size_t count, std::size_t& index) {
        std::uint64_t cursor = cursor_[owner].load(std::memory_order_acquire);
        for (;;) {
            if ((cursor & ~std::uint64_t{0xffffffffu}) != Tag(batch) || (cursor & 0xffffffffu) >= count) return false;
            if (cursor_[owner].compare_exchange_weak(cursor, cursor + 1, std::memory_order_acq_rel)) {
                index = static_cast<std::size_t>(cursor & 0xffffffffu);
                return true;
            }
        }
    }

    // Runs the participant's share of the batch, then whatever the others have not started; true if that
    // finished the batch's last task. The caller cannot finish a batch before every claimed task has run,
    // so the batch's description stays valid meanwhile.
    bool TakeTasks(Task task, void* context, std::size_t tasks, std::size_t width, std::size_t participant,
                   std::uint64_t batch) {
        bool last = false;
        for (std::size_t k = 0; k < width; ++k) {
            const std::size_t owner = (participant + k) % width;
            const std::size_t count = owner < tasks ? (tasks - owner + width - 1) / width : 0;
            std::size_t index = 0;
            while (Claim(owner, batch, count, index)) {
                task(context, owner + index * width, participant);
                if (done_.fetch_add(1, std::memory_order_acq_rel) + 1 == tasks) last = true;
            }
        }
        return last;
    }

    void Work(std::size_t index) {
        std::uint64_t seen = 0;
        for (;;) {
            // A solve hands out a batch per block of pivots, a few microseconds apart: spin briefly first.
            for (int spin = 0; spin < kSpins && batch_.load(std::memory_order_acquire) == seen; ++spin) Pause();
            Task task = nullptr;
            void* context = nullptr;
            std::size_t tasks = 0, width = 0;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                wake_.wait(lock, [&] { return stopping_ || batch_.load(std::memory_order_relaxed) != seen; });
                if (stopping_) return;
                seen = batch_.load(std::memory_order_relaxed);
                if (index >= width_) continue;  // a narrower batch than the pool
                task = task_;
                context = context_;
                tasks = tasks_;
                width = width_;
            }
            if (TakeTasks(task, context, tasks, width, index, seen)) {
                std::lock_guard<std::mutex> lock(mutex_);  // the caller cannot miss the wake-up
                finished_.notify_one();
            }
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_, finished_;
    std::vector<std::thread> threads_;
    bool stopping_ = false;
    // The batch's description, written under the mutex before its number is.
    Task task_ = nullptr;
    void* context_ = nullptr;
    std::size_t tasks_ = 0;
    std::size_t width_ = 0;
    std::atomic<std::uint64_t> batch_{0};  // changed only under the mutex
    std::atomic<std::size_t> done_{0};      // tasks of the batch finished
    std::atomic<std::uint64_t> cursor_[kMaxWorkerThreads] = {};  // per share: Tag(batch) + tasks claimed
};

}  // namespace

unsigned WorkerThreads() {
    const unsigned forced = forcedThreads.load(std::memory_order_relaxed);
    if (forced != 0) return forced;
    static const unsigned available = std::min(AvailableProcessors(), kMaxWorkerThreads);
    return available;
}

void ForceWorkerThreads(unsigned count) {
    forcedThreads.store(count == 0 ? 0 : std::clamp(count, 1u, kMaxWorkerThreads), std::memory_order_relaxed);
}

void RunTasks(std::size_t tasks, std::size_t threads, Task task, void* context) {
    threads = std::clamp<std::size_t>(std::min(threads, tasks), 1, kMaxWorkerThreads);
    if (threads == 1) {
        for (std::size_t t = 0; t < tasks; ++t) task(context, t, 0);
        return;
    }
    static Pool pool;
    pool.Run(tasks, threads, task, context);
}

}  // namespace korvel
