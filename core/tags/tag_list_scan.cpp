// The folder scan of a tag list: every media file of a folder tree is read through the
// tagger plug-ins, gaps are filled from the file path, and with SaveDataFiles each folder
// keeps a tag cache so that an unchanged folder is read from one file.
#include <filesystem>
#include <set>

#include "core/tags/folder_scan.h"
#include "core/base/services.h"
#include "core/tags/tag_cache_file.h"
#include "core/tags/tag_list.h"
#include "core/tags/tagger_loader.h"
#include "core/tags/tagger_tag_source.h"

namespace fs = std::filesystem;

namespace tunecrest {

namespace {

TaudioTagPtr FindKnown(const TmyStringList* known, const std::string& fileName) {
    if (!known) return nullptr;
    int index = 0;
    if (!known->Find(fileName, index)) return nullptr;
    return known->ObjectAs<TaudioTag>(index);
}

// A file that a plug-in claims but cannot read is remembered in the folder's cache by a
// placeholder, so that the cache still covers every media file of the folder and a broken
// file does not make the folder be read again on every scan. Placeholders are never added
// to a list.
const char* const kUnreadableField = "Unreadable";

TaudioTagPtr MakePlaceholder(const std::string& fileName) {
    TaudioTagPtr tag = NewAudioTag();
    tag->SetFilename(fileName);
    tag->SetMediaType(0);
    tag->ExtraFields().SetValue(kUnreadableField, "1");
    return tag;
}

bool IsPlaceholder(const TaudioTag& tag) {
    return tag.MediaType() == 0 && tag.ExtraFields().Values(kUnreadableField) == "1";
}

}  // namespace

void TaudioTagList::ApplyScanMasks(TaudioTag& tag) const {
    const TtagListSettings& s = Settings();
    if (tag.MediaType() == 1) {
        if (tag.Title().empty() || (tag.Artist().empty() && s.UseAudioFileMask) || s.OverrideTagInfo)
            tag.ApplyFileMask(s.AudioFileMask, s.AlbumFromParentFolder, s.MediaSupportLevel,
                              s.ArtistFromParentFolder);
    } else if (tag.MediaType() == 2) {
        if (s.UseVideoFileMask)
            tag.ApplyFileMask(s.VideoFileMask, s.AlbumFromParentFolder, s.MediaSupportLevel,
                              s.ArtistFromParentFolder);
    }
}

TaudioTagPtr TaudioTagList::CreateTagFromFile(const std::string& fileName) {
    TDateTime modDate = 0;
    if (!GetFileModDate(fileName, modDate)) modDate = 0;
    return CreateTagFromListedFile(fileName, modDate);
}

TaudioTagPtr TaudioTagList::ReadTagFromFile(const std::string& fileName) const {
    TDateTime modDate = 0;
    if (!GetFileModDate(fileName, modDate)) modDate = 0;
    return ReadListedFile(fileName, modDate);
}

TaudioTagPtr TaudioTagList::CreateTagFromListedFile(const std::string& fileName, TDateTime modDate) {
    TaudioTagPtr tag = ReadListedFile(fileName, modDate);
    if (tag) Add(tag);
    return tag;
}

TaudioTagPtr TaudioTagList::ReadListedFile(const std::string& fileName, TDateTime modDate) const {
    TaudioTagPtr tag = NewAudioTag();
    tag->SetFilename(fileName);
    {
        // Only the read and the copy of the plug-in's record are held; the list's own
        // events below run without the lock.
        const auto readLock = TaggerLoader().LockTagRead();
        TtaggerRecord* record = TaggerLoader().FindPluginForFile(fileName);
        if (!record) return nullptr;
        try {
            TtaggerRecordSource source(record);
            tag->ReadFromPlugin(source);
        } catch (...) {
            return nullptr;
        }
    }
    tag->SetModDate(modDate);
    ApplyScanMasks(*tag);
    return tag;
}

// Reads a known tag again. The tag keeps its old values when the plug-in cannot read the
// file now; a new read gets the file masks as a first read would.
bool TaudioTagList::RefreshKnownTag(TaudioTag& tag, TDateTime fileDate) const {
    {
        const auto readLock = TaggerLoader().LockTagRead();
        const std::string fileName = tag.Filename().str();
        TtaggerRecord* record = TaggerLoader().FindPluginRecord(fileName);
        if (!TtaggerLoader::ReadWithPlugin(record, fileName)) return false;
        try {
            TtaggerRecordSource source(record);
            tag.ReadFromPlugin(source);
        } catch (...) {
            return false;
        }
    }
    tag.SetModDate(fileDate);
    ApplyScanMasks(tag);
    return true;
}

bool TaudioTagList::IsCacheCurrent(const std::string& cacheFile, int& fileCount) const {
    return IsCacheFileCurrent(cacheFile, fileCount);
}

void TaudioTagList::ScanFolderTree(const std::string& folder, bool keep, const TmyStringList* known, bool force) {
    TtaggerLoader& loader = TaggerLoader();
    if (loader.MediaSupportLevel() != MediaSupportLevel()) loader.SetMediaSupportLevel(MediaSupportLevel());
    BeginUpdate();
    SetStatus("Scanning Folder...");
    if (!FstopRequest) {
        TaudioTagList found;  // the new tags of this folder
        // A holding list only: its random order would be rebuilt on every tag it takes.
        found.SetNoRandomRebuild(true);
        found.OnListProcess = OnListProcess;
        found.SetMediaSupportLevel(MediaSupportLevel());
        found.SetUseAudioFileMask(UseAudioFileMask());
        found.SetUseVideoFileMask(UseVideoFileMask());
        found.SetArtistFromParentFolder(ArtistFromParentFolder());
        found.SetAudioFileMask(AudioFileMask());
        found.SetVideoFileMask(VideoFileMask());
        found.SetAlbumFromParentFolder(AlbumFromParentFolder());
        found.SetOverrideTagInfo(OverrideTagInfo());
        if (!keep) Clear();
        const std::string cacheFile = (fs::path(folder) / DataFileName()).string();
        if (OnDirProcess) OnDirProcess(this, folder);

        const std::vector<TfolderEntry> files = ListFolderFiles(folder);
        bool fromCache = false;
        if (SaveDataFiles() && !force && IsCacheFileCurrent(cacheFile, files)) {
            std::vector<TaudioTagPtr> cached;
            if (LoadTagCacheFile(cacheFile, cached)) {
                // Cached names are re-rooted in this folder, so a moved folder keeps its
                // cache; tags of vanished files are dropped.
                std::set<std::string> present;
                for (const TfolderEntry& f : files) present.insert(f.Name);
                std::set<std::string> covered;
                std::erase_if(cached, [&](const TaudioTagPtr& tag) {
                    const std::string name(tag->Filename().Name());
                    if (!present.count(name) || !covered.insert(name).second) return true;
                    tag->SetFilename((fs::path(folder) / name).string());
                    return false;
                });
                // The cache is current only when it holds every file a plug-in would read:
                // a file copied in with an old time stamp is not newer, but is new.
                fromCache = true;
                for (const TfolderEntry& f : files)
                    if (f.Name != DataFileName() && !covered.count(f.Name) &&
                        loader.FindPluginRecord(f.Path)) {
                        fromCache = false;
                        break;
                    }
                if (fromCache) {
                    // A folder read from its cache reports every tenth tag, as a list file
                    // does, so that a window showing the scan stays responsive and can stop it.
                    const int cachedCount = int(cached.size());
                    for (int i = 0; i < cachedCount; ++i) {
                        const TaudioTagPtr& tag = cached[size_t(i)];
                        if (i % 10 == 0 && OnListProcess) OnListProcess(this, i, cachedCount, tag);
                        if (IsPlaceholder(*tag)) continue;
                        const TaudioTagPtr knownTag = FindKnown(known, tag->Filename().str());
                        if (!knownTag) {
                            found.Add(tag);
                        } else if (ModDatesDiffer(knownTag->ModDate(), tag->ModDate())) {
                            tag->AssignTagInfo(*knownTag);
                            if (OnTagFound) OnTagFound(this, true, knownTag);
                        }
                    }
                }
            }
        }

        if (!fromCache) {
            // Every tag of the folder, known ones included, goes into its cache.
            std::vector<TaudioTagPtr> folderTags;
            const int total = int(files.size());
            int number = 0;
            bool stopped = false;
            for (const TfolderEntry& file : files) {
                if (FstopRequest) {
                    stopped = true;
                    break;
                }
                ++number;
                // The cache file counts in the total, so it reports its step too.
                if (file.Name == DataFileName()) {
                    DoListProcess(number, total, nullptr);
                    continue;
                }
                if (const TaudioTagPtr knownTag = FindKnown(known, file.Path)) {
                    const TDateTime fileDate = TimespecToDateTime(file.ModTime);
                    if (ModDatesDiffer(fileDate, knownTag->ModDate()) && RefreshKnownTag(*knownTag, fileDate) &&
                        OnTagFound)
                        OnTagFound(this, true, knownTag);
                    DoListProcess(number, total, knownTag);
                    folderTags.push_back(knownTag);
                } else {
                    const TaudioTagPtr tag = found.CreateTagFromListedFile(file.Path, TimespecToDateTime(file.ModTime));
                    DoListProcess(number, total, tag);
                    if (tag) {
                        if (OnTagFound) OnTagFound(this, false, tag);
                        folderTags.push_back(tag);
                    } else if (loader.FindPluginRecord(file.Path)) {
                        folderTags.push_back(MakePlaceholder(file.Path));
                    }
                }
            }
            // A folder scan cut short writes no cache: it would look current next time.
            // A read-only folder (a CD, a protected stick) gets none either.
            if (SaveDataFiles() && !folderTags.empty() && !stopped && IsFolderWritable(folder)) {
                std::string error;
                if (!SaveTagCacheFile(cacheFile, folderTags, &error))
                    LogError("Cannot write the tag cache " + cacheFile + ": " + error);
            }
        }

        BeginUpdate();
        for (const TaudioTagPtr& tag : found.Items()) Add(tag);
        EndUpdate();
    }
    EndUpdate();
    DoListProcessFinished();
}

void TaudioTagList::ScanFolderOnce(const std::string& folder, bool keep, const TmyStringList* known,
                                   TvisitedFolders& visited) {
    if (FstopRequest) return;
    // Each folder once: a symbolic link back up the tree would otherwise never end.
    if (!visited.Enter(folder)) return;
    BeginUpdate();
    if (!keep) Clear();
    ScanFolderTree(folder, true, known, false);
    for (const TfolderEntry& sub : ListSubfolders(folder)) {
        if (FstopRequest) break;
        ScanFolderOnce(sub.Path, true, known, visited);
    }
    EndUpdate();
}

void TaudioTagList::ScanFolder(const std::string& folder, bool keep, const TmyStringList* known) {
    TvisitedFolders visited;
    ScanFolderOnce(folder, keep, known, visited);
}

void TaudioTagList::AddFolders(const std::vector<std::string>& folders, bool keep, const TmyStringList* known) {
    Fscanning = true;
    FstopRequest = false;
    BeginUpdate();
    if (!keep) Clear();
    TvisitedFolders visited;
    for (const std::string& folder : folders) {
        if (FstopRequest) break;
        ScanFolderOnce(folder, true, known, visited);
    }
    EndUpdate();
    Fscanning = false;
    FstopRequest = false;
}

}  // namespace tunecrest
