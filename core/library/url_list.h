#pragma once
// The internet-radio stations of the library: name=URL lines kept sorted by name
// (then URL), without regard to case, stored as plain text ("internetradio.dat").
#include <string>
#include <vector>

#include "core/base/event_lists.h"

namespace tunecrest {

class TurlList : public TObject {
public:
    TNotifyEvent OnChange;

    void Assign(const TurlList& source);
    void BeginUpdate() { ++FupdateCount; }
    void EndUpdate();

    // Appends name=URL (a name already present is added again).
    void Add(const std::string& name, const std::string& url);
    // Replaces the URL of an existing name, else adds it.
    void SetURL(const std::string& name, const std::string& url);
    void Delete(int index);
    void DeleteName(const std::string& name);
    void Clear();

    int Count() const { return int(Flines.size()); }
    std::string GetName(int index) const;
    std::string GetURL(int index) const;
    // The URL of `name` (without regard to case); empty when none.
    std::string GetValue(const std::string& name) const;
    int IndexOfName(const std::string& name) const;
    // The name of the first entry whose URL equals `url` without regard to case.
    std::string NameOfURL(const std::string& url) const;
    std::vector<std::string> GetNames() const;
    const std::vector<std::string>& Lines() const { return Flines; }

    // Clears, then reads the lines when the file exists.
    void LoadFromFile(const std::string& fileName);
    // False (with a reason) when the file cannot be written; the old file is kept then.
    bool SaveToFile(const std::string& fileName, std::string* error = nullptr) const;
    // Adds every name=URL line of the file whose name is not present yet.
    void ImportFile(const std::string& fileName);

private:
    void Changed();
    static std::vector<std::string> ReadLines(const std::string& fileName);
    std::vector<std::string> Flines;
    int FupdateCount = 0;
};

}  // namespace tunecrest
