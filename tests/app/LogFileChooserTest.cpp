// What the log chooser lists of a folder (no display needed).
#include "app/LogFileChooser.h"

#include <gtest/gtest.h>
#include <wx/filename.h>

#include <fstream>

TEST(LogFileChooser, ListsParentFoldersThenLogs)
{
    const wxString folder = wxFileName::CreateTempFileName("tarn-chooser");
    wxRemoveFile(folder);
    ASSERT_TRUE(wxFileName::Mkdir(folder));
    for (const char* sub : {"b", "A", ".hidden"})
        ASSERT_TRUE(wxFileName::Mkdir(folder + "/" + sub));
    for (const char* file : {"x.MSL", "drive.mlg", "a.log", "notes.csv", "y.txt", "z.bin", ".old.log", "noext"})
        std::ofstream(static_cast<const char*>((folder + "/" + file).fn_str())) << "x";

    struct Case {
        wxString folder;
        bool allFiles;
        std::vector<wxString> want;
    } const cases[] = {
        {folder, false, {"..", "A/", "b/", "a.log", "drive.mlg", "notes.csv", "x.MSL", "y.txt"}},
        {folder, true, {"..", "A/", "b/", "a.log", "drive.mlg", "noext", "notes.csv", "x.MSL", "y.txt", "z.bin"}},
        {folder + "/b", false, {".."}},
        {folder + "/gone", false, {".."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder + (c.allFiles ? " all files" : ""));
        const wxArrayString listed = LogFileChooser::ListFolder(c.folder, c.allFiles);
        EXPECT_EQ(std::vector<wxString>(listed.begin(), listed.end()), c.want);
    }
    const wxArrayString root = LogFileChooser::ListFolder("/", false);
    EXPECT_EQ(root.Index(".."), wxNOT_FOUND) << "nothing above the root";
    EXPECT_NE(root.Index("tmp/"), wxNOT_FOUND);
    wxFileName::Rmdir(folder, wxPATH_RMDIR_RECURSIVE);
}
