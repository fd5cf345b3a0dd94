#pragma once
// Byte-level pieces shared by the library's list files: the 32-bit-length text and the
// zlib framing of the compressed forms.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/base/safe_file.h"

namespace tunecrest {

// Longest text a list file holds for a title, a file name or a grouping name. Readers
// refuse longer texts as damage; WriteText cuts longer ones so that every record written
// can be read back.
constexpr size_t kMaxListText = 8192;

// Largest uncompressed list stream the readers will inflate (a library of several
// million tracks fits well below it). The length stored in a compressed file is never
// trusted beyond this.
constexpr size_t kMaxInflatedListBytes = size_t(1) << 30;

// Largest stream a compressed list file may inflate to, whatever it claims to hold: a
// small file of highly compressible bytes must not take gigabytes and seconds to refuse.
constexpr size_t kMaxCompressedListBytes = size_t(512) << 20;

// A text: signed 32-bit byte length, then the UTF-8 bytes, no terminator.
void WriteText(TbyteWriter& w, std::string_view text);
// Reads a text. Fails (with a reason) on a negative length, a length above kMaxListText
// or past the data. The text ends at its first zero byte; bytes that are not UTF-8 are
// taken as legacy Windows-1252 text and converted.
bool ReadText(TbyteReader& r, std::string& text, std::string* error = nullptr);

// Cuts `text` to at most `maxBytes` bytes without splitting a UTF-8 sequence.
std::string_view CutUtf8(std::string_view text, size_t maxBytes);

// A zlib stream (with header and checksum) of `data` at the fastest level.
std::string ZlibCompressFast(std::string_view data);
// Inflates the zlib stream at the start of `in`. Fails when the stream is corrupt, ends
// early or would inflate to more than `maxOut` bytes. `sizeHint` (for example a stored
// length) only guides the first allocation and is capped. `consumed` receives the
// number of input bytes the stream took.
bool ZlibDecompress(std::string_view in, std::string& out, size_t maxOut, std::string* error = nullptr,
                    uint64_t sizeHint = 0, size_t* consumed = nullptr);

// Bytes that arrive a step at a time (a zlib stream inflated in steps, a file read in
// pieces), for readers that take a record at a time.
class TbyteSource {
public:
    virtual ~TbyteSource() = default;
    // The bytes at hand.
    virtual std::string_view Data() const = 0;
    // Brings more bytes; false when nothing more came. `keepFrom` is the first byte of
    // Data() still needed: a source may drop the bytes before it, and then moves
    // `keepFrom` to where that byte is in the new Data().
    virtual bool More(size_t& keepFrom) = 0;
    // Bytes known to follow Data(), for sizing what the records are read into (0 when
    // not known).
    virtual uint64_t Unread() const { return 0; }
};

// A zlib stream inflated in steps, so that a reader takes only what it needs: a small
// file that would inflate to gigabytes of padding after its records is refused once the
// records are read, not after the padding is. Each step at least doubles what is
// inflated (from 1 MB), never beyond `maxOut`.
class TinflateSource : public TbyteSource {
public:
    TinflateSource(std::string_view in, size_t maxOut);
    ~TinflateSource();
    TinflateSource(const TinflateSource&) = delete;
    TinflateSource& operator=(const TinflateSource&) = delete;
    // Inflates the next step. False when nothing more came: the stream has ended, is
    // damaged or would pass `maxOut` (Error() then says which).
    bool More();
    // Keeps every byte inflated: `keepFrom` stays where it is.
    bool More(size_t& keepFrom) override { return (void)keepFrom, More(); }
    bool Ended() const { return Fended; }
    // True when the stream ends with what is inflated so far. Inflates at most one more
    // byte to find out (false then, or on damage with Error() set).
    bool AtStreamEnd();
    const std::string& Error() const { return Ferror; }
    // What is inflated so far (the view changes with every step).
    std::string_view Data() const override { return std::string_view(Fout).substr(0, Fproduced); }
    // Input bytes the stream took (all of it once ended).
    size_t Consumed() const;

private:
    std::string_view Fin;
    size_t FmaxOut;
    std::string Fout;
    size_t Fproduced = 0;
    bool Fended = false;
    std::string Ferror;
    struct Tstate;
    Tstate* Fstate;
};

// Sets *error (when given) and returns false: the one way readers report damage.
bool ReadFailure(std::string* error, const std::string& reason);

}  // namespace tunecrest
