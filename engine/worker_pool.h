// worker_pool.h — a few long-lived threads that share the big solves' row blocks with the calling thread.
#pragma once

#include <cstddef>

namespace korvel {

// How many threads (the caller included) the big solves may use: the processors this process may run
// on, at most kMaxWorkerThreads, unless a test has forced a count.
constexpr unsigned kMaxWorkerThreads = 8;
unsigned WorkerThreads();
// Forces the count (clamped to 1..kMaxWorkerThreads); 0 returns to the processors' count. For tests
// and benchmarks, from the one thread that runs the solves.
void ForceWorkerThreads(unsigned count);

// Runs task(context, t, participant) for every t < tasks on at most threads threads, the caller's
// included, and returns when all are done. Participant p (< threads; the caller is 0) runs tasks
// p, p + threads, ..., always on the same thread, which keeps its data in that thread's cache. Tasks
// must not throw and must touch disjoint data. Only one thread may call it at a time (the program
// solves on one thread); the pool starts on first use and stops at exit.
using Task = void (*)(void* context, std::size_t t, std::size_t participant);
void RunTasks(std::size_t tasks, std::size_t threads, Task task, void* context);

// The same for any callable f(t, participant).
template <class F>
void RunTasks(std::size_t tasks, std::size_t threads, F& f) {
    RunTasks(
        tasks, threads,
        [](void* context, std::size_t t, std::size_t participant) { (*static_cast<F*>(context))(t, participant); }, &f);
}

}  // namespace korvel
