#pragma once
// What the touch file chooser shows and answers, without Qt: the caller's file filter
// read into named mask sets, a folder's entries (folders first, then the files the masks
// let through, hidden entries left out), the folder a choice starts in, and the name a
// save choice answers.
#include <functional>
#include <string>
#include <vector>

namespace tunecrest {

// One choice of the filter: "M3U Playlist (*.m3u)" with its masks {"*.m3u"}.
struct TfileFilterEntry {
    std::string Description;
    std::vector<std::string> Masks;
};

// Reads both filter forms the program's callers use: "Description|*.a;*.b|Other|*.c"
// (description and masks in turns) and "Description (*.a *.b);;Other (*.c)". A filter
// with nothing readable (or empty) gives one entry "All Files" with the mask "*".
std::vector<TfileFilterEntry> ParseFileFilter(const std::string& filter);

// A file name against one mask with "*" and "?", letters without regard to case (a
// "*.MP3" on a stick from another system is still a track). "*.*" and "*" take every
// name, also one without an extension.
bool MatchesMask(const std::string& name, const std::string& mask);
bool MatchesAnyMask(const std::string& name, const std::vector<std::string>& masks);

struct TchooserEntry {
    std::string Name;  // the name's bytes as the file system holds them (UTF-8 or not)
    bool Folder = false;
};

// What a name shows on screen: UTF-8 as it is; each byte that is not part of a well-formed
// UTF-8 character becomes U+FFFD. Two names may show alike; the chooser answers with the
// bytes of the row touched, never with the text shown.
std::string ShownName(const std::string& name);

// A folder's listing: its entries, or why it cannot be read.
struct TfolderListing {
    std::vector<TchooserEntry> Entries;
    bool Readable = true;
    std::string Error;  // the system's reason when not readable
};

// The entries of `folder`: sub-folders first, then (unless `foldersOnly`) the files that
// match `masks`, each group sorted by name without regard to case. Names starting with
// "." are left out. `keepGoing`, when given, is told how many entries were read so far
// (every few hundred) and stops the listing by answering false (the result then holds what
// was read). An unreadable folder gives no entries, Readable false and the reason.
TfolderListing ReadFolderEntries(const std::string& folder, const std::vector<std::string>& masks,
                                 bool foldersOnly, const std::function<bool(size_t read)>& keepGoing = {});
// The entries alone.
std::vector<TchooserEntry> ListFolderEntries(const std::string& folder, const std::vector<std::string>& masks,
                                            bool foldersOnly);

// The folder a choice starts in: `requested` (or the folder of a requested file) when it
// exists, else the user's music folder, else the home folder, else "/". Always an
// absolute path without a trailing separator (except "/").
std::string ChooserStartFolder(const std::string& requested, const std::string& musicFolder,
                               const std::string& homeFolder);

// The folder above `folder` ("/" stays "/").
std::string ChooserParentFolder(const std::string& folder);

// The file a save choice answers for a typed `name` in `folder`: empty for a name that is
// empty, "." or "..", or that holds a "/"; the first mask's extension is added when the
// name has none and the mask is of the form "*.ext" (an "ext" without "/"). The answer is
// always a file directly in `folder`.
std::string SaveChoiceFile(const std::string& folder, const std::string& name, const std::vector<std::string>& masks);

}  // namespace tunecrest
