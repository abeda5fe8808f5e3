// TJobThread: a helper thread that runs one job at a time for a caller that waits for
// each job before it posts the next (the compressor's match finder runs one block
// ahead of its parser this way).
//
//   TJobThread worker;
//   worker.Start([&] { ... });   // runs on the helper thread
//   ... work of the caller ...
//   worker.Wait();               // returns when the job is done; rethrows what it threw
//
// Hand-overs spin for a few milliseconds before they block: waking a thread that went
// to sleep can take as long as a whole job on a virtual machine, and a job here takes
// about a millisecond. A job must not post another one.
#pragma once

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <thread>

class TJobThread {
public:
    TJobThread();
    TJobThread(const TJobThread&) = delete;
    TJobThread& operator=(const TJobThread&) = delete;
    // Waits for a running job (its exception is dropped), then ends the thread.
    ~TJobThread();

    // Starts Job; the previous one must have been waited for.
    void Start(std::function<void()> Job);
    // Waits for the job started last; rethrows its exception, if any.
    void Wait();
    // True once the thread has begun to run. Starting a thread can take milliseconds
    // on a busy virtual machine; until then a caller may rather do the work itself.
    bool Running() const { return running_.load(std::memory_order_acquire); }

    // False on a machine with one processor, where a helper thread only costs time.
    static bool Worthwhile();

private:
    void Loop();

    std::function<void()> job_;
    std::exception_ptr error_;
    std::atomic<uint32_t> posted_{0};
    std::atomic<uint32_t> finished_{0};
    std::atomic<bool> running_{false};
    bool stop_ = false;
    std::thread thread_;
};
