#include "app/LogFileChooser.h"

#include "gauges/GaugeValueSelector.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/dir.h>
#include <wx/display.h>
#include <wx/filename.h>
#include <wx/listbox.h>
#include <wx/log.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include <algorithm>

namespace {

const char* const kLogExtensions[] = {"log", "msl", "csv", "mlg", "txt"};
const char kParent[] = "..";
const int kGap = 2;

bool IsLogFile(const wxString& name)
{
    const wxString extension = wxFileName(name).GetExt();
    return std::any_of(std::begin(kLogExtensions), std::end(kLogExtensions),
                       [&](const char* known) { return extension.IsSameAs(known, false); });
}

wxArrayString Sorted(wxArrayString names)
{
    std::sort(names.begin(), names.end(),
              [](const wxString& a, const wxString& b) { return a.CmpNoCase(b) < 0; });
    return names;
}

bool IsFolderEntry(const wxString& entry)
{
    return entry == kParent || entry.EndsWith("/");
}

// On a larger screen than the handheld's, the text and rows grow with the
// dashboard's window, as the value selector's do, to stay touch-sized.
double TouchScale(wxWindow* dashboard)
{
    if (!dashboard)
        return 1.0;
    return GaugeValueSelector::TouchScale(wxGetTopLevelParent(dashboard)->GetSize());
}

} // namespace

const wxSize LogFileChooser::kLargest(480, 640);

wxRect LogFileChooser::AreaOver(const wxWindow& frame)
{
    wxRect area = frame.GetScreenRect();
    const int display = wxDisplay::GetFromWindow(&frame);
    if (display != wxNOT_FOUND)
        area.Intersect(wxDisplay(display).GetClientArea());
    const wxSize size(std::min(area.width, kLargest.x), std::min(area.height, kLargest.y));
    return wxRect(area.GetPosition() + (area.GetSize() - size) / 2, size);
}

LogFileChooser::LogFileChooser(wxWindow* parent, const wxRect& area, const wxString& current)
    : wxDialog(parent, wxID_ANY, _("Open log"), area.GetPosition(), area.GetSize(),
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER, "LogFileChooser")
{
    folderText = new wxStaticText(this, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize,
                                  wxST_NO_AUTORESIZE | wxST_ELLIPSIZE_START);
    list = new wxListBox(this, wxID_ANY, wxDefaultPosition, wxSize(-1, 20), 0, nullptr, wxLB_SINGLE);
    allFiles = new wxCheckBox(this, wxID_ANY, _("All files"));
    wxButton* open =
        new wxButton(this, wxID_OPEN, _("Open"), wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
    wxButton* cancel =
        new wxButton(this, wxID_CANCEL, _("Cancel"), wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);

    if (const double scale = TouchScale(parent); scale > 1.0) {
        const wxFont font = GetFont().Scaled(float(scale));
        for (wxWindow* child : GetChildren())
            child->SetFont(font);
    }

    wxBoxSizer* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->Add(allFiles, 1, wxALIGN_CENTER_VERTICAL);
    buttons->Add(cancel, 0, wxLEFT, kGap);
    buttons->Add(open, 0, wxLEFT, kGap);
    wxBoxSizer* column = new wxBoxSizer(wxVERTICAL);
    column->Add(folderText, 0, wxEXPAND | wxALL, kGap);
    column->Add(list, 1, wxEXPAND | wxLEFT | wxRIGHT, kGap);
    column->Add(buttons, 0, wxEXPAND | wxALL, kGap);
    SetSizer(column);
    // The area decides the size, not what the controls would like.
    SetMinSize(wxSize(-1, -1));
    SetSize(area);
    Layout();
    open->SetDefault();

    list->Bind(wxEVT_LISTBOX_DCLICK, &LogFileChooser::OnActivate, this);
    open->Bind(wxEVT_BUTTON, &LogFileChooser::OnOpen, this);
    allFiles->Bind(wxEVT_CHECKBOX, &LogFileChooser::OnAllFiles, this);

    const wxFileName file(current);
    const wxString start = file.GetPath().empty() ? wxGetCwd() : file.GetPath();
    ShowFolder(wxDirExists(start) ? start : wxGetCwd(), file.GetFullName());
}

wxArrayString LogFileChooser::ListFolder(const wxString& folder, bool allFiles)
{
    wxArrayString folders, files;
    wxLogNull quiet; // an unreadable folder lists as empty
    wxDir dir(folder);
    if (dir.IsOpened()) {
        wxString name;
        for (bool more = dir.GetFirst(&name, wxEmptyString, wxDIR_DIRS); more; more = dir.GetNext(&name))
            folders.Add(name + "/");
        for (bool more = dir.GetFirst(&name, wxEmptyString, wxDIR_FILES); more; more = dir.GetNext(&name))
            if (allFiles || IsLogFile(name))
                files.Add(name);
    }
    wxArrayString entries;
    if (wxFileName::DirName(folder).GetDirCount() > 0)
        entries.Add(kParent);
    for (const wxString& name : Sorted(folders))
        entries.Add(name);
    for (const wxString& name : Sorted(files))
        entries.Add(name);
    return entries;
}

void LogFileChooser::ShowFolder(const wxString& path, const wxString& select)
{
    wxFileName name = wxFileName::DirName(path.empty() ? wxString(wxFileName::GetPathSeparator()) : path);
    name.MakeAbsolute();
    name.Normalize(wxPATH_NORM_DOTS | wxPATH_NORM_ABSOLUTE);
    folder = name.GetPath();
    if (folder.empty())
        folder = wxFileName::GetPathSeparator();
    folderText->SetLabel(folder);
    folderText->SetToolTip(folder);
    list->Set(ListFolder(folder, allFiles->IsChecked()));
    const int row = select.empty() ? wxNOT_FOUND : list->FindString(select, true);
    list->SetSelection(row != wxNOT_FOUND ? row : (list->IsEmpty() ? wxNOT_FOUND : 0));
}

void LogFileChooser::OpenSelected()
{
    const int row = list->GetSelection();
    if (row == wxNOT_FOUND)
        return;
    const wxString entry = list->GetString(row);
    if (entry == kParent) {
        wxFileName parent = wxFileName::DirName(folder);
        const wxString left = parent.GetDirs().Last() + "/";
        parent.RemoveLastDir();
        ShowFolder(parent.GetPath(), left);
        return;
    }
    if (IsFolderEntry(entry)) {
        ShowFolder(wxFileName(folder, entry.BeforeLast('/')).GetFullPath());
        return;
    }
    chosen = wxFileName(folder, entry).GetFullPath();
    EndModal(wxID_OK);
}

void LogFileChooser::OnActivate(wxCommandEvent&)
{
    OpenSelected();
}

void LogFileChooser::OnOpen(wxCommandEvent&)
{
    OpenSelected();
}

void LogFileChooser::OnAllFiles(wxCommandEvent&)
{
    const int row = list->GetSelection();
    ShowFolder(folder, row == wxNOT_FOUND ? wxString() : list->GetString(row));
}
