#include "datalog/ColumnAliases.h"

namespace {

// Lambda and AFR stay apart: one reads as the other only with the fuel's
// stoichiometric ratio, which a log does not give.
const std::vector<std::vector<std::wstring>> kGroups = {
    {L"clt", L"coolant", L"coolanttemp", L"cooltemp", L"ect"},
    {L"iat", L"mat", L"intake", L"intaketemp", L"airtemp", L"manifoldairtemp"},
    {L"sparkadv", L"advance", L"ignadv", L"ignitionadvance", L"spark", L"ignitiontiming"},
    {L"afr", L"afr1", L"afrvalue", L"airfuelratio"},
    {L"lambda", L"lambda1", L"lambdavalue"},
    {L"tps", L"tp", L"throttle", L"tpsvalue", L"throttleposition"},
    {L"map", L"mapvalue", L"manifoldpressure"},
    {L"rpm", L"rpmvalue", L"enginespeed"},
    {L"batt", L"vbatt", L"battv", L"battery", L"batteryvoltage"},
};

} // namespace

std::vector<std::wstring> ColumnAliasesOf(const std::wstring& looseKey)
{
    for (const auto& group : kGroups) {
        for (const std::wstring& name : group) {
            if (name != looseKey)
                continue;
            std::vector<std::wstring> others;
            for (const std::wstring& other : group)
                if (other != looseKey)
                    others.push_back(other);
            return others;
        }
    }
    return {};
}
