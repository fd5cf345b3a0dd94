#include "windows/search/folded_names.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <future>
#include <thread>

#include "core/base/search_folding.h"

namespace tunecrest {

namespace {

// From this many names on, the names are kept in several parts, made (all at once) and
// searched through on threads of their own.
constexpr size_t kThreadedNames = 50000;
constexpr unsigned kMaxParts = 4;
// The names made between two looks at the clock.
constexpr size_t kRun = 2048;
// Room for a name of a usual length; a part's block grows when its names run over it.
constexpr size_t kUsualName = 32;

// Runs `work(part)` for each of `parts` parts, on threads of their own beside this one
// when there is more than one.
template <typename Work>
void ForEachPart(size_t parts, const Work& work) {
    std::vector<std::future<void>> helpers;
    for (size_t p = 1; p < parts; ++p) helpers.push_back(std::async(std::launch::async, work, p));
    if (parts > 0) work(size_t(0));
    for (auto& helper : helpers) helper.get();
}

// The bit of a folded byte: letters and digits one each, the others shared.
constexpr uint64_t BitOf(uint8_t c) {
    if (c >= 'A' && c <= 'Z') return uint64_t(1) << (c - 'A');
    if (c >= '0' && c <= '9') return uint64_t(1) << (26 + c - '0');
    return uint64_t(1) << (36 + c % 28);
}

// The bit of two folded bytes side by side, hashed into 64.
constexpr uint64_t PairBitOf(uint8_t a, uint8_t b) {
    return uint64_t(1) << ((uint32_t(a) * 0x9E3779B1u ^ uint32_t(b) * 0x85EBCA77u) >> 26);
}

// A one-byte text whose bit is its own: a name holds it exactly when its mask has the bit.
bool MaskAnswers(std::string_view folded) {
    if (folded.size() != 1) return false;
    const char c = folded[0];
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

}  // namespace

uint64_t TfoldedNames::MaskOf(std::string_view folded) {
    uint64_t mask = 0;
    for (const char c : folded) mask |= BitOf(uint8_t(c));
    return mask;
}

uint64_t TfoldedNames::PairMaskOf(std::string_view folded) {
    uint64_t mask = 0;
    for (size_t i = 1; i < folded.size(); ++i) mask |= PairBitOf(uint8_t(folded[i - 1]), uint8_t(folded[i]));
    return mask;
}

void TfoldedNames::Layout(size_t count) {
    const size_t parts =
        count < kThreadedNames ? 1 : std::clamp<size_t>(std::thread::hardware_concurrency(), 1, kMaxParts);
    Fparts.clear();
    Fparts.resize(parts);
    for (size_t p = 0; p < parts; ++p) {
        Tpart& part = Fparts[p];
        part.First = uint32_t(count * p / parts);
        part.Last = uint32_t(count * (p + 1) / parts);
        part.Next = part.First;
        part.Starts.reset(new uint32_t[part.Count() + 1]);
        part.Starts[0] = 0;
        part.Room = part.Count() * kUsualName + 64;
        part.Folded.reset(new char[part.Room]);
        part.Used = 0;
    }
    // Left as they come: each run writes its names' masks (memory is touched as it is made).
    Fmasks.reset(new uint64_t[count]);
    Fpairs.reset(new uint64_t[count]);
    Total = uint32_t(count);
}

void TfoldedNames::Begin(size_t count) {
    Layout(count);
    Fbegun = true;
}

void TfoldedNames::AppendRun(Tpart& part, size_t from, size_t to, const TnameOf& name) {
    // The names are copied as they are, then the run is folded at once (folding never
    // makes a text longer). A part's names beyond 4 GB of text are kept as empty.
    const size_t base = part.Used;
    std::vector<uint32_t> starts(to - from + 1);
    size_t used = base;
    for (size_t i = from; i < to; ++i) {
        starts[i - from] = uint32_t(used - base);
        const std::string_view text = name(i);
        if (used + text.size() + 1 > part.Room) {
            const size_t larger = std::max(part.Room * 2, used + text.size() + 1);
            std::unique_ptr<char[]> moved(new char[larger]);
            std::memcpy(moved.get(), part.Folded.get(), used);
            part.Folded = std::move(moved);
            part.Room = larger;
        }
        if (used + text.size() + 1 < UINT32_MAX) {
            std::memcpy(part.Folded.get() + used, text.data(), text.size());
            used += text.size();
        }
        part.Folded[used++] = '\0';
        if (used >= UINT32_MAX - 1) used = UINT32_MAX - 2;  // the rest stay empty
    }
    starts[to - from] = uint32_t(used - base);
    FoldNamesForSearch(part.Folded.get() + base, used - base, starts.data(), to - from);
    for (size_t i = from; i <= to; ++i) part.Starts[i - part.First] = uint32_t(base + starts[i - from]);
    part.Used = base + starts[to - from];
    for (size_t i = from; i < to; ++i) {
        const std::string_view folded = part.NameAt(uint32_t(i - part.First));
        Fmasks[i] = MaskOf(folded);
        Fpairs[i] = PairMaskOf(folded);
    }
}

bool TfoldedNames::MakeSome(const TnameOf& name, std::chrono::steady_clock::time_point deadline) {
    std::vector<Tpart*> open;
    for (Tpart& part : Fparts)
        if (part.Next < part.Last) open.push_back(&part);
    if (open.empty()) return true;
    // The parts still to make are taken one at a time by this thread and by helpers beside
    // it, each making runs of its part until the deadline. This thread does not wait for a
    // helper that has not begun: once the work is closed, a helper that begins finds it so
    // and touches nothing but the shared state; one that began is waited for (it stops after
    // its run), so no helper reads the names once this call has returned.
    struct Tshared {
        std::atomic<int> Active{0};
        std::atomic<bool> Closed{false};
        std::atomic<size_t> Taken{0};
        std::mutex Lock;
        std::condition_variable Idle;
    };
    const auto shared = std::make_shared<Tshared>();
    const auto work = [this, &open, &name, deadline](Tshared& state, bool atLeastOne) {
        for (size_t k; (k = state.Taken.fetch_add(1)) < open.size();) {
            Tpart& part = *open[k];
            while (part.Next < part.Last) {
                if (state.Closed.load()) return;
                if (!atLeastOne && std::chrono::steady_clock::now() >= deadline) return;
                atLeastOne = false;
                const uint32_t to = uint32_t(std::min<size_t>(part.Last, part.Next + kRun));
                AppendRun(part, part.Next, to, name);
                part.Next = to;
            }
        }
    };
    const size_t helpers = std::min<size_t>(open.size(), std::max(1u, std::thread::hardware_concurrency())) - 1;
    for (size_t h = 0; h < helpers; ++h) {
        std::thread([shared, work] {
            shared->Active.fetch_add(1);
            if (!shared->Closed.load()) work(*shared, false);
            shared->Active.fetch_sub(1);
            { const std::lock_guard<std::mutex> lock(shared->Lock); }
            shared->Idle.notify_all();
        }).detach();
    }
    work(*shared, true);
    shared->Closed.store(true);
    {
        std::unique_lock<std::mutex> lock(shared->Lock);
        shared->Idle.wait(lock, [&] { return shared->Active.load() == 0; });
    }
    return std::all_of(Fparts.begin(), Fparts.end(), [](const Tpart& part) { return part.Next == part.Last; });
}

size_t TfoldedNames::Made() const {
    size_t made = 0;
    for (const Tpart& part : Fparts) made += part.Next - part.First;
    return made;
}

void TfoldedNames::Fill(size_t count, const TnameOf& name) {
    Begin(count);
    ForEachPart(Fparts.size(), [&](size_t p) {
        Tpart& part = Fparts[p];
        for (size_t from = part.First; from < part.Last; from += kRun)
            AppendRun(part, from, std::min<size_t>(part.Last, from + kRun), name);
        part.Next = part.Last;
    });
}

const TfoldedNames::Tpart& TfoldedNames::PartOf(uint32_t i) const {
    size_t p = Fparts.size() - 1;
    while (Fparts[p].First > i) --p;
    return Fparts[p];
}

bool TfoldedNames::Holds(uint32_t i, std::string_view folded) const {
    const uint64_t mask = MaskOf(folded), pairs = PairMaskOf(folded);
    if ((Fmasks[i] & mask) != mask || (Fpairs[i] & pairs) != pairs) return false;
    const Tpart& part = PartOf(i);
    return part.NameAt(i - part.First).find(folded) != std::string_view::npos;
}

size_t TfoldedNames::FindInPart(const Tpart& part, std::string_view folded, bool exact, Twanted wanted,
                                const uint32_t* among, const uint32_t* amongEnd, uint32_t* out) const {
    const uint64_t mask = MaskOf(folded), pairs = PairMaskOf(folded);
    const uint64_t* masks = Fmasks.get();
    const uint64_t* pairMasks = Fpairs.get();
    size_t n = 0;
    const auto consider = [&](uint32_t i) {
        if ((masks[i] & mask) != mask || (pairMasks[i] & pairs) != pairs || !wanted(i)) return;
        if (exact || part.NameAt(i - part.First).find(folded) != std::string_view::npos) out[n++] = i;
    };
    if (among) {
        for (; among != amongEnd; ++among) consider(*among);
        return n;
    }
    for (uint32_t i = part.First; i < part.Last; ++i) consider(i);
    return n;
}

void TfoldedNames::Find(std::string_view folded, Twanted wanted, const std::vector<uint32_t>* among,
                        std::vector<uint32_t>& found) const {
    found.clear();
    if (MaskAnswers(folded) && !among) {
        // One letter or digit is answered by the masks alone, on this thread (quicker than
        // threads start), without a branch a name: each name is written at the end of the
        // results and kept there when it matches.
        const uint64_t mask = MaskOf(folded);
        size_t count = 0;
        for (uint32_t i = 0; i < Total; ++i) count += (Fmasks[i] & mask) != 0;
        found.resize(count + 1);
        uint32_t* out = found.data();
        const uint64_t* masks = Fmasks.get();
        size_t n = 0;
        if (wanted.Kinds) {
            const uint8_t* kinds = wanted.Kinds;
            const uint8_t kindMask = uint8_t(wanted.Mask);
            for (uint32_t i = 0; i < Total; ++i) {
                out[n] = i;
                n += ((masks[i] & mask) != 0) & ((kinds[i] & kindMask) != 0);
            }
        } else {
            for (uint32_t i = 0; i < Total; ++i) {
                out[n] = i;
                n += (masks[i] & mask) != 0;
            }
        }
        found.resize(n);
        return;
    }
    const bool exact = MaskAnswers(folded);
    // Each part's results go into its own stretch of `found`, as long as the names it
    // searches, then move up behind those of the parts before it.
    const size_t parts = Fparts.size();
    std::vector<const uint32_t*> from(parts), to(parts);
    std::vector<size_t> at(parts + 1, 0), counts(parts, 0);
    for (size_t p = 0; p < parts; ++p) {
        const Tpart& part = Fparts[p];
        if (among) {
            from[p] = std::lower_bound(among->data(), among->data() + among->size(), part.First);
            to[p] = std::lower_bound(from[p], among->data() + among->size(), part.Last);
        }
        at[p + 1] = at[p] + (among ? size_t(to[p] - from[p]) : part.Count());
    }
    found.resize(at[parts]);
    const auto search = [&](size_t p) {
        counts[p] = FindInPart(Fparts[p], folded, exact, wanted, from[p], to[p], found.data() + at[p]);
    };
    // A short list to narrow, or one part, is searched on this thread.
    if (parts == 1 || (among && among->size() < kThreadedNames)) {
        for (size_t p = 0; p < parts; ++p) search(p);
    } else {
        ForEachPart(parts, search);
    }
    size_t n = 0;
    for (size_t p = 0; p < parts; ++p) {
        if (n != at[p]) std::memmove(found.data() + n, found.data() + at[p], counts[p] * sizeof(uint32_t));
        n += counts[p];
    }
    found.resize(n);
}

}  // namespace tunecrest
