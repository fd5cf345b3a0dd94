#include "core/base/process_end.h"

#include <atomic>
#include <mutex>
#include <vector>

namespace tunecrest {

namespace {
std::atomic<bool> gEnding{false};

struct Tkept {
    std::mutex Lock;
    std::vector<std::shared_ptr<const void>> Held;
};
// Never destroyed: what it holds stays reachable to the end.
Tkept& Kept() {
    static Tkept* kept = new Tkept;
    return *kept;
}
}  // namespace

void SetProcessEnding() { gEnding.store(true); }

bool ProcessEnding() { return gEnding.load(); }

void KeepUntilProcessEnds(std::shared_ptr<const void> held) {
    if (!held || !ProcessEnding()) return;
    Tkept& kept = Kept();
    std::lock_guard lock(kept.Lock);
    kept.Held.push_back(std::move(held));
}

}  // namespace tunecrest
