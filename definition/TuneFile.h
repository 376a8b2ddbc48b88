#pragma once
// Reads the values of a tune file: the XML ".msq" that tuning suites save,
// one <constant name="..."> (or <pcVariable name="...">) element per value,
// its text the value (a number, several numbers for an array, or a quoted
// label or text).
#include <wx/string.h>

#include <functional>
#include <map>

#include <string>

// Receives each value as it is read: its name, and its text in UTF-8 without
// the blanks around it (the receiver may take the text's memory).
using TuneValueSink = std::function<void(const wxString& name, std::string& text)>;

// Hands every value to `take`, in file order (a later one of the same name
// replaces the earlier). False with `error` set when the file cannot be read
// or is not such a file: values before the fault have been handed over.
bool readTuneFile(const wxString& path, const TuneValueSink& take, wxString& error);
// Name -> value text.
bool readTuneFile(const wxString& path, std::map<wxString, wxString>& values, wxString& error);

// Writes such a file that readTuneFile() reads back: per page (from 1) its
// constants, name -> value text. `signature` goes into <versionInfo>.
// False with `error` set when the file cannot be written.
bool writeTuneFile(const wxString& path, const std::string& signature,
                   const std::map<int, std::map<wxString, wxString>>& pages, wxString& error);
