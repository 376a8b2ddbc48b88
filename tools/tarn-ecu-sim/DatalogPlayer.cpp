#include "tools/tarn-ecu-sim/DatalogPlayer.h"

#include "definition/LineReader.h"

#include <cstdlib>
#include <utility>

class DatalogLines : public LineReader {
public:
    void processLine() override
    {
        if (getLineIndex() == 0)
            return; // title
        std::vector<wxString> fields = DatalogPlayer::SplitFields(getCurrentLine());
        if (!haveHeader) {
            haveHeader = true;
            for (const wxString& field : fields)
                header.push_back(field.Lower());
            return;
        }
        // A record of another width than the header is not a record.
        if (fields.size() != header.size() || header.empty())
            return;
        std::vector<double> record;
        record.reserve(fields.size());
        for (const wxString& field : fields)
            record.push_back(DatalogPlayer::FieldNumber(field));
        records.push_back(std::move(record));
    }

    bool haveHeader = false;
    std::vector<wxString> header;
    std::vector<std::vector<double>> records;
};

std::vector<wxString> DatalogPlayer::SplitFields(const wxString& line)
{
    std::vector<wxString> fields;
    wxString field;
    for (wxString::const_iterator it = line.begin(); it != line.end(); ++it) {
        if (*it == '\t') {
            if (!field.empty())
                fields.push_back(field);
            field.clear();
        } else {
            field += *it;
        }
    }
    if (!field.empty())
        fields.push_back(field);
    return fields;
}

double DatalogPlayer::FieldNumber(const wxString& field)
{
    const std::string text = field.utf8_string();
    const char* start = text.c_str();
    char* end = nullptr;
    const double value = std::strtod(start, &end);
    return end == start ? 0.0 : value;
}

bool DatalogPlayer::load(const wxString& fileName, std::string& error)
{
    DatalogLines reader;
    if (reader.readAll(fileName) != 0) {
        error = "cannot read datalog " + fileName.utf8_string();
        return false;
    }
    return finishLoad(reader, error);
}

bool DatalogPlayer::loadBytes(std::string bytes, std::string& error)
{
    DatalogLines reader;
    reader.openBytes(std::move(bytes));
    while (reader.readNext()) {
    }
    return finishLoad(reader, error);
}

bool DatalogPlayer::finishLoad(DatalogLines& reader, std::string& error)
{
    if (reader.header.empty()) {
        error = "the datalog has no header line (line 2)";
        return false;
    }
    if (reader.records.empty()) {
        error = "the datalog has no record with as many fields as its header (line 2)";
        return false;
    }
    header = std::move(reader.header);
    records = std::move(reader.records);
    current = 0;
    started = false;
    return true;
}

void DatalogPlayer::advance()
{
    if (records.empty())
        return;
    if (!started)
        started = true;
    else
        current = (current + 1) % records.size();
}

int DatalogPlayer::column(const wxString& name) const
{
    const wxString lower = name.Lower();
    for (size_t i = 0; i < header.size(); ++i)
        if (header[i] == lower)
            return static_cast<int>(i);
    return -1;
}

bool DatalogPlayer::value(const wxString& lowerName, double& out) const
{
    const int col = column(lowerName);
    if (col < 0 || records.empty())
        return false;
    out = records[current][static_cast<size_t>(col)];
    return true;
}
