#pragma once
// Plays a recorded datalog in a loop: line 1 a title, line 2 the tab-separated
// column names, then one record per line. Each advance() moves to the next
// record, so every "A" request gets the next moment of the recording.
#include "tools/tarn-ecu-sim/ValueSource.h"

#include <string>
#include <vector>

class DatalogLines;

class DatalogPlayer : public ValueSource {
public:
    // Reads the whole file. False, with `error` set, when it cannot be read
    // or holds no header or no record.
    bool load(const wxString& fileName, std::string& error);
    // The same from bytes in memory.
    bool loadBytes(std::string bytes, std::string& error);

    void advance() override;
    bool value(const wxString& lowerName, double& out) const override;

    size_t recordCount() const { return records.size(); }
    // The column of a name (any letter case), or -1.
    int column(const wxString& name) const;

    // Fields split as the dashboard splits them: at tabs, a run of tabs being
    // one separator, no empty fields at either end.
    static std::vector<wxString> SplitFields(const wxString& line);
    // The number at the start of a field; 0 when it does not start with one.
    static double FieldNumber(const wxString& field);

private:
    bool finishLoad(DatalogLines& reader, std::string& error);

    std::vector<wxString> header; // lower case
    std::vector<std::vector<double>> records;
    size_t current = 0;
    bool started = false;
};
