// A tag-list file ("UATL" or "ZATL") from arbitrary bytes: unpacked whole and read as a
// stream, and read as a file is (a "ZATL" file inflated step by step as its records are
// read). Both reads leave the list's update lock balanced.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/tags/tag_list_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    std::string stream, error;
    tunecrest::TaudioTagList fromFile;
    tunecrest::LoadTagListFromFileBytes(fromFile, std::string(file), "/media/fuzz/DISC", &error);
    if (fromFile.UpdateCount() != 0) __builtin_trap();
    if (!tunecrest::UnpackTagListFile(file, stream, &error)) return 0;
    tunecrest::TaudioTagList list;
    tunecrest::TbyteReader r(stream);
    list.LoadFromStream(r, false, "/media/fuzz/DISC", &error);
    if (list.UpdateCount() != 0) __builtin_trap();
    return 0;
}
