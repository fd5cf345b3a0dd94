#pragma once
// The component record of one TaudioTag as list files store it: "TPF0", the class
// name "TaudioTag", an empty component name, then the published properties in their
// declaration order (texts only when not empty, integers always, ModDate as a date,
// the extra fields as "ExtraFields.Strings" when there are any; ChannelMode is derived
// and never written).
#include <string>
#include <string_view>

#include "core/tags/audio_tag.h"
#include "core/tags/component_stream.h"
#include "core/base/safe_file.h"

namespace tunecrest {

inline constexpr const char* kAudioTagClassName = "TaudioTag";
// The first bytes of every tag record this system writes: the signature, the class name
// as a short text and the empty component name.
inline constexpr std::string_view kAudioTagRecordStart("TPF0\x09TaudioTag\x00", 15);

void WriteAudioTagRecord(TbyteWriter& w, const TaudioTag& tag);
// Reads one record into `tag`. False (with a reason) for a record of another class,
// an unknown property, a value of the wrong kind or a record cut short; the properties
// read before the damage stay set.
bool ReadAudioTagRecord(TbyteReader& r, TaudioTag& tag, std::string* error = nullptr);
// The same with a value buffer kept by the caller, so that reading many records in a
// row does not allocate a new text buffer for each.
bool ReadAudioTagRecord(TbyteReader& r, TaudioTag& tag, TcomponentValue& scratch, std::string* error = nullptr);
// The same, but a whole record of another class is read past: false with `foreign` set
// and the reader at the next record, so that a list can go on with its other records.
bool ReadAudioTagRecord(TbyteReader& r, TaudioTag& tag, TcomponentValue& scratch, std::string* error,
                        bool& foreign);

}  // namespace tunecrest
