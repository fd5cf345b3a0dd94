#pragma once
// List streams holding a record of another class between tag records, as another
// program writing into the same list format could leave them.
#include <string>
#include <vector>

#include "core/tags/component_stream.h"
#include "core/tags/list_file_io.h"
#include "core/tags/tag_list.h"
#include "core/tags/tag_stream.h"

namespace tunecrest::test {

// A record of class "TforeignItem" with a value of every kind the format has, nested
// lists, a collection and a child record with a child of its own.
inline void WriteForeignRecord(TbyteWriter& w) {
    TcomponentWriter cw(w);
    cw.BeginComponent("TforeignItem", "Item1");
    cw.WriteInteger("Small", 5);
    cw.WriteInteger("Large", int64_t(1) << 40);
    cw.WriteString("Caption", std::string(300, 'c'));
    cw.WriteDate("When", 45000.5);
    cw.WriteStringList("Lines", {"a", "b"});
    auto name = [&](std::string_view n) {
        w.WriteU8(uint8_t(n.size()));
        w.WriteBytes(n);
    };
    name("Flag");
    w.WriteU8(vaTrue);
    name("Kind");
    w.WriteU8(vaIdent);
    name("kOne");
    name("Options");
    w.WriteU8(vaSet);
    name("soA");
    name("soB");
    w.WriteU8(0);
    name("Blob");
    w.WriteU8(vaBinary);
    w.WriteU32(3);
    w.WriteBytes("xyz");
    name("Ratio");
    w.WriteU8(vaExtended);
    w.WriteBytes(std::string(10, '\0'));
    name("Nested");
    w.WriteU8(vaList);
    w.WriteU8(vaList);
    w.WriteU8(vaInt8);
    w.WriteU8(1);
    w.WriteU8(vaNull);
    w.WriteU8(vaNil);
    w.WriteU8(vaNull);
    name("Items");
    w.WriteU8(vaCollection);
    w.WriteU8(vaList);
    name("Width");
    w.WriteU8(vaInt16);
    w.WriteI16(300);
    w.WriteU8(0);  // end of the item's properties
    w.WriteU8(vaInt8);
    w.WriteU8(7);  // an item with its order value
    w.WriteU8(vaList);
    w.WriteU8(0);
    w.WriteU8(vaNull);  // end of the collection
    w.WriteU8(0);       // end of the record's properties
    // One child (with filer flags and a position) holding a child of its own.
    w.WriteU8(0xF2);
    w.WriteU8(vaInt8);
    w.WriteU8(0);
    name("TforeignChild");
    name("Child1");
    name("Tag");
    w.WriteU8(vaInt32);
    w.WriteI32(-1);
    w.WriteU8(0);
    name("TforeignChild");
    name("");
    w.WriteU8(0);
    w.WriteU8(0);
    w.WriteU8(0);  // end of the child's children
    w.WriteU8(0);  // end of the record's children
}

// A "UATL" stream of `before`, a foreign record, then `after`.
inline std::string ListWithForeignRecord(const std::string& title, const std::vector<TaudioTagPtr>& before,
                                         const std::vector<TaudioTagPtr>& after) {
    TbyteWriter w;
    w.WriteBytes("UATL");
    WriteText(w, title);
    w.WriteU8(0);
    w.WriteU8(2);
    WriteText(w, "");
    w.WriteI32(int32_t(before.size() + 1 + after.size()));
    for (const auto& tag : before) WriteAudioTagRecord(w, *tag);
    WriteForeignRecord(w);
    for (const auto& tag : after) WriteAudioTagRecord(w, *tag);
    return w.Bytes();
}

}  // namespace tunecrest::test
