#include "definition/TuneFile.h"

#include "base/RegularFile.h"

#include <wx/log.h>
#include <wx/mstream.h>
#include <wx/xml/xml.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// Depth first, in document order, without recursion: a file nested a
// million deep must not exhaust the stack.
void collect(const wxXmlNode* first, std::map<wxString, wxString>& values)
{
    std::vector<const wxXmlNode*> pending;
    for (const wxXmlNode* node = first; node || !pending.empty();) {
        if (!node) {
            node = pending.back()->GetNext();
            pending.pop_back();
            continue;
        }
        if (node->GetType() != wxXML_ELEMENT_NODE) {
            node = node->GetNext();
            continue;
        }
        const wxString& tag = node->GetName();
        wxString name;
        if ((tag == wxS("constant") || tag == wxS("pcVariable")) &&
            node->GetAttribute(wxS("name"), &name) && !name.empty()) {
            values[name] = node->GetNodeContent().Strip(wxString::both);
            node = node->GetNext();
            continue;
        }
        pending.push_back(node);
        node = node->GetChildren();
    }
}

const int kMaxElementDepth = 1000;

// How deep start tags nest, counted over the raw text. Markup inside
// comments or CDATA may count too: that only errs on the deep side.
int maxElementDepth(const std::string& text)
{
    int depth = 0;
    int deepest = 0;
    for (size_t at = text.find('<'); at != std::string::npos; at = text.find('<', at + 1)) {
        const char next = at + 1 < text.size() ? text[at + 1] : '\0';
        if (next == '/') {
            depth = depth > 0 ? depth - 1 : 0;
            continue;
        }
        if (next == '!' || next == '?')
            continue;
        const size_t close = text.find('>', at);
        if (close != std::string::npos && close > at && text[close - 1] == '/')
            continue; // <empty/>
        deepest = std::max(deepest, ++depth);
    }
    return deepest;
}

} // namespace

bool writeTuneFile(const wxString& path, const std::string& signature,
                   const std::map<int, std::map<wxString, wxString>>& pages, wxString& error)
{
    wxXmlDocument document;
    wxXmlNode* root = new wxXmlNode(wxXML_ELEMENT_NODE, wxS("msq"));
    document.SetRoot(root);
    wxXmlNode* version = new wxXmlNode(wxXML_ELEMENT_NODE, wxS("versionInfo"));
    version->AddAttribute(wxS("fileFormat"), wxS("5.0"));
    version->AddAttribute(wxS("signature"), wxString::FromUTF8(signature));
    root->AddChild(version);
    for (const auto& page : pages) {
        wxXmlNode* pageNode = new wxXmlNode(wxXML_ELEMENT_NODE, wxS("page"));
        pageNode->AddAttribute(wxS("number"), wxString::Format("%d", page.first));
        root->AddChild(pageNode);
        for (const auto& constant : page.second) {
            wxXmlNode* node = new wxXmlNode(wxXML_ELEMENT_NODE, wxS("constant"));
            node->AddAttribute(wxS("name"), constant.first);
            node->AddChild(new wxXmlNode(wxXML_TEXT_NODE, wxString(), constant.second));
            pageNode->AddChild(node);
        }
    }
    wxLogNull quiet;
    if (!document.Save(path)) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

bool readTuneFile(const wxString& path, std::map<wxString, wxString>& values, wxString& error)
{
    std::string bytes;
    std::string reason;
    if (!ReadRegularFile(std::string(path.fn_str()), bytes, reason)) {
        error = "cannot open " + path + ": " + wxString::FromUTF8(reason);
        return false;
    }
    // The toolkit's XML tree frees itself recursively: refuse a nesting that
    // would exhaust the stack. A tune file is three or four levels deep.
    if (maxElementDepth(bytes) > kMaxElementDepth) {
        error = wxString::Format("%s is nested more than %d elements deep", path, kMaxElementDepth);
        return false;
    }
    wxXmlDocument document;
    {
        wxLogNull quiet; // the parser's own complaint goes into `error`
        wxMemoryInputStream in(bytes.data(), bytes.size());
        if (!document.Load(in)) {
            error = path + " is not an XML tune file";
            return false;
        }
    }
    const wxXmlNode* root = document.GetRoot();
    if (!root || root->GetName() != wxS("msq")) {
        error = path + " has no <msq> root element";
        return false;
    }
    collect(root->GetChildren(), values);
    return true;
}
