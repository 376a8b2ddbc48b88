// What the log chooser lists of a folder (no display needed).
#include "app/LogFileChooser.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <wx/filename.h>


TEST(LogFileChooser, ListsParentFoldersThenLogs)
{
    const TempDir dir;
    const wxString folder = dir.path;
    for (const char* sub : {"b", "A", ".hidden"})
        ASSERT_TRUE(wxFileName::Mkdir(dir.file(sub)));
    for (const char* file : {"x.MSL", "drive.mlg", "a.log", "notes.csv", "y.txt", "z.bin", ".old.log", "noext"})
        dir.write(file, "x");

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
}
