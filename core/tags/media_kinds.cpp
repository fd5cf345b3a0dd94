#include "core/tags/media_kinds.h"

#include "core/base/text_utils.h"

namespace tunecrest {

int MediaKindFromName(std::string_view name) {
    if (SameText(name, "Audio")) return int(mkAudio);
    if (SameText(name, "Video")) return int(mkVideo);
    if (SameText(name, "URL")) return int(mkURL);
    if (SameText(name, "Karaoke")) return int(mkKaraoke);
    return -1;
}

}  // namespace tunecrest
