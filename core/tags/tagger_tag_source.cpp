#include "core/tags/tagger_tag_source.h"

#include <memory>

namespace tunecrest {

std::string TtaggerRecordSource::Text(TtaggerTextGetter getter) {
    if (!getter) return {};
    const char* text = nullptr;
    try {
        text = getter(0);
    } catch (...) {
        return {};
    }
    return text ? std::string(text) : std::string();
}

int TtaggerRecordSource::ExtraFieldCount() {
    if (!Frecord->ExtraFieldCount || !Frecord->GetExtraField) return 0;
    try {
        return std::max(0, int(Frecord->ExtraFieldCount()));
    } catch (...) {
        return 0;
    }
}

void TtaggerRecordSource::GetExtraField(int index, std::string& name, std::string& value) {
    name.clear();
    value.clear();
    if (!Frecord->GetExtraField) return;
    // Heap buffers: two 4096-byte arrays are more than a small stack should carry.
    auto nameBuffer = std::make_unique<char[]>(TAGGER_EXTRA_FIELD_BUFFER);
    auto valueBuffer = std::make_unique<char[]>(TAGGER_EXTRA_FIELD_BUFFER);
    nameBuffer[0] = valueBuffer[0] = 0;
    int32_t number = 0;
    try {
        Frecord->GetExtraField(int32_t(index), nameBuffer.get(), TAGGER_EXTRA_FIELD_BUFFER, valueBuffer.get(),
                               TAGGER_EXTRA_FIELD_BUFFER, &number);
    } catch (...) {
        return;
    }
    nameBuffer[TAGGER_EXTRA_FIELD_BUFFER - 1] = valueBuffer[TAGGER_EXTRA_FIELD_BUFFER - 1] = 0;
    name = nameBuffer.get();
    value = valueBuffer.get();
}

}  // namespace tunecrest
