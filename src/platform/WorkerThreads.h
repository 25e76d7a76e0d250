#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Helper threads for one job of the thread that starts them. The program never
// ends while helpers still run, since exit would destroy the globals under them:
// - a fatal error on any thread but a helper first stops every group's helpers
//   and waits for them;
// - a fatal error on a helper ends only that helper: its group keeps the
//   message, and the starting thread raises it once all its helpers are back;
// - an exception that leaves the starting thread stops and joins them on its way.
class WorkerThreads {
  public:
    WorkerThreads();
    ~WorkerThreads();
    WorkerThreads(const WorkerThreads&) = delete;
    WorkerThreads& operator=(const WorkerThreads&) = delete;

    // Starts a helper running work; false when no thread could be made (the
    // caller then does the work itself).
    bool Start(std::function<void()> work);
    // True once the helpers are to end early; they look between their steps.
    bool Stopping() const { return stopping.load(); }
    // Waits for every helper; a fatal error that one of them met is then raised
    // here, on the starting thread, and ends the program.
    void Finish();

    // For ErrorLog::Fatal: whether the calling thread is a helper; ending a
    // helper with its fatal message; stopping and joining every group's helpers.
    static bool OnHelperThread();
    [[noreturn]] static void FailHelper(const char* message);
    static void StopAll();

  private:
    void Join();
    void Fail(const char* message);

    std::vector<std::thread> threads;
    std::atomic<bool> stopping;
    std::mutex failureLock;
    bool failed;
    std::string failure;
    WorkerThreads* nextGroup; // the running groups, for StopAll
};

// Runs work(i) for every i from 0 to count - 1 on the calling thread and up to
// threads - 1 helpers (0: one thread per core, at most 16). Indices are taken
// one at a time by whichever thread is free, so that a busy core slows only its
// own share. before(i) runs on the calling thread for every i in order, once
// all earlier indices have been taken; before(0) before any helper starts.
void RunInParallel(int32_t count, const std::function<void(int32_t)>& work,
                   const std::function<void(int32_t)>& before = {}, int threads = 0);
