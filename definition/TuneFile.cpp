#include "definition/TuneFile.h"

#include <wx/filename.h>
#include <wx/log.h>
#include <wx/xml/xml.h>

namespace {

void collect(const wxXmlNode* node, std::map<wxString, wxString>& values)
{
    for (; node; node = node->GetNext()) {
        if (node->GetType() != wxXML_ELEMENT_NODE)
            continue;
        const wxString& tag = node->GetName();
        wxString name;
        if ((tag == wxS("constant") || tag == wxS("pcVariable")) &&
            node->GetAttribute(wxS("name"), &name) && !name.empty())
            values[name] = node->GetNodeContent().Strip(wxString::both);
        else
            collect(node->GetChildren(), values);
    }
}

} // namespace

bool readTuneFile(const wxString& path, std::map<wxString, wxString>& values, wxString& error)
{
    if (!wxFileName::FileExists(path)) {
        error = "cannot open " + path;
        return false;
    }
    wxXmlDocument document;
    {
        wxLogNull quiet; // the parser's own complaint goes into `error`
        if (!document.Load(path)) {
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
