#pragma once
// Work that runs on a thread of its own while the library loads.
#include <cstddef>
#include <future>
#include <new>
#include <system_error>
#include <type_traits>
#include <utility>

namespace tunecrest {

// What a loading thread holds, untouched, while it works. Some allocators hand out a new
// thread's first region of memory page by page, so that threads that allocate little stay
// small (mimalloc delays committing a thread's first segment and maps it without large
// pages); a thread that makes a hundred thousand objects would take most of them in small
// page faults. A block larger than such a region takes the region's place and the objects
// come from regions mapped whole. It costs address space only.
class TthreadRegionHold {
public:
    explicit TthreadRegionHold(bool hold = true)
        // Called as a function (not a new-expression), so the compiler keeps the block.
        : Fblock(hold ? ::operator new(kBytes, std::nothrow) : nullptr) {}
    ~TthreadRegionHold() { ::operator delete(Fblock); }
    TthreadRegionHold(const TthreadRegionHold&) = delete;
    TthreadRegionHold& operator=(const TthreadRegionHold&) = delete;

    static constexpr size_t kBytes = size_t(40) << 20;

private:
    void* Fblock;
};

// Runs `work` on a new thread; its result (or what it threw) comes from the future, whose
// destruction waits for the thread. `bigWork`: hold a region (see above) while working.
// Without a thread to be had, the work runs when the result is asked for.
template <typename F>
std::future<std::invoke_result_t<F&>> StartLoadThread(F work, bool bigWork) {
    auto run = [work = std::move(work), bigWork]() mutable {
        TthreadRegionHold hold(bigWork);
        return work();
    };
    try {
        return std::async(std::launch::async, std::move(run));
    } catch (const std::system_error&) {
        return std::async(std::launch::deferred, std::move(run));
    }
}

}  // namespace tunecrest
