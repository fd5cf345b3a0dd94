#include "core/tags/tag_list_files.h"

#include <algorithm>
#include <cstdint>

#include "core/base/file_source.h"
#include "core/tags/list_file_io.h"
#include "core/base/services.h"
#include "core/base/system_services.h"
#include "core/tags/tag_records_parallel.h"
#include "core/tags/tag_stream.h"

namespace tunecrest {

namespace {
constexpr std::string_view kTagListMagic = "UATL";
constexpr std::string_view kZippedTagListMagic = "ZATL";
constexpr std::string_view kListsMagic = "UALL";
constexpr std::string_view kZippedListsMagic = "ZALL";
constexpr std::string_view kIndexMagic = "IXTL";
// Smallest tag record: signature, class name, empty name, two end bytes.
constexpr size_t kMinTagRecord = 4 + 1 + 9 + 1 + 2;

bool ReadMagic(TbyteReader& r, std::string_view magic, std::string* error) {
    std::string_view bytes;
    if (!r.ReadBytes(4, bytes)) return ReadFailure(error, "data too short for its \"" + std::string(magic) + "\" signature");
    if (bytes != magic) return ReadFailure(error, "not a \"" + std::string(magic) + "\" stream");
    return true;
}

bool ReadCount(TbyteReader& r, int32_t& count, std::string* error) {
    if (!r.ReadI32(count)) return ReadFailure(error, "truncated count");
    if (count < 0) return ReadFailure(error, "negative count");
    return true;
}

bool IsDrivePath(const std::string& name) {
    return name.size() >= 2 && name[1] == ':' && std::isalpha(static_cast<unsigned char>(name[0]));
}

bool IsUrl(const std::string& name) { return name.find("://") != std::string::npos; }

std::vector<std::string_view> FolderParts(std::string_view name) {
    std::vector<std::string_view> parts;
    size_t start = 1;  // after the leading "/"
    for (size_t i = 1; i < name.size(); ++i) {
        if (name[i] == '/') {
            if (i > start) parts.push_back(name.substr(start, i - start));
            start = i + 1;
        }
    }
    return parts;  // the file name itself is not a folder part
}

// Whether every absolute name of the list lies below `folder` (a prefix without
// trailing "/"), and at least one does.
bool AllBelow(const std::vector<TaudioTagPtr>& tags, std::string_view folder) {
    bool any = false;
    for (const auto& tag : tags) {
        const std::string name = tag->Filename().str();
        if (name.empty() || name[0] != '/' || IsUrl(name)) continue;
        if (name.size() <= folder.size() + 1 || name.compare(0, folder.size(), folder) != 0 ||
            name[folder.size()] != '/')
            return false;
        any = true;
    }
    return any;
}

std::string WithoutTrailingSlash(std::string folder) {
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

// Single-folder names under /media that name a drive rather than a user ("/media/cdrom0",
// "/media/dvd", "/media/usb1"), as fstab entries and mount helpers make them.
bool IsDriveFolderName(std::string_view name) {
    for (std::string_view stem : {"cdrom", "cdrw", "dvdrw", "dvd", "floppy", "usb", "sr"}) {
        if (name.substr(0, stem.size()) != stem) continue;
        const std::string_view rest = name.substr(stem.size());
        if (std::all_of(rest.begin(), rest.end(), [](char c) { return c >= '0' && c <= '9'; })) return true;
    }
    return false;
}

// The mount folder the list was read from, as a prefix without trailing "/": the mount
// root stored with the list; else one of the optical mounts the mount table lists now;
// else the folder the usual mount layouts give ("/run/media/<user>/<label>",
// "/media/<user>/<label>", "/media/cdrom0", "/mnt/<label>", "/cdrom"); else the deepest
// folder all names share. Never a folder below the mount root: a disc whose tracks sit
// in one folder keeps that folder.
std::string OldMountFolder(const std::vector<TaudioTagPtr>& tags, const std::string& storedRoot) {
    if (storedRoot.size() > 1 && storedRoot[0] == '/' && storedRoot.back() == '/') {
        const std::string folder = WithoutTrailingSlash(storedRoot);
        if (AllBelow(tags, folder)) return folder;
    }
    std::string best;
    for (const std::string& root : SystemServices().ListCDDrives()) {
        const std::string folder = WithoutTrailingSlash(root);
        if (folder.size() > 1 && folder.size() > best.size() && AllBelow(tags, folder)) best = folder;
    }
    if (!best.empty()) return best;

    bool any = false;
    std::vector<std::string_view> common;
    for (const auto& tag : tags) {
        const std::string name = tag->Filename().str();
        if (name.empty() || name[0] != '/' || IsUrl(name)) continue;
        // Views of the folder, which the track holds for good (pooled), not of the copy.
        const auto parts = FolderParts(tag->Filename().Folder());
        if (!any) {
            common = parts;
            any = true;
            continue;
        }
        size_t n = 0;
        while (n < common.size() && n < parts.size() && common[n] == parts[n]) ++n;
        common.resize(n);
    }
    if (!any || common.empty()) return {};
    size_t depth = common.size();
    if (common[0] == "run" && common.size() >= 4 && common[1] == "media") depth = 4;
    else if (common[0] == "media" && common.size() >= 2 && IsDriveFolderName(common[1]))
        depth = 2;
    else if (common[0] == "media" && common.size() >= 3) depth = 3;
    else if (common[0] == "mnt" && common.size() >= 2) depth = 2;
    else if (IsDriveFolderName(common[0]))
        depth = 1;
    std::string folder;
    for (size_t i = 0; i < depth; ++i) folder += "/" + std::string(common[i]);
    return folder;
}

void FinishLoad(TaudioTagList& list) {
    list.EndUpdate();
    list.DoListProcessFinished();
}

// Sets the play mode as stored, without the change event.
void StorePlayMode(TaudioTagList& list, TaudioTagListMode mode) {
    auto handler = std::move(list.OnModeChanged);
    list.OnModeChanged = nullptr;
    list.SetPlayMode(mode);
    list.OnModeChanged = std::move(handler);
}

bool Unpack(std::string_view file, std::string_view plainMagic, std::string_view zippedMagic, bool trailer,
            std::string& stream, std::string* error) {
    if (file.size() < 4) return ReadFailure(error, "file too short for a signature");
    if (file.substr(0, 4) != zippedMagic) {
        stream.assign(file);
        return true;
    }
    std::string_view packed = file.substr(4);
    uint64_t hint = 0;
    size_t cap = kMaxCompressedListBytes;
    if (trailer) {
        if (packed.size() < 8) return ReadFailure(error, "compressed file too short for its length");
        TbyteReader lr(packed.substr(packed.size() - 8));
        int64_t length = 0;
        lr.ReadI64(length);
        if (length < 0) return ReadFailure(error, "negative uncompressed length");
        // The stored length is the stream's exact size: inflating stops there (or at the
        // absolute cap, whichever comes first).
        hint = uint64_t(length);
        cap = size_t(std::min<uint64_t>(uint64_t(length), kMaxCompressedListBytes));
        packed.remove_suffix(8);
    }
    size_t consumed = 0;
    if (!ZlibDecompress(packed, stream, cap, error, hint, &consumed)) {
        if (trailer && cap < kMaxCompressedListBytes && error &&
            *error == "compressed data inflates beyond the size limit")
            *error = "compressed data inflates beyond its stored length";
        return false;
    }
    if (consumed != packed.size()) return ReadFailure(error, "data after the end of the compressed list");
    if (stream.substr(0, 4) != plainMagic)
        return ReadFailure(error, "compressed data does not hold a \"" + std::string(plainMagic) + "\" stream");
    return true;
}

// Runs `read` on `r`; while it fails for want of data that `source` can still bring,
// the reader is set over the new data at the same byte and the read is tried again.
// Without a source this is the read alone.
template <typename Tread>
bool ReadWithMore(TbyteReader& r, TbyteSource* source, Tread read) {
    size_t start = r.Position();
    while (!read()) {
        if (!source || !source->More(start)) return false;
        r = TbyteReader(source->Data());
        r.Seek(start);
    }
    return true;
}

// The stored uncompressed length of a "ZATL" file: the inflate cap.
bool StoredLength(std::string_view packed, size_t& cap, std::string* error) {
    if (packed.size() < 8) return ReadFailure(error, "compressed file too short for its length");
    TbyteReader lr(packed.substr(packed.size() - 8));
    int64_t length = 0;
    lr.ReadI64(length);
    if (length < 0) return ReadFailure(error, "negative uncompressed length");
    cap = size_t(std::min<uint64_t>(uint64_t(length), kMaxCompressedListBytes));
    return true;
}

// Inflates until the signature is there; false (with a reason) when it is not.
bool StartInflating(TinflateSource& source, std::string_view plainMagic, std::string* error) {
    while (source.Data().size() < 4 && source.More()) {
    }
    if (!source.Error().empty()) return ReadFailure(error, source.Error());
    if (source.Data().substr(0, 4) != plainMagic)
        return ReadFailure(error, "compressed data does not hold a \"" + std::string(plainMagic) + "\" stream");
    return true;
}

// After a read over inflated data: the inflater's own failure comes first; then
// whatever follows the records, inflated or compressed, is refused. At most one byte
// past the records is inflated to find out.
bool FinishInflated(bool ok, const TbyteReader& r, TinflateSource& source, size_t packedSize, bool capIsStored,
                    const char* trailing, std::string* error) {
    const auto sourceFailure = [&] {
        if (capIsStored && source.Error() == "compressed data inflates beyond the size limit")
            return ReadFailure(error, "compressed data inflates beyond its stored length");
        return ReadFailure(error, source.Error());
    };
    if (!source.Error().empty()) return sourceFailure();
    if (!ok) return false;
    if (!r.AtEnd()) return ReadFailure(error, trailing);
    if (!source.AtStreamEnd()) return source.Error().empty() ? ReadFailure(error, trailing) : sourceFailure();
    if (source.Consumed() != packedSize) return ReadFailure(error, "data after the end of the compressed list");
    return true;
}

bool WriteFile(const std::string& name, const std::string& bytes, std::string* error) {
    std::string reason;
    if (SafeWriteFile(name, bytes, &reason)) return true;
    LogError(reason);
    if (error) *error = reason;
    return false;
}

bool NoFileSupplied(std::string* error) {
    Prompt().ShowMessage("No File Supplied", "");
    return ReadFailure(error, "No File Supplied");
}
}  // namespace

// --- Tag lists ---------------------------------------------------------------------

void WriteTagListHeader(const TtagListHeader& header, int32_t count, TbyteWriter& w) {
    w.WriteBytes(kTagListMagic);
    WriteText(w, header.Title);
    w.WriteU8(header.Active ? 1 : 0);
    w.WriteU8(header.PlayMode);
    WriteText(w, header.Filename);
    w.WriteI32(count);
}

int64_t WriteTagListStream(const TtagListHeader& header, const std::vector<TaudioTagPtr>& tags, TbyteWriter& w) {
    const size_t start = w.Bytes().size();
    w.Bytes().reserve(start + 64 + tags.size() * 384);
    WriteTagListHeader(header, int32_t(tags.size()), w);
    for (const auto& tag : tags) WriteAudioTagRecord(w, *tag);
    return int64_t(w.Bytes().size() - start);
}

int64_t SaveTagListToStream(const TaudioTagList& list, TbyteWriter& w) {
    return WriteTagListStream({list.Title(), list.Active(), list.PlayMode(), list.Filename()}, list.Items(), w);
}

namespace {
bool ReadTagListHeader(TbyteReader& r, TtagListHeader& header, int32_t& count, std::string* error) {
    if (!ReadMagic(r, kTagListMagic, error)) return false;
    uint8_t active = 0, mode = 0;
    if (!ReadText(r, header.Title, error)) return false;
    if (!r.ReadU8(active) || !r.ReadU8(mode)) return ReadFailure(error, "truncated list header");
    header.Active = active != 0;
    header.PlayMode = TaudioTagListMode(mode & 0x07);
    if (!ReadText(r, header.Filename, error)) return false;
    return ReadCount(r, count, error);
}

// Reads `count` records. A record of another class is read past and counted in
// `skipped`; the read goes on with the next record. False (with a reason) only for
// damage that ends the read. Each tag's stored position is its place in `tags`.
bool ReadTagRecords(TbyteReader& r, int32_t count, std::vector<TaudioTagPtr>& tags, std::string* error,
                    int& skipped, TbyteSource* source = nullptr) {
    // The count is not trusted for an allocation: reserve only what the data can hold, and
    // room for the list that takes them to grow by a sixteenth without moving.
    const uint64_t data = r.Remaining() + (source ? source->Unread() : 0);
    const size_t expected = size_t(std::min<uint64_t>(uint64_t(std::max(count, 0)), data / kMinTagRecord));
    tags.reserve(tags.size() + expected + expected / 16 + 16);
    TcomponentValue scratch;
    // A large list is read on several threads as far as the data at hand goes; the
    // record that stopped them (damage, another class, the end of the data at hand) is
    // read here, and any damage found as before. A compressed stream is read here only.
    TparallelTagReader parallel(dynamic_cast<TinflateSource*>(source) ? 0 : count);
    size_t parallelEnd = SIZE_MAX;  // where the threads stopped in the data at hand
    for (int32_t i = 0; i < count; ++i) {
        // Again once the data at hand has moved on (a file's window slid past them).
        if (parallel.Enabled() && (parallelEnd == SIZE_MAX || r.Position() < parallelEnd)) {
            i += int32_t(parallel.Read(r, size_t(count - i), tags));
            parallelEnd = r.Position();
            if (i == count) break;
        }
        TaudioTagPtr tag = NewAudioTag();
        std::string reason;
        bool foreign = false;
        if (!ReadWithMore(r, source, [&] { return ReadAudioTagRecord(r, *tag, scratch, &reason, foreign) || foreign; }) ||
            foreign) {
            if (foreign) {
                ++skipped;
                continue;
            }
            return ReadFailure(error, "tag " + std::to_string(i) + " of " + std::to_string(count) + ": " + reason);
        }
        tag->SetStoredPosition(int32_t(tags.size()));
        tags.push_back(std::move(tag));
    }
    return true;
}

bool SkippedRecords(int skipped, std::string* error) {
    return ReadFailure(error, std::to_string(skipped) + (skipped == 1 ? " record" : " records") +
                                  " of another class skipped");
}

// Loads one "UATL" stream into `list`; `headerRead` tells whether the list's own
// settings were read (and applied) before any damage, `readToEnd` whether the reader
// stands after the whole stream (only records of another class were skipped), so that
// a following stream can still be read.
bool LoadStream(TaudioTagList& list, TbyteReader& r, bool keep, const std::string& mountRoot,
                std::string* error, bool& headerRead, bool& readToEnd, TbyteSource* source = nullptr) {
    list.SetStatus("Loading...");
    list.BeginUpdate();
    if (!keep) list.Clear();
    TtagListHeader header;
    int32_t count = 0;
    int skipped = 0;
    std::vector<TaudioTagPtr> tags;
    headerRead = ReadWithMore(r, source, [&] { return ReadTagListHeader(r, header, count, error); });
    bool ok = headerRead;
    if (headerRead) {
        list.SetTitle(header.Title);
        list.SetActive(header.Active);
        StorePlayMode(list, header.PlayMode);
        list.SetFilename(header.Filename);
        ok = ReadTagRecords(r, count, tags, error, skipped, source);
    }
    readToEnd = ok;
    if (ok && skipped > 0) ok = SkippedRecords(skipped, error);
    if (!mountRoot.empty()) RerootFileNames(tags, mountRoot, header.Filename);
    const int n = int(tags.size());
    // Room to spare, so that the first tracks added after loading do not move the list.
    const size_t spare = tags.size() / 16 + 16;
    if (list.AdoptLoaded(tags, spare)) {
        // The tracks are not copied into a second vector (a library's is megabytes).
        for (int i = 0; i < n; i += 10)
            if (list.OnListProcess) list.OnListProcess(&list, i, count, list.Items()[size_t(i)]);
    } else {
        list.Reserve(tags.size() + spare);
        for (int i = 0; i < n; ++i) {
            list.Add(tags[size_t(i)]);
            if (i % 10 == 0 && list.OnListProcess) list.OnListProcess(&list, i, count, tags[size_t(i)]);
        }
    }
    FinishLoad(list);
    return ok;
}
}  // namespace

bool ReadTagListStream(TbyteReader& r, TtagListHeader& header, std::vector<TaudioTagPtr>& tags,
                       std::string* error) {
    int32_t count = 0;
    int skipped = 0;
    if (!ReadTagListHeader(r, header, count, error) || !ReadTagRecords(r, count, tags, error, skipped))
        return false;
    return skipped == 0 || SkippedRecords(skipped, error);
}

bool LoadTagListFromStream(TaudioTagList& list, TbyteReader& r, bool keep, const std::string& mountRoot,
                           std::string* error) {
    bool headerRead = false, readToEnd = false;
    return LoadStream(list, r, keep, mountRoot, error, headerRead, readToEnd);
}

bool UnpackTagListFile(std::string_view file, std::string& stream, std::string* error) {
    return Unpack(file, kTagListMagic, kZippedTagListMagic, true, stream, error);
}

bool SaveTagListToFile(TaudioTagList& list, const std::string& name, bool compressed, std::string* error) {
    if (name.empty()) return NoFileSupplied(error);
    TbyteWriter w;
    const int64_t length = SaveTagListToStream(list, w);
    if (compressed) {
        TbyteWriter z;
        z.WriteBytes(kZippedTagListMagic);
        z.WriteBytes(ZlibCompressFast(w.Bytes()));
        z.WriteI64(length);
        if (!WriteFile(name, z.Bytes(), error)) return false;
    } else if (!WriteFile(name, w.Bytes(), error)) {
        return false;
    }
    list.SetStoredSize(length);
    return true;
}

bool LoadTagListFromFile(TaudioTagList& list, const std::string& name, bool keep, const std::string& mountRoot,
                         std::string* error) {
    list.BeginUpdate();
    if (!keep) list.Clear();
    TfileSource file;
    bool ok = file.Open(name, error, kMaxInflatedListBytes);
    if (ok) {
        list.SetStoredSize(int64_t(file.Size()));
        if (file.Data().substr(0, 4) == kTagListMagic) {
            // A plain file is its own stream, read a window at a time.
            TbyteReader r(file.Data());
            bool headerRead = false, readToEnd = false;
            ok = LoadStream(list, r, true, mountRoot, error, headerRead, readToEnd, &file);
            if (!file.Error().empty()) {
                ok = ReadFailure(error, file.Error());
            } else if (ok && !(r.AtEnd() && file.Exhausted())) {
                ok = ReadFailure(error, "data after the last track");
            }
        } else {
            std::string bytes;
            ok = file.ReadRest(0, bytes, error) && LoadTagListFromFileBytes(list, std::move(bytes), mountRoot, error);
        }
    }
    if (!ok && error) *error = name + ": " + *error;
    list.EndUpdate();
    return ok;
}

bool LoadTagListFromFileBytes(TaudioTagList& list, std::string bytes, const std::string& mountRoot,
                              std::string* error) {
    if (bytes.size() >= 4 && std::string_view(bytes).substr(0, 4) == kZippedTagListMagic) {
        // Inflated step by step as the records are read.
        std::string_view packed = std::string_view(bytes).substr(4);
        size_t cap = 0;
        if (!StoredLength(packed, cap, error)) return false;
        packed.remove_suffix(8);
        TinflateSource source(packed, cap);
        if (!StartInflating(source, kTagListMagic, error)) return false;
        TbyteReader r(source.Data());
        bool headerRead = false, readToEnd = false;
        const bool ok = LoadStream(list, r, true, mountRoot, error, headerRead, readToEnd, &source);
        return FinishInflated(ok, r, source, packed.size(), cap < kMaxCompressedListBytes, "data after the last track",
                              error);
    }
    std::string stream;
    if (bytes.size() >= 4 && std::string_view(bytes).substr(0, 4) == kTagListMagic)
        stream.swap(bytes);  // a plain file is its own stream
    else if (!UnpackTagListFile(bytes, stream, error))
        return false;
    bytes = std::string();
    TbyteReader r(stream);
    if (!LoadTagListFromStream(list, r, true, mountRoot, error)) return false;
    return r.AtEnd() || ReadFailure(error, "data after the last track");
}

void RerootFileNames(std::vector<TaudioTagPtr>& tags, const std::string& mountRoot,
                     const std::string& storedRoot) {
    if (mountRoot.empty()) return;
    const std::string newRoot = WithoutTrailingSlash(mountRoot);
    const bool newIsPosix = !newRoot.empty() && newRoot[0] == '/';
    const std::string oldFolder = OldMountFolder(tags, storedRoot);
    for (auto& tag : tags) {
        const std::string name = tag->Filename().str();
        if (name.empty() || IsUrl(name)) continue;
        std::string rest;
        if (IsDrivePath(name)) {
            rest = name.substr(2);
            if (newIsPosix)
                for (char& c : rest)
                    if (c == '\\') c = '/';
        } else if (!oldFolder.empty() && name.compare(0, oldFolder.size(), oldFolder) == 0 &&
                   name.size() > oldFolder.size() && name[oldFolder.size()] == '/') {
            rest = name.substr(oldFolder.size());
        } else {
            continue;
        }
        tag->SetFilename(newRoot == "/" ? rest : newRoot + rest);
    }
}

bool SaveCDListToFile(TaudioTagList& list, const std::string& mountRoot, const std::string& name,
                      std::string* error) {
    std::string root = WithoutTrailingSlash(mountRoot);
    if (!root.empty() && root != "/") root += "/";
    list.SetFilename(root);
    return SaveTagListToFile(list, name, false, error);
}

// --- Track index -------------------------------------------------------------------

void SaveTagListIndexToStream(const TaudioTagList& list, TbyteWriter& w) {
    w.WriteBytes(kIndexMagic);
    w.WriteI32(int32_t(list.Count()));
    for (const auto& tag : list.Items()) w.WriteI32(tag->StoredPosition());
}

bool LoadTagListIndexFromStream(TaudioTagList& list, TbyteReader& r, const TaudioTagList& master,
                                std::string* error) {
    list.BeginUpdate();
    list.Clear();
    bool ok = true;
    int32_t count = 0;
    if (r.Remaining() < 8) {
        ok = ReadFailure(error, "index block shorter than 8 bytes");
    } else if (!ReadMagic(r, kIndexMagic, error) || !ReadCount(r, count, error)) {
        ok = false;
    } else {
        for (int32_t i = 0; i < count; ++i) {
            int32_t position = 0;
            if (!r.ReadI32(position)) {
                ok = ReadFailure(error, "index block cut short after " + std::to_string(i) + " of " +
                                            std::to_string(count) + " entries");
                break;
            }
            if (position >= 0 && position < master.Count()) list.Add(master.GetTag(position));
        }
    }
    list.EndUpdate();
    return ok;
}

// --- Lists of lists ----------------------------------------------------------------

void SaveTagListsToStream(const std::vector<TaudioTagListPtr>& lists, TbyteWriter& w) {
    w.WriteBytes(kListsMagic);
    w.WriteI32(int32_t(lists.size()));
    for (const auto& list : lists) SaveTagListToStream(*list, w);
}

namespace {
bool ReadListsStream(TbyteReader& r, std::vector<TaudioTagListPtr>& lists, std::string* error,
                     TinflateSource* source) {
    int32_t count = 0;
    if (!ReadWithMore(r, source, [&] { return ReadMagic(r, kListsMagic, error) && ReadCount(r, count, error); }))
        return false;
    if (count == 0) return ReadFailure(error, "the file holds no lists");
    std::string firstDamage;
    for (int32_t i = 0; i < count; ++i) {
        auto list = std::make_shared<TaudioTagList>();
        std::string reason;
        bool headerRead = false, readToEnd = false;
        const bool ok = LoadStream(*list, r, false, "", &reason, headerRead, readToEnd, source);
        // A list whose header was read is kept with the tags read before the damage.
        if (headerRead) lists.push_back(list);
        if (ok) continue;
        const std::string where =
            "list " + std::to_string(i) + " of " + std::to_string(count) + ": " + reason;
        // Skipped records of another class leave the reader at the next list: read on,
        // and still report the damage.
        if (!readToEnd) return ReadFailure(error, firstDamage.empty() ? where : firstDamage);
        if (firstDamage.empty()) firstDamage = where;
    }
    return firstDamage.empty() || ReadFailure(error, firstDamage);
}
}  // namespace

bool LoadTagListsFromStream(TbyteReader& r, std::vector<TaudioTagListPtr>& lists, std::string* error) {
    return ReadListsStream(r, lists, error, nullptr);
}

bool UnpackTagListsFile(std::string_view file, std::string& stream, std::string* error) {
    return Unpack(file, kListsMagic, kZippedListsMagic, false, stream, error);
}

bool SaveTagListsToFile(const std::vector<TaudioTagListPtr>& lists, const std::string& name, bool compressed,
                        std::string* error) {
    if (name.empty()) return NoFileSupplied(error);
    TbyteWriter w;
    SaveTagListsToStream(lists, w);
    if (!compressed) return WriteFile(name, w.Bytes(), error);
    TbyteWriter z;
    z.WriteBytes(kZippedListsMagic);
    z.WriteBytes(ZlibCompressFast(w.Bytes()));
    return WriteFile(name, z.Bytes(), error);
}

bool LoadTagListsFromFile(const std::string& name, std::vector<TaudioTagListPtr>& lists, std::string* error) {
    std::string bytes;
    const bool ok = ReadFileBytes(name, bytes, error, kMaxInflatedListBytes) &&
                    LoadTagListsFromFileBytes(std::move(bytes), lists, error);
    if (!ok && error) *error = name + ": " + *error;
    return ok;
}

bool LoadTagListsFromFileBytes(std::string bytes, std::vector<TaudioTagListPtr>& lists, std::string* error) {
    if (bytes.size() >= 4 && std::string_view(bytes).substr(0, 4) == kZippedListsMagic) {
        // Inflated step by step as the lists are read.
        const std::string_view packed = std::string_view(bytes).substr(4);
        TinflateSource source(packed, kMaxCompressedListBytes);
        if (!StartInflating(source, kListsMagic, error)) return false;
        TbyteReader r(source.Data());
        const bool ok = ReadListsStream(r, lists, error, &source);
        return FinishInflated(ok, r, source, packed.size(), false, "data after the last list", error);
    }
    std::string stream;
    if (!UnpackTagListsFile(bytes, stream, error)) return false;
    TbyteReader r(stream);
    if (!LoadTagListsFromStream(r, lists, error)) return false;
    return r.AtEnd() || ReadFailure(error, "data after the last list");
}

// --- Members of the tag list ----------------------------------------------------------

int64_t TaudioTagList::SaveToStream(TbyteWriter& w) const { return SaveTagListToStream(*this, w); }

bool TaudioTagList::LoadFromStream(TbyteReader& r, bool keep, const std::string& mountRoot,
                                   std::string* error) {
    return LoadTagListFromStream(*this, r, keep, mountRoot, error);
}

bool TaudioTagList::SaveToFile(const std::string& name, bool compressed, std::string* error) {
    return SaveTagListToFile(*this, name, compressed, error);
}

bool TaudioTagList::LoadFromFile(const std::string& name, bool keep, const std::string& mountRoot,
                                 std::string* error) {
    return LoadTagListFromFile(*this, name, keep, mountRoot, error);
}

void TaudioTagList::SaveIndexToStream(TbyteWriter& w) const { SaveTagListIndexToStream(*this, w); }

bool TaudioTagList::LoadIndexFromStream(TbyteReader& r, const TaudioTagList& master, std::string* error) {
    return LoadTagListIndexFromStream(*this, r, master, error);
}

}  // namespace tunecrest
