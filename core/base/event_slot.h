#pragma once
// An event member that costs one pointer while no handler is set. A library holds tens of
// thousands of lists (every album, artist, genre and year), each with a handful of events of
// which most stay unset; a std::function is 32 bytes whether set or not.
//
// A slot is written and read like the std::function it stands for: assigned a handler or
// nullptr, tested with `if (slot)`, called with the handler's arguments. The handler lives in
// a block made when it is set; copies of a slot share that block (handlers are never changed
// in place, only replaced), so copying an event is as cheap as copying a pointer.
#include <atomic>
#include <functional>
#include <type_traits>
#include <utility>

namespace tunecrest {

template <typename Function>
class TeventSlot;

template <typename R, typename... Args>
class TeventSlot<std::function<R(Args...)>> {
  public:
    using Handler = std::function<R(Args...)>;

    TeventSlot() noexcept = default;
    TeventSlot(std::nullptr_t) noexcept {}
    template <typename F, typename = std::enable_if_t<!std::is_same_v<std::decay_t<F>, TeventSlot> &&
                                                      !std::is_same_v<std::decay_t<F>, std::nullptr_t> &&
                                                      std::is_constructible_v<Handler, F>>>
    TeventSlot(F&& handler) {
        if constexpr (std::is_same_v<std::decay_t<F>, Handler>) {
            SetFunction(std::forward<F>(handler));
        } else {
            Handler function(std::forward<F>(handler));  // empty for a null function pointer
            if (function) Fblock = new Tblock{std::move(function)};
        }
    }
    TeventSlot(const TeventSlot& other) noexcept : Fblock(other.Fblock) {
        if (Fblock) Fblock->Refs.fetch_add(1, std::memory_order_relaxed);
    }
    TeventSlot(TeventSlot&& other) noexcept : Fblock(std::exchange(other.Fblock, nullptr)) {}
    ~TeventSlot() { Release(); }

    TeventSlot& operator=(const TeventSlot& other) noexcept {
        TeventSlot(other).Swap(*this);
        return *this;
    }
    TeventSlot& operator=(TeventSlot&& other) noexcept {
        TeventSlot(std::move(other)).Swap(*this);
        return *this;
    }
    TeventSlot& operator=(std::nullptr_t) noexcept {
        Release();
        return *this;
    }
    template <typename F, typename = std::enable_if_t<!std::is_same_v<std::decay_t<F>, TeventSlot> &&
                                                      !std::is_same_v<std::decay_t<F>, std::nullptr_t> &&
                                                      std::is_constructible_v<Handler, F>>>
    TeventSlot& operator=(F&& handler) {
        TeventSlot(std::forward<F>(handler)).Swap(*this);
        return *this;
    }

    explicit operator bool() const noexcept { return Fblock != nullptr; }

    // Calls the handler; an unset slot does nothing (void events) or throws
    // std::bad_function_call, as an empty std::function does.
    R operator()(Args... args) const {
        if (!Fblock) {
            if constexpr (std::is_void_v<R>)
                return;
            else
                throw std::bad_function_call();
        }
        // The block is held for the call: a handler may replace or clear its own slot.
        const TeventSlot keep(*this);
        return keep.Fblock->Fn(std::forward<Args>(args)...);
    }

    // The handler as a std::function (empty when unset).
    Handler ToFunction() const { return Fblock ? Fblock->Fn : Handler(); }

    void Swap(TeventSlot& other) noexcept { std::swap(Fblock, other.Fblock); }

  private:
    struct Tblock {
        Handler Fn;
        std::atomic<unsigned> Refs{1};
    };

    void SetFunction(Handler handler) {
        if (!handler) return;
        // A std::function that wraps a slot (a slot kept in a std::function variable and
        // assigned back) shares the slot's block: an unset slot stays unset.
        if (const TeventSlot* inner = handler.template target<TeventSlot>()) {
            *this = *inner;
            return;
        }
        Fblock = new Tblock{std::move(handler)};
    }
    void Release() noexcept {
        Tblock* block = std::exchange(Fblock, nullptr);
        if (block && block->Refs.fetch_sub(1, std::memory_order_acq_rel) == 1) delete block;
    }

    Tblock* Fblock = nullptr;
};

}  // namespace tunecrest
