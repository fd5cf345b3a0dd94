#pragma once
// The library's binary list files.
//   "UATL" tag list: "UATL", the list's Title (text), Active (byte), PlayMode (set
//          byte), Filename (text), a signed 32-bit count N, then N tag records.
//   "ZATL" compressed tag list: "ZATL", a zlib stream of a whole "UATL" stream, then
//          the uncompressed length as a signed 64-bit integer.
//   "UALL" list of lists: "UALL", a signed 32-bit count N, then N "UATL" streams.
//   "ZALL" compressed list of lists: "ZALL" and a zlib stream of a whole "UALL" stream.
//   "IXTL" track index: "IXTL", a signed 32-bit count N, then N signed 32-bit
//          positions of the tags in the master list.
// Integers are little-endian; a text is a signed 32-bit byte length and UTF-8 bytes.
// Readers accept both the plain and the compressed forms; the library writes plain files.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/safe_file.h"
#include "core/tags/tag_list.h"

namespace tunecrest {

using TaudioTagListPtr = std::shared_ptr<TaudioTagList>;

// The header of a "UATL" stream.
struct TtagListHeader {
    std::string Title;
    bool Active = false;
    TaudioTagListMode PlayMode = ModeSet(lmLoop);
    std::string Filename;
};

// --- Tag lists ---------------------------------------------------------------------

// Writes the head of a "UATL" stream: the signature, the header and the count of the
// tag records that must follow (written with WriteAudioTagRecord).
void WriteTagListHeader(const TtagListHeader& header, int32_t count, TbyteWriter& w);
// Writes the "UATL" stream of `list`; returns the number of bytes written.
int64_t SaveTagListToStream(const TaudioTagList& list, TbyteWriter& w);
// Writes a "UATL" stream of that header and those tags (no list needed, so the tags are
// not renumbered by a list's Add); returns the number of bytes written.
int64_t WriteTagListStream(const TtagListHeader& header, const std::vector<TaudioTagPtr>& tags, TbyteWriter& w);
// Reads a whole "UATL" stream: the header, then the tags (each with its stored position
// set to its place in `tags`). A record of another class is skipped and the read goes
// on, but the result is still false (the stream is damaged). On other damage the tags
// read before it stay in `tags`.
bool ReadTagListStream(TbyteReader& r, TtagListHeader& header, std::vector<TaudioTagPtr>& tags,
                       std::string* error = nullptr);
// Fills `list` from a "UATL" stream inside one update bracket, clearing it first unless
// `keep`. A non-empty `mountRoot` re-roots the file names (RerootFileNames). False (with a
// reason) on damage; the tags read before it are kept (records of another class are
// skipped and every other tag is read, but the result is still false).
bool LoadTagListFromStream(TaudioTagList& list, TbyteReader& r, bool keep, const std::string& mountRoot,
                           std::string* error = nullptr);
// Writes the list to `name` ("ZATL" when `compressed`, else "UATL") through the safe
// write; records the length as the list's stored size. An empty name shows
// "No File Supplied" and writes nothing.
bool SaveTagListToFile(TaudioTagList& list, const std::string& name, bool compressed,
                       std::string* error = nullptr);
// Reads a "UATL" or "ZATL" file (inflated in memory). A missing file leaves the list
// empty (unless `keep`) and gives false. A "ZATL" file is inflated step by step as its
// records are read, never past its stored length; anything after the records (or after
// the compressed stream) is refused as damage.
bool LoadTagListFromFile(TaudioTagList& list, const std::string& name, bool keep,
                         const std::string& mountRoot = "", std::string* error = nullptr);
// The same on the file's bytes (read already); the tags are added to the list.
bool LoadTagListFromFileBytes(TaudioTagList& list, std::string bytes, const std::string& mountRoot = "",
                              std::string* error = nullptr);
// The "UATL" stream held by the bytes of a tag-list file, inflating a "ZATL" file.
bool UnpackTagListFile(std::string_view file, std::string& stream, std::string* error = nullptr);

// Lists of removable media are re-rooted when read: the mount folder the list was made
// under is replaced by `mountRoot`, where the disc is mounted now. That folder is the
// mount root stored with the list (`storedRoot`, a folder ending with "/", when every
// name lies below it); for lists without one, a mount point of the mount table's optical
// discs that holds every name, else the folder of the usual mount layouts
// ("/run/media/<user>/<label>", "/media/<user>/<label>", "/media/cdrom0", "/mnt/<label>",
// "/cdrom"), else the deepest folder common to all names. Old names such as "E:\..."
// lose their drive "E:".
void RerootFileNames(std::vector<TaudioTagPtr>& tags, const std::string& mountRoot,
                     const std::string& storedRoot = "");
// Writes the list of a disc mounted at `mountRoot` (a CD list) to `name`, storing the
// mount root as the list's Filename ("/media/cdrom0/"), so that reading it back re-roots
// exactly that folder wherever the disc is mounted then.
bool SaveCDListToFile(TaudioTagList& list, const std::string& mountRoot, const std::string& name,
                      std::string* error = nullptr);

// --- Track index -------------------------------------------------------------------

// "IXTL", the count and every tag's stored position.
void SaveTagListIndexToStream(const TaudioTagList& list, TbyteWriter& w);
// Clears `list` and adds `master`'s tags (the same objects) at the positions read;
// positions outside the master are skipped. False (with a reason) for a short stream, a
// wrong magic or a count that runs past the data (the entries before it are kept).
bool LoadTagListIndexFromStream(TaudioTagList& list, TbyteReader& r, const TaudioTagList& master,
                                std::string* error = nullptr);

// --- Lists of lists ----------------------------------------------------------------

void SaveTagListsToStream(const std::vector<TaudioTagListPtr>& lists, TbyteWriter& w);
// Reads a "UALL" stream, appending each list read to `lists`. True only when at least
// one list was read and nothing was damaged; a list cut short by damage is kept with
// the tags read before it. A list with skipped records of another class does not stop
// the read: the lists after it are read too, and the result is false.
bool LoadTagListsFromStream(TbyteReader& r, std::vector<TaudioTagListPtr>& lists, std::string* error = nullptr);
bool SaveTagListsToFile(const std::vector<TaudioTagListPtr>& lists, const std::string& name, bool compressed,
                        std::string* error = nullptr);
// Reads a "UALL" or "ZALL" file; a missing file gives false and no lists. A "ZALL" file
// is inflated step by step as its lists are read; anything after them is refused.
bool LoadTagListsFromFile(const std::string& name, std::vector<TaudioTagListPtr>& lists,
                          std::string* error = nullptr);
// The same on the file's bytes (read already).
bool LoadTagListsFromFileBytes(std::string bytes, std::vector<TaudioTagListPtr>& lists,
                               std::string* error = nullptr);
// The "UALL" stream held by the bytes of a list-of-lists file, inflating a "ZALL" file.
bool UnpackTagListsFile(std::string_view file, std::string& stream, std::string* error = nullptr);

}  // namespace tunecrest
