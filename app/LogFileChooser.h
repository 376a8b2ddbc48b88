#pragma once
// Picks a log file on a small screen. The toolkit's file dialog is larger
// than a 240 x 320 display; this one shows one folder as a list (its parent,
// its sub-folders, then its logs) in whatever area it is given, and goes
// into a folder or takes a file on a double tap, Enter or "Open".
#include <wx/dialog.h>

class wxCheckBox;
class wxListBox;
class wxStaticText;

class LogFileChooser : public wxDialog {
public:
    // `area` in screen coordinates; starts in the folder of `current` (the
    // working folder when it has none) with `current` selected.
    LogFileChooser(wxWindow* parent, const wxRect& area, const wxString& current);
    // The area for the chooser over `frame`: the whole frame (the handheld's
    // screen) as far as its display shows it, at most kLargest, centred on it
    // as the toolkit places dialogs anyway.
    static wxRect AreaOver(const wxWindow& frame);
    static const wxSize kLargest;

    // The chosen file, once ShowModal() returned wxID_OK.
    const wxString& GetPath() const { return chosen; }
    const wxString& GetFolder() const { return folder; }
    wxListBox* GetList() const { return list; }

    // Shows `path`'s folder; selects `path` when it is listed there.
    void ShowFolder(const wxString& path, const wxString& select = wxString());
    // Goes into the selected folder, or takes the selected file.
    void OpenSelected();

    // The entries of `folder`, as listed: ".." (unless at the root), the
    // sub-folders as "name/", then the files; hidden ones left out, each
    // group in alphabetical order ignoring case. Only log files
    // (.log, .msl, .csv, .mlg, .txt) unless `allFiles`.
    static wxArrayString ListFolder(const wxString& folder, bool allFiles);

private:
    void OnActivate(wxCommandEvent& event);
    void OnOpen(wxCommandEvent& event);
    void OnAllFiles(wxCommandEvent& event);

    wxStaticText* folderText = nullptr;
    wxListBox* list = nullptr;
    wxCheckBox* allFiles = nullptr;
    wxString folder;
    wxString chosen;
};
