#include "platform/WorkerThreads.h"

#include "platform/ErrorLog.h"

#include <algorithm>
#include <system_error>

namespace {
// Ends a helper whose work met a fatal error; caught where the helper started.
struct HelperFatal {};

// The groups that may have helpers running, newest first. Groups come and go
// on their starting threads, while a fatal error may stop them from any thread.
std::mutex groupsLock;
WorkerThreads* groups = nullptr;

thread_local WorkerThreads* helperOf = nullptr;
} // namespace

WorkerThreads::WorkerThreads() : stopping(false), failed(false), nextGroup(nullptr) {
    std::lock_guard<std::mutex> lock(groupsLock);
    nextGroup = groups;
    groups = this;
}

WorkerThreads::~WorkerThreads() {
    stopping = true;
    Join();
    std::lock_guard<std::mutex> lock(groupsLock);
    for (WorkerThreads** at = &groups; *at != nullptr; at = &(*at)->nextGroup)
        if (*at == this) {
            *at = nextGroup;
            break;
        }
}

bool WorkerThreads::Start(std::function<void()> work) {
    std::lock_guard<std::mutex> lock(groupsLock);
    if (stopping)
        return false;
    try {
        threads.emplace_back([this, work = std::move(work)] {
            helperOf = this;
            try {
                work();
            } catch (const HelperFatal&) {
                // the message is kept already
            } catch (...) {
                Fail("Exception Occurred\n"); // as the message loop reports one
            }
        });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void WorkerThreads::Join() {
    // Under the lock, so that a fatal error on another thread never joins a
    // thread twice; helpers never take it.
    std::lock_guard<std::mutex> lock(groupsLock);
    for (std::thread& thread : threads)
        if (thread.joinable())
            thread.join();
    threads.clear();
}

void WorkerThreads::Finish() {
    Join();
    if (failed)
        errorLog.Fatal("%s", failure.c_str());
}

void WorkerThreads::Fail(const char* message) {
    {
        std::lock_guard<std::mutex> lock(failureLock);
        if (!failed) {
            failed = true;
            failure = message;
        }
    }
    stopping = true;
}

bool WorkerThreads::OnHelperThread() {
    return helperOf != nullptr;
}

void WorkerThreads::FailHelper(const char* message) {
    helperOf->Fail(message);
    throw HelperFatal{};
}

void WorkerThreads::StopAll() {
    std::lock_guard<std::mutex> lock(groupsLock);
    for (WorkerThreads* group = groups; group != nullptr; group = group->nextGroup)
        group->stopping = true;
    for (WorkerThreads* group = groups; group != nullptr; group = group->nextGroup) {
        for (std::thread& thread : group->threads)
            if (thread.joinable())
                thread.join();
        group->threads.clear();
    }
}

void RunInParallel(int32_t count, const std::function<void(int32_t)>& work,
                   const std::function<void(int32_t)>& before, int threads) {
    if (count <= 0)
        return;
    if (threads <= 0)
        threads = int(std::max(1u, std::thread::hardware_concurrency()));
    threads = std::min(threads, 16);
    // The first index is announced before any helper starts, so that what the
    // announcement does (a loading screen) does not compete with the work.
    if (before)
        before(0);
    std::atomic<int32_t> next{0};
    auto take = [&] {
        const int32_t index = next.fetch_add(1);
        if (index < count)
            work(index);
    };
    WorkerThreads helpers;
    for (int t = 1; t < threads; ++t)
        if (!helpers.Start([&] {
                while (!helpers.Stopping() && next.load() < count)
                    take();
            }))
            break; // fewer helpers: the calling thread does the rest
    for (int32_t index = 0; index < count && !helpers.Stopping(); ++index) {
        if (before && index > 0)
            before(index);
        while (next.load() <= index)
            take();
    }
    while (!helpers.Stopping() && next.load() < count)
        take();
    helpers.Finish();
}
