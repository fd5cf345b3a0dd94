#pragma once
// Events of the model: std::function handlers with the sender first, and the
// multicast list that calls several of them in order.
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

namespace tunecrest {

class TObject {
public:
    virtual ~TObject() = default;
};

using TNotifyEvent = std::function<void(TObject* Sender)>;

// A multicast list of handlers. Add returns a key that removes the handler again
// (std::function has no equality, so the key stands for the method record).
template <typename... Args>
class TcustomEventList {
public:
    using Handler = std::function<void(Args...)>;
    using Key = uint64_t;

    Key Add(Handler handler) {
        const Key key = ++FlastKey;
        Fhandlers.emplace_back(key, std::move(handler));
        return key;
    }
    void Remove(Key key) {
        std::erase_if(Fhandlers, [key](const auto& entry) { return entry.first == key; });
    }
    void Clear() { Fhandlers.clear(); }
    int Count() const { return int(Fhandlers.size()); }
    // Calls every handler in list order. A handler may add or remove handlers:
    // the call runs over a copy of the list as it stood when it began.
    void Notify(Args... args) const {
        const auto handlers = Fhandlers;
        for (const auto& entry : handlers)
            if (entry.second) entry.second(args...);
    }

private:
    std::vector<std::pair<Key, Handler>> Fhandlers;
    Key FlastKey = 0;
};

class TnotifyEventList : public TcustomEventList<TObject*> {};

}  // namespace tunecrest
