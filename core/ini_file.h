#pragma once
// Settings files in INI form, held in memory: the whole file is read at construction,
// changed in memory and written out by an explicit UpdateFile (through SafeWriteFile).
// Section and key names are matched without regard to case and kept in file order.
// A file may hold several sections of one name: lookups by name use the first, and
// the index-based calls reach every one of them.
#include <string>
#include <vector>

namespace tunecrest {

class TiniFile {
public:
    TiniFile() = default;
    // Reads `fileName` when it exists; a missing file is an empty image.
    explicit TiniFile(std::string fileName);

    const std::string& FileName() const { return FfileName; }
    void Rename(const std::string& fileName, bool reload);

    std::string ReadString(const std::string& section, const std::string& key, const std::string& def) const;
    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    int ReadInteger(const std::string& section, const std::string& key, int def) const;
    void WriteInteger(const std::string& section, const std::string& key, int value);
    // Any non-zero integer reads True; text that is no integer gives the default.
    bool ReadBool(const std::string& section, const std::string& key, bool def) const;
    // Writes "1" or "0".
    void WriteBool(const std::string& section, const std::string& key, bool value);

    bool SectionExists(const std::string& section) const;
    bool ValueExists(const std::string& section, const std::string& key) const;
    // Key names of the (first) section, in file order.
    std::vector<std::string> ReadSection(const std::string& section) const;
    // "key=value" lines of the (first) section, in file order.
    std::vector<std::string> ReadSectionValues(const std::string& section) const;
    // Every section name in file order, repeated names included.
    std::vector<std::string> ReadSections() const;
    void EraseSection(const std::string& section);  // every section of that name
    void DeleteKey(const std::string& section, const std::string& key);
    void Clear();

    // Index-based access, for files that repeat a section name.
    int SectionCount() const { return int(Fsections.size()); }
    const std::string& SectionName(int index) const { return Fsections.at(size_t(index)).Name; }
    // Appends a new section even when one of that name exists; returns its index.
    int AddSection(const std::string& section);
    std::string ReadStringAt(int index, const std::string& key, const std::string& def) const;
    void WriteStringAt(int index, const std::string& key, const std::string& value);
    std::vector<std::string> ReadSectionAt(int index) const;

    // Parses INI text, replacing the image. Lines outside any section and lines
    // without "=" are kept as they are so that a rewrite loses nothing.
    void SetText(const std::string& text);
    std::string GetText() const;
    // Writes the image to FileName(). Returns false (with a reason) when it cannot.
    bool UpdateFile(std::string* error = nullptr) const;

private:
    struct Tline {
        std::string Key;    // empty for a line that is no key=value pair
        std::string Value;  // the whole line when Key is empty
        bool IsPair = false;
    };
    struct Tsection {
        std::string Name;
        std::vector<Tline> Lines;
    };
    const Tsection* Find(const std::string& section) const;
    Tsection* Find(const std::string& section);
    static const Tline* FindKey(const Tsection& s, const std::string& key);
    static void SetKey(Tsection& s, const std::string& key, const std::string& value);

    std::string FfileName;
    std::vector<std::string> Fpreamble;  // lines before the first section
    std::vector<Tsection> Fsections;
};

}  // namespace tunecrest
