#include "codec/JobThread.h"

#include <chrono>
#include <utility>

namespace {

// How long a side spins before it blocks.
constexpr auto kSpinTime = std::chrono::milliseconds(5);

inline void Relax()
{
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#elif defined(__aarch64__)
    asm volatile("yield");
#endif
}

// Returns once Counter holds Value (it only grows towards it). Spins, yielding now
// and then (the other thread may share this processor for a while: a new thread often
// starts on its creator's), and blocks after kSpinTime.
void AwaitValue(std::atomic<uint32_t>& Counter, uint32_t Value)
{
    const auto deadline = std::chrono::steady_clock::now() + kSpinTime;
    for (;;) {
        for (int spins = 0; spins < 1024; ++spins) {
            if (Counter.load(std::memory_order_acquire) == Value) return;
            Relax();
        }
        if (std::chrono::steady_clock::now() > deadline) break;
        std::this_thread::yield();
    }
    uint32_t now;
    while ((now = Counter.load(std::memory_order_acquire)) != Value) Counter.wait(now);
}

}  // namespace

TJobThread::TJobThread() : thread_([this] { Loop(); }) {}

TJobThread::~TJobThread()
{
    AwaitValue(finished_, posted_.load(std::memory_order_relaxed));
    stop_ = true;
    posted_.fetch_add(1, std::memory_order_release);
    posted_.notify_one();
    thread_.join();
}

bool TJobThread::Worthwhile() { return std::thread::hardware_concurrency() > 1; }

void TJobThread::Start(std::function<void()> Job)
{
    job_ = std::move(Job);
    error_ = nullptr;
    posted_.fetch_add(1, std::memory_order_release);
    posted_.notify_one();
}

void TJobThread::Wait()
{
    AwaitValue(finished_, posted_.load(std::memory_order_relaxed));
    if (error_) std::rethrow_exception(std::exchange(error_, nullptr));
}

void TJobThread::Loop()
{
    running_.store(true, std::memory_order_release);
    for (uint32_t seen = 0;;) {
        AwaitValue(posted_, ++seen);
        if (stop_) return;
        try {
            job_();
        } catch (...) {
            error_ = std::current_exception();
        }
        finished_.store(seen, std::memory_order_release);
        finished_.notify_one();
    }
}
