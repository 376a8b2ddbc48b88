#pragma once
// Opens a datalog of any known format, told from its content, never from the
// file name:
// - an empty file, and the dashboard's own debug log, are refused;
// - a file that starts with "MLVLG", or holds a NUL byte in its first 16
//   bytes or its first line, is a binary log (which refuses a wrong magic);
// - a text file whose first line is one quoted cell (a title line), or whose
//   first two lines are ";"-separated alike, is a text log of the tuning
//   suites;
// - any other file is the dashboard's own format.
// A UTF-8 byte order mark before text is dropped.
#include "datalog/Datalog.h"

#include <memory>
#include <string>

class DatalogLoader {
public:
    // `name` names the log in its problems; at most Datalog::kMaxFileBytes.
    static std::unique_ptr<Datalog> FromBytes(std::string bytes, const wxString& name);

    struct Opened {
        int result; // 0 read, -1 empty path, -2 cannot be opened, read or indexed
        std::unique_ptr<Datalog> log; // never null: a log refused with the reason when unread
    };
    // Reads `path` whole: a regular file of at most Datalog::kMaxFileBytes.
    static Opened FromFile(const wxString& path);

    static Datalog::Format Sniff(const std::string& bytes);
};
