#include "datalog/Datalog.h"

#include "definition/LineReader.h"

#include <cmath>
#include <limits>
#include <unordered_map>

namespace {

// A broken log may have a fault on every line; the first ones say enough.
const size_t kMaxProblemsKept = 20;

} // namespace

Datalog::Datalog(std::string fileBytes, const wxString& fileName)
    : bytes(std::move(fileBytes)), name(fileName)
{
}

double Datalog::Time(size_t record) const
{
    if (timeColumn < 0)
        return std::numeric_limits<double>::quiet_NaN();
    return Value(record, static_cast<size_t>(timeColumn));
}

void Datalog::AddProblem(const wxString& text)
{
    if (problems.size() < kMaxProblemsKept)
        problems.push_back(text);
    else
        ++problemsNotKept;
}

void Datalog::MarkGrowing()
{
    growing = true;
    AddProblem(name + ": the file grows while it is read (it is being written); its records up to then are "
                      "replayed");
}

void Datalog::NoteCutLastLine()
{
    AddProblem(name + ": the last line has no line end (cut while written?); it is not replayed");
}

void Datalog::AddLineProblem(size_t line, const wxString& text)
{
    AddProblem(wxString::Format("%s: line %zu: ", name, line) + text);
}

void Datalog::AddOffsetProblem(size_t offset, const wxString& text)
{
    AddProblem(wxString::Format("%s: offset %zu: ", name, offset) + text);
}

void Datalog::Refuse(const wxString& problem)
{
    refusal = problem;
    problems.insert(problems.begin(), problem);
    columns.clear();
    markers.clear();
}

void Datalog::FinishLoading(bool pacedByTime)
{
    std::unordered_map<std::wstring, size_t> firstOf;
    for (size_t i = 0; i < columns.size(); ++i) {
        const auto first = firstOf.emplace(columns[i].name.Lower().ToStdWstring(), i);
        if (!first.second)
            AddProblem(wxString::Format("%s: columns %zu and %zu are both named \"%s\"; that name serves no value",
                                        name, first.first->second + 1, i + 1, columns[i].name));
    }
    if (problemsNotKept > 0)
        problems.push_back(wxString::Format("%s: %zu more problems", name, problemsNotKept));
    if (!pacedByTime)
        return;
    for (size_t i = 0; i < columns.size(); ++i) {
        if (columns[i].name.CmpNoCase("Time") == 0) {
            timeColumn = static_cast<int>(i);
            break;
        }
    }
}

wxString Datalog::DecodeText(const char* begin, const char* end)
{
    if (begin == end)
        return wxString();
    const std::string text(begin, end);
    if (LineReader::isValidUtf8(text))
        return wxString::FromUTF8Unchecked(text.data(), text.size());
    return wxString(text.data(), wxConvISO8859_1, text.size());
}
