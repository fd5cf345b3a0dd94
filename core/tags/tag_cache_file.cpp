#include "core/tags/tag_cache_file.h"

#include "core/tags/list_file_io.h"
#include "core/base/safe_file.h"
#include "core/tags/tag_list_files.h"

namespace tunecrest {

// The cache is an uncompressed tag-list file ("UATL") with an untitled header. A file of
// another layout (such as a cache of an older version) reads as damaged, so the folder
// is scanned file by file and the cache rewritten.

bool SaveTagCacheFile(const std::string& fileName, const std::vector<TaudioTagPtr>& tags, std::string* error) {
    TbyteWriter w;
    WriteTagListStream(TtagListHeader{}, tags, w);
    return SafeWriteFile(fileName, w.Bytes(), error);
}

bool LoadTagCacheFile(const std::string& fileName, std::vector<TaudioTagPtr>& tags) {
    tags.clear();
    std::string data, stream;
    if (!ReadFileBytes(fileName, data, nullptr, kMaxInflatedListBytes) || !UnpackTagListFile(data, stream))
        return false;
    TbyteReader r(stream);
    TtagListHeader header;
    if (ReadTagListStream(r, header, tags)) return true;
    tags.clear();  // nothing of a damaged cache is used
    return false;
}

}  // namespace tunecrest
