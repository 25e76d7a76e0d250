// The scheduler under the terrain blend, with a fatal error raised while its
// helpers run: the program must end as every fatal error ends it (log, box,
// exit code 1), never through std::terminate, and no helper may still be at
// work while exit destroys the globals.
#include "platform/WorkerThreads.h"
#include "platform/ErrorLog.h"
#include "support/TestSupport.h"

#include <atomic>
#include <chrono>
#include <new>
#include <regex>
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
        [&](int32_t row) {
            if (exiting)
                std::_Exit(6); // a row started while the program ends
            const bool helper = std::this_thread::get_id() != caller;
            if (helper && fault != Fault::FatalOnCaller) {
                helperFailed = true;
                if (fault == Fault::FatalOnHelper)
                    errorLog.Fatal("row %d failed\n", row);
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

TEST(WorkerThreadsDeathTest, AFatalErrorWhileHelpersRunEndsTheProgramAfterThem) {
    const std::string rowFailed = "row [0-9]+ failed\n";
    for (auto [fault, message] : {std::pair{Fault::FatalOnHelper, rowFailed},
                                  {Fault::ExceptionOnHelper, "Exception Occurred\n"},
                                  {Fault::FatalOnCaller, "row 300 failed\n"}}) {
        const std::string log =
            LogOfFatal([fault] { RunUntilAFault(fault); }, false, "\\[FATAL ERROR\\] " + message);
        EXPECT_TRUE(std::regex_match(log, std::regex("FATAL ERROR: " + message))) << log;
    }
}
