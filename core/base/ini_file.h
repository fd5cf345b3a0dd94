#pragma once
// Settings files in INI form, held in memory: the whole file is read at construction,
// changed in memory and written out by an explicit UpdateFile (through SafeWriteFile).
// Section and key names are matched without regard to case and kept in file order.
// A file may hold several sections of one name: lookups by name use the first, and
// the index-based calls reach every one of them; sections are found through an index by
// name, so files of very many sections load and are read in linear time.
// A file that exists but cannot be read is never overwritten: UpdateFile refuses until
// the file has been read (or the image is given another file name).
// Line breaks in names and values are written as spaces, since each would otherwise
// start a new key or section when the file is read again.
#include <string>
#include <unordered_map>
#include <vector>

namespace tunecrest {

// Reports (sets `error`, logs) and returns false: `fileName` could not be read when it
// was loaded, and writing it now would replace what it holds with what was not read.
bool RefuseUnreadFile(const std::string& fileName, std::string* error);

class TiniFile {
public:
    TiniFile() = default;
    // Reads `fileName` when it exists; a missing file is an empty image. A file that
    // exists but cannot be read also gives an empty image, with ReadFailed set.
    explicit TiniFile(std::string fileName);

    const std::string& FileName() const { return FfileName; }
    // With `reload` the image is read from the new file; without, the image is meant for
    // the new file and a failed read of the old one no longer blocks UpdateFile.
    void Rename(const std::string& fileName, bool reload);
    // True when the file exists but could not be read; ReadError says why.
    bool ReadFailed() const { return FreadFailed; }
    const std::string& ReadError() const { return FreadError; }

    std::string ReadString(const std::string& section, const std::string& key, const std::string& def) const;
    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    int ReadInteger(const std::string& section, const std::string& key, int def) const;
    // An integer kept within what its use can take: a value outside [low, high] becomes
    // the nearer end, and the log says which key of which file held what.
    int ReadIntegerWithin(const std::string& section, const std::string& key, int def, int low, int high) const;
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
    // Writes the image to FileName(). Returns false (with a reason) when it cannot, or
    // when the file could not be read: writing would replace settings never seen.
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
    void Load();
    Tsection& AppendSection(const std::string& section);
    void RebuildIndex();

    std::string FfileName;
    std::vector<std::string> Fpreamble;  // lines before the first section
    std::vector<Tsection> Fsections;
    // Upper-cased section name -> index of the first section of that name.
    std::unordered_map<std::string, size_t> Findex;
    bool FreadFailed = false;
    std::string FreadError;
};

}  // namespace tunecrest
