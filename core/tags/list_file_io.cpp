#include "core/tags/list_file_io.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "core/base/text_utils.h"

namespace tunecrest {

bool ReadFailure(std::string* error, const std::string& reason) {
    if (error) *error = reason;
    return false;
}

std::string_view CutUtf8(std::string_view text, size_t maxBytes) {
    if (text.size() <= maxBytes) return text;
    size_t end = maxBytes;
    // Step back over continuation bytes so that the cut falls before a lead byte.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return text.substr(0, end);
}

void WriteText(TbyteWriter& w, std::string_view text) {
    const std::string_view cut = CutUtf8(text, kMaxListText);
    w.WriteI32(int32_t(cut.size()));
    w.WriteBytes(cut);
}

bool ReadText(TbyteReader& r, std::string& text, std::string* error) {
    int32_t length = 0;
    if (!r.ReadI32(length)) return ReadFailure(error, "truncated text length");
    if (length < 0) return ReadFailure(error, "negative text length");
    if (size_t(length) > kMaxListText) return ReadFailure(error, "text longer than 8192 bytes");
    std::string_view bytes;
    if (!r.ReadBytes(size_t(length), bytes)) return ReadFailure(error, "text runs past the end of the data");
    const size_t zero = bytes.find('\0');
    if (zero != std::string_view::npos) bytes = bytes.substr(0, zero);
    text = LegacyTextToUtf8(bytes);
    return true;
}

std::string ZlibCompressFast(std::string_view data) {
    z_stream zs{};
    deflateInit(&zs, Z_BEST_SPEED);
    std::string out;
    out.resize(deflateBound(&zs, uLong(data.size())));
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    zs.avail_in = uInt(data.size());
    zs.next_out = reinterpret_cast<Bytef*>(out.data());
    zs.avail_out = uInt(out.size());
    deflate(&zs, Z_FINISH);
    out.resize(zs.total_out);
    deflateEnd(&zs);
    return out;
}

bool ZlibDecompress(std::string_view in, std::string& out, size_t maxOut, std::string* error, uint64_t sizeHint,
                    size_t* consumed) {
    out.clear();
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK) return ReadFailure(error, "cannot start the zlib decoder");
    // A stored length only guides the first allocation, never beyond what the input
    // could plausibly hold.
    const uint64_t plausible = uint64_t(in.size()) * 16 + 4096;
    size_t capacity = size_t(std::min<uint64_t>({sizeHint ? sizeHint : plausible, plausible, maxOut}));
    out.resize(std::max<size_t>(capacity, 256));
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    zs.avail_in = uInt(std::min<size_t>(in.size(), UINT32_MAX));
    size_t produced = 0;
    int rc = Z_OK;
    while (true) {
        if (produced == out.size()) {
            if (out.size() >= maxOut) {
                inflateEnd(&zs);
                out.clear();
                return ReadFailure(error, "compressed data inflates beyond the size limit");
            }
            out.resize(std::min(maxOut, out.size() * 2));
        }
        zs.next_out = reinterpret_cast<Bytef*>(out.data() + produced);
        zs.avail_out = uInt(std::min<size_t>(out.size() - produced, UINT32_MAX));
        const uInt before = zs.avail_out;
        rc = inflate(&zs, Z_NO_FLUSH);
        produced += before - zs.avail_out;
        if (rc == Z_STREAM_END) break;
        if (rc == Z_BUF_ERROR && zs.avail_out != 0) {
            inflateEnd(&zs);
            out.clear();
            return ReadFailure(error, "compressed data ends early");
        }
        if (rc != Z_OK && rc != Z_BUF_ERROR) {
            inflateEnd(&zs);
            out.clear();
            return ReadFailure(error, std::string("corrupt compressed data") + (zs.msg ? std::string(": ") + zs.msg : ""));
        }
    }
    if (consumed) *consumed = size_t(zs.total_in);
    inflateEnd(&zs);
    out.resize(produced);
    return true;
}

struct TinflateSource::Tstate {
    z_stream Zs{};
    bool Open = false;
};

TinflateSource::TinflateSource(std::string_view in, size_t maxOut)
    : Fin(in), FmaxOut(maxOut), Fstate(new Tstate) {
    if (inflateInit(&Fstate->Zs) != Z_OK) {
        Ferror = "cannot start the zlib decoder";
        return;
    }
    Fstate->Open = true;
    // Room for what the input plausibly holds, so that the steps seldom move the data.
    Fout.reserve(size_t(std::min<uint64_t>(maxOut, uint64_t(in.size()) * 16 + 4096)));
    Fstate->Zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    Fstate->Zs.avail_in = uInt(std::min<size_t>(in.size(), UINT32_MAX));
}

TinflateSource::~TinflateSource() {
    if (Fstate->Open) inflateEnd(&Fstate->Zs);
    delete Fstate;
}

size_t TinflateSource::Consumed() const { return size_t(Fstate->Zs.total_in); }

bool TinflateSource::AtStreamEnd() {
    if (Fended) return true;
    if (!Ferror.empty() || !Fstate->Open) return false;
    // Inflate a single byte: none and the stream's end means nothing follows.
    char probe = 0;
    Fstate->Zs.next_out = reinterpret_cast<Bytef*>(&probe);
    Fstate->Zs.avail_out = 1;
    const int rc = inflate(&Fstate->Zs, Z_NO_FLUSH);
    if (Fstate->Zs.avail_out == 0) return false;  // a byte came
    if (rc == Z_STREAM_END) {
        Fended = true;
        return true;
    }
    if (rc == Z_OK || rc == Z_BUF_ERROR)
        Ferror = "compressed data ends early";
    else
        Ferror = std::string("corrupt compressed data") + (Fstate->Zs.msg ? std::string(": ") + Fstate->Zs.msg : "");
    return false;
}

bool TinflateSource::More() {
    if (Fended || !Ferror.empty() || !Fstate->Open) return false;
    const size_t before = Fproduced;
    const size_t target = std::min(FmaxOut, std::max<size_t>(size_t(1) << 20, Fproduced * 2));
    if (Fproduced >= FmaxOut) {
        // At the cap: one more byte would be too many.
        if (!AtStreamEnd() && Ferror.empty()) Ferror = "compressed data inflates beyond the size limit";
        return false;
    }
    Fout.resize(target);
    while (Fproduced < target) {
        Fstate->Zs.next_out = reinterpret_cast<Bytef*>(Fout.data() + Fproduced);
        Fstate->Zs.avail_out = uInt(std::min<size_t>(target - Fproduced, UINT32_MAX));
        const uInt room = Fstate->Zs.avail_out;
        const int rc = inflate(&Fstate->Zs, Z_NO_FLUSH);
        Fproduced += room - Fstate->Zs.avail_out;
        if (rc == Z_STREAM_END) {
            Fended = true;
            break;
        }
        if (rc == Z_BUF_ERROR && Fstate->Zs.avail_out != 0) {
            Ferror = "compressed data ends early";
            break;
        }
        if (rc != Z_OK && rc != Z_BUF_ERROR) {
            Ferror = std::string("corrupt compressed data") + (Fstate->Zs.msg ? std::string(": ") + Fstate->Zs.msg : "");
            break;
        }
    }
    return Fproduced > before;
}

}  // namespace tunecrest
