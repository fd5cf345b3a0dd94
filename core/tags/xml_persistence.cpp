#include "core/tags/xml_persistence.h"

#include <sstream>

#include "core/base/text_utils.h"

namespace tunecrest {

std::string TmyCustomXMLer::XMLName() const {
    const std::string name = GetName();
    return name.empty() ? GetXMLClassName() : name;
}

std::string MakePair(std::string_view name, std::string_view value) {
    std::string pair(name);
    pair += '=';
    pair += value;
    return pair;
}

std::string MakeBoolPair(std::string_view name, bool value) { return MakePair(name, value ? "1" : "0"); }

void SplitPair(std::string_view text, std::string& name, std::string& value) {
    const size_t eq = text.find('=');
    if (eq == std::string_view::npos) {
        name.assign(text);
        value.clear();
    } else {
        name.assign(text.substr(0, eq));
        value.assign(text.substr(eq + 1));
    }
}

std::string PairValue(const TpairList& list, std::string_view name) {
    std::string n, v;
    for (const auto& pair : list) {
        SplitPair(pair, n, v);
        if (SameText(n, name)) return v;
    }
    return {};
}

std::string NodeToPair(const pugi::xml_node& node) {
    return MakePair(node.name(), node.attribute("val").value());
}

bool IsClassNode(const pugi::xml_node& node) { return SameText(node.attribute("kind").value(), "class"); }

bool LoadObjectFromNode(const pugi::xml_node& node, TmyCustomXMLer& xmler) {
    if (!node || !SameText(node.name(), xmler.XMLName())) return false;
    LoadChildNodes(node, xmler);
    return true;
}

void LoadChildNodes(const pugi::xml_node& node, TmyCustomXMLer& xmler) {
    if (const pugi::xml_attribute id = node.attribute("id")) xmler.SetName(id.value());
    xmler.BeginLoad();
    TpairList pairs;
    for (const pugi::xml_node& child : node.children()) {
        if (child.type() != pugi::node_element) continue;
        if (IsClassNode(child))
            xmler.LoadChildNode(child);
        else
            pairs.push_back(NodeToPair(child));
    }
    xmler.LoadFromStrings(pairs);
    xmler.EndLoad();
}

pugi::xml_node SaveObjectToNode(pugi::xml_node parent, TmyCustomXMLer& xmler) {
    pugi::xml_node element = parent.append_child(xmler.XMLName().c_str());
    if (!xmler.GetName().empty()) element.append_attribute("id") = xmler.GetName().c_str();
    TpairList pairs;
    xmler.SaveToStrings(pairs);
    std::string name, value;
    for (const auto& pair : pairs) {
        SplitPair(pair, name, value);
        element.append_child(name.c_str()).append_attribute("val") = value.c_str();
    }
    std::vector<TmyCustomXMLer*> children;
    xmler.GetChildXMLers(children);
    for (TmyCustomXMLer* child : children) {
        if (!child) continue;
        pugi::xml_node childNode = SaveObjectToNode(element, *child);
        childNode.prepend_attribute("kind") = "class";
    }
    return element;
}

std::string SaveObjectToXMLText(TmyCustomXMLer& xmler) {
    pugi::xml_document doc;
    SaveObjectToNode(doc, xmler);
    std::ostringstream out;
    doc.save(out, "  ", pugi::format_default, pugi::encoding_utf8);
    return out.str();
}

bool LoadObjectFromXMLText(std::string_view text, TmyCustomXMLer& xmler, std::string* error) {
    pugi::xml_document doc;
    const pugi::xml_parse_result result = doc.load_buffer(text.data(), text.size());
    if (!result) {
        if (error) *error = std::string("XML error at offset ") + std::to_string(result.offset) + ": " + result.description();
        return false;
    }
    if (!LoadObjectFromNode(doc.document_element(), xmler)) {
        if (error) *error = "the XML element is not a " + xmler.XMLName();
        return false;
    }
    return true;
}

}  // namespace tunecrest
