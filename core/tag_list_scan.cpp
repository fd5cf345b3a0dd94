#include "core/tag_list.h"

namespace tunecrest {

// Reading a file's tag needs a tagger; a bare list has none and makes no tag.
TaudioTagPtr TaudioTagList::CreateTagFromFile(const std::string&) { return nullptr; }

}  // namespace tunecrest
