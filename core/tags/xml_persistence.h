#pragma once
// XML persistence: each persistable object owns a TmyCustomXMLer that turns it into
// name=value pairs and fills it back from them. The element form is one element per
// object, named by its XML name, with the object's name in the attribute "id"; one
// child element per property, named after it, with the value in "val"; child objects
// are child elements marked with kind="class".
#include <pugixml.hpp>

#include <string>
#include <string_view>
#include <vector>

namespace tunecrest {

using TpairList = std::vector<std::string>;

class TmyCustomXMLer {
public:
    TmyCustomXMLer() = default;
    virtual ~TmyCustomXMLer() = default;
    TmyCustomXMLer(const TmyCustomXMLer&) = delete;
    TmyCustomXMLer& operator=(const TmyCustomXMLer&) = delete;

    virtual std::string GetName() const { return Fname; }
    virtual void SetName(const std::string& name) { Fname = name; }
    // The class name used as the element name when the object has no name.
    virtual std::string GetXMLClassName() const = 0;
    virtual void SaveToStrings(TpairList& /*list*/) {}
    virtual void LoadFromStrings(const TpairList& /*list*/) {}
    virtual void GetChildXMLers(std::vector<TmyCustomXMLer*>& /*list*/) {}
    virtual void BeginLoad() {}
    virtual void EndLoad() {}
    // Loads a child element marked as a class; returns the object that took it, or nullptr.
    virtual TmyCustomXMLer* LoadChildNode(const pugi::xml_node& /*node*/) { return nullptr; }

    // The name, or the class name when the name is empty.
    std::string XMLName() const;

private:
    std::string Fname;
};

// Pair helpers.
std::string MakePair(std::string_view name, std::string_view value);
std::string MakeBoolPair(std::string_view name, bool value);
// Splits at the first "="; a text without "=" is all name.
void SplitPair(std::string_view text, std::string& name, std::string& value);
// The value of the first pair named `name` (without regard to case); empty when absent.
std::string PairValue(const TpairList& list, std::string_view name);

std::string NodeToPair(const pugi::xml_node& node);
bool IsClassNode(const pugi::xml_node& node);
// Loads `node` into the object when the element's name is the object's XML name.
bool LoadObjectFromNode(const pugi::xml_node& node, TmyCustomXMLer& xmler);
void LoadChildNodes(const pugi::xml_node& node, TmyCustomXMLer& xmler);

// Writes the object (and its children, marked kind="class") as a child element of `parent`.
pugi::xml_node SaveObjectToNode(pugi::xml_node parent, TmyCustomXMLer& xmler);
// The object as an XML document text.
std::string SaveObjectToXMLText(TmyCustomXMLer& xmler);
// Parses `text` and loads its document element into the object. False (with a reason)
// when the text is not well-formed XML or the element is not the object's.
bool LoadObjectFromXMLText(std::string_view text, TmyCustomXMLer& xmler, std::string* error = nullptr);

}  // namespace tunecrest
