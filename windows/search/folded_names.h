#pragma once
// Names folded (SearchFolded) into blocks that a search reads straight through, instead of
// visiting a million tracks scattered over the heap on every key. A large list is kept in
// a few runs of names (parts); in each, every name is followed by a zero byte, and Starts
// holds where each begins (one more for the end). Beside each name a mask of the bytes it
// holds, and one of the pairs of bytes side by side in it, let a search pass over most names
// without reading them, and answer a search for one letter or digit on their own.
//
// The names can be made all at once (on several threads for a large list) or a run at a
// time (MakeSome), so that a window can make them between its other work.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

namespace tunecrest {

class TfoldedNames {
  public:
    // The name of number i, read as it is (folded here); may be called on any thread, once
    // for each i, while the names are made.
    using TnameOf = std::function<std::string_view(size_t)>;
    // The names a search's results may hold: those whose kind (one byte a name) shares a
    // bit with Mask, or every name without kinds.
    struct Twanted {
        const uint8_t* Kinds = nullptr;
        uint32_t Mask = 0xFFFFFFFFu;
        bool operator()(uint32_t i) const { return !Kinds || (Kinds[i] & Mask) != 0; }
    };

    // Starts making `count` names afresh: none is made yet.
    void Begin(size_t count);
    // Makes further names until all are made or `deadline` has passed (at least one run of
    // names either way), the parts of a large list on helper threads beside this one; true
    // once all are made. `name` is not called once this returns.
    bool MakeSome(const TnameOf& name, std::chrono::steady_clock::time_point deadline);
    // Makes all `count` names at once, the parts on threads of their own for a large list.
    void Fill(size_t count, const TnameOf& name);
    bool Complete() const { return Fbegun && Made() == Total; }
    // How many names are made so far.
    size_t Made() const;

    uint32_t Total = 0;

    // Whether name i holds `folded`.
    bool Holds(uint32_t i, std::string_view folded) const;

    // Into `found` (its room reused), the names, in order, that hold `folded` and for which
    // `wanted(i)` holds: of all names, or (narrowing) of `among` (in order; not `found`).
    void Find(std::string_view folded, Twanted wanted, const std::vector<uint32_t>* among,
              std::vector<uint32_t>& found) const;

    // The mask of the bytes of a folded text: one bit for each upper-case letter and each
    // digit, the other bytes sharing the rest.
    static uint64_t MaskOf(std::string_view folded);
    // The mask of the pairs of bytes side by side in a folded text, hashed into 64 bits.
    static uint64_t PairMaskOf(std::string_view folded);

  private:
    struct Tpart {
        uint32_t First = 0;  // the number of the part's first name
        uint32_t Last = 0;   // one past its last name
        uint32_t Next = 0;   // the next name to make
        std::unique_ptr<char[]> Folded;
        size_t Room = 0, Used = 0;
        std::unique_ptr<uint32_t[]> Starts;  // Count() + 1
        std::string_view NameAt(uint32_t i) const {
            return {Folded.get() + Starts[i], size_t(Starts[i + 1] - Starts[i] - 1)};
        }
        uint32_t Count() const { return Last - First; }
    };

    const Tpart& PartOf(uint32_t i) const;
    void Layout(size_t count);
    // Appends the names [from, to) of part p, folded, with their masks.
    void AppendRun(Tpart& part, size_t from, size_t to, const TnameOf& name);
    // Writes to `out` the names of the part (or of [among, amongEnd), when among is not
    // null) that hold `folded`; answers how many.
    size_t FindInPart(const Tpart& part, std::string_view folded, bool exact, Twanted wanted,
                      const uint32_t* among, const uint32_t* amongEnd, uint32_t* out) const;

    std::vector<Tpart> Fparts;
    std::unique_ptr<uint64_t[]> Fmasks;  // each name's MaskOf
    std::unique_ptr<uint64_t[]> Fpairs;  // each name's PairMaskOf
    bool Fbegun = false;
};

}  // namespace tunecrest
