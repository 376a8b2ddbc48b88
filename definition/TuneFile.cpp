#include "definition/TuneFile.h"

#include "base/RegularFile.h"

#include <wx/log.h>
#include <wx/xml/xml.h>

#include <expat.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const char* const kBlanks = " \t\r\n";
const size_t kPartBytes = 64 * 1024;

// Streams the file through the XML parser and hands over each value as its
// element ends: neither the file nor a tree of it is held, so a tune file
// of any size takes little more memory than the values the caller keeps.
class TuneReader {
public:
    explicit TuneReader(const TuneValueSink& sink) : take(sink), parser(XML_ParserCreate(nullptr))
    {
        XML_SetUserData(parser, this);
        XML_SetElementHandler(parser, &TuneReader::Start, &TuneReader::End);
        XML_SetCharacterDataHandler(parser, &TuneReader::Text);
    }
    ~TuneReader() { XML_ParserFree(parser); }
    TuneReader(const TuneReader&) = delete;
    TuneReader& operator=(const TuneReader&) = delete;

    bool Feed(const char* data, size_t size, bool last)
    {
        return XML_Parse(parser, data, static_cast<int>(size), last) == XML_STATUS_OK && !wrongRoot;
    }
    bool WrongRoot() const { return wrongRoot; }
    wxString Error() const
    {
        return wxString::Format("line %lu: %s", static_cast<unsigned long>(XML_GetCurrentLineNumber(parser)),
                                XML_ErrorString(XML_GetErrorCode(parser)));
    }

private:
    static void Start(void* data, const XML_Char* tag, const XML_Char** attributes)
    {
        TuneReader& reader = *static_cast<TuneReader*>(data);
        if (reader.depth++ == 0 && std::strcmp(tag, "msq") != 0) {
            reader.wrongRoot = true;
            XML_StopParser(reader.parser, XML_FALSE);
            return;
        }
        if (reader.valueDepth > 0 || (std::strcmp(tag, "constant") != 0 && std::strcmp(tag, "pcVariable") != 0))
            return;
        for (const XML_Char** a = attributes; a[0]; a += 2)
            if (std::strcmp(a[0], "name") == 0 && a[1][0] != '\0') {
                reader.name = a[1];
                reader.valueDepth = reader.depth;
                reader.parts.clear();
            }
    }
    static void End(void* data, const XML_Char*)
    {
        TuneReader& reader = *static_cast<TuneReader*>(data);
        if (reader.valueDepth == reader.depth--) {
            reader.valueDepth = 0;
            reader.JoinParts();
            const size_t first = reader.text.find_first_not_of(kBlanks);
            reader.text.erase(0, first == std::string::npos ? reader.text.size() : first);
            reader.text.erase(reader.text.find_last_not_of(kBlanks) + 1);
            reader.take(wxString::FromUTF8(reader.name), reader.text);
            reader.text = std::string();
        }
    }
    static void Text(void* data, const XML_Char* chars, int length)
    {
        TuneReader& reader = *static_cast<TuneReader*>(data);
        // The element's own text: what is inside a nested element is not its value.
        if (reader.valueDepth == 0 || reader.valueDepth != reader.depth)
            return;
        // In parts of their own: a string that grows by doubling would take
        // up to three times a big array's text while it is copied.
        if (reader.parts.empty() || reader.parts.back().size() >= kPartBytes) {
            reader.parts.emplace_back();
            reader.parts.back().reserve(kPartBytes);
        }
        reader.parts.back().append(chars, static_cast<size_t>(length));
    }
    void JoinParts()
    {
        size_t size = 0;
        for (const std::string& part : parts)
            size += part.size();
        text.clear();
        text.reserve(size);
        for (std::string& part : parts) {
            text += part;
            part = std::string();
        }
        parts.clear();
    }

    const TuneValueSink& take;
    XML_Parser parser;
    int depth = 0;
    int valueDepth = 0; // of the value element open now; 0: none
    std::string name;
    std::vector<std::string> parts; // of the value's text
    std::string text;
    bool wrongRoot = false;
};

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

bool readTuneFile(const wxString& path, const TuneValueSink& take, wxString& error)
{
    std::string reason;
    const int fd = OpenRegularFile(std::string(path.fn_str()), reason);
    if (fd < 0) {
        error = "cannot open " + path + ": " + wxString::FromUTF8(reason);
        return false;
    }
    TuneReader reader(take);
    std::vector<char> buffer(64 * 1024);
    bool fine = true;
    for (;;) {
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error = "cannot read " + path + ": " + wxString(std::strerror(errno));
            ::close(fd);
            return false;
        }
        fine = reader.Feed(buffer.data(), static_cast<size_t>(n), n == 0);
        if (!fine || n == 0)
            break;
    }
    ::close(fd);
    if (reader.WrongRoot())
        error = path + " has no <msq> root element";
    else if (!fine)
        error = path + " is not an XML tune file (" + reader.Error() + ")";
    return fine;
}

bool readTuneFile(const wxString& path, std::map<wxString, wxString>& values, wxString& error)
{
    return readTuneFile(
        path, [&values](const wxString& name, std::string& text) { values[name] = wxString::FromUTF8(text); },
        error);
}
