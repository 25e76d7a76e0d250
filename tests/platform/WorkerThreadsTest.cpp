// A fatal error while the terrain blend's helpers run ends the program as any other (log, box,
// exit code 1), never through std::terminate, and no helper may work while exit destroys globals.
#include "platform/WorkerThreads.h"
#include "platform/ErrorLog.h"
#include "support/TestSupport.h"

#include <atomic>
#include <chrono>
#include <new>
#include <thread>

namespace {
std::atomic<int> busy{0};
std::atomic<bool> exiting{false}, helperFailed{false};

enum class Fault { FatalOnHelper, ExceptionOnHelper, FatalOnCaller };

void RunUntilAFault(Fault fault) {
    std::atexit([] {
        exiting = true;
        if (busy != 0)
            std::_Exit(5);
    });
    const std::thread::id caller = std::this_thread::get_id();
    RunInParallel(
        1 << 20,
        [&](int32_t) {
            if (exiting)
                std::_Exit(6); // a row started while the program ends
            const bool helper = std::this_thread::get_id() != caller;
            if (helper && fault != Fault::FatalOnCaller) {
                helperFailed = true;
                if (fault == Fault::FatalOnHelper)
                    errorLog.Fatal("a helper failed\n");
                throw std::bad_alloc();
            }
            while (!helper && fault != Fault::FatalOnCaller && !helperFailed)
                std::this_thread::yield(); // until a helper has met its fault
            ++busy;
            std::this_thread::sleep_for(std::chrono::microseconds(20));
            --busy;
        },
        [&](int32_t row) {
            if (fault == Fault::FatalOnCaller && row == 300)
                errorLog.Fatal("row %d failed\n", row);
        },
        4);
}
} // namespace

TEST(WorkerThreadsDeathTest, FatalEndsAfterTheHelpers) {
    for (auto [fault, message] : {std::pair{Fault::FatalOnHelper, "a helper failed\n"},
                                  {Fault::ExceptionOnHelper, "Exception Occurred\n"},
                                  {Fault::FatalOnCaller, "row 300 failed\n"}})
        EXPECT_EQ(LogOfFatal([fault] { RunUntilAFault(fault); }, false,
                             std::string("\\[FATAL ERROR\\] ") + message),
                  std::string("FATAL ERROR: ") + message);
}
