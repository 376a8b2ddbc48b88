#pragma once
// The one stand-in for an input (the ECU or a datalog) in tests: it serves
// fixed values by name and records what the dispatcher asked for.
#include "dispatch/RTDataMgr.h"

#include <map>
#include <vector>

class FakeInput : public RTDataMgr {
public:
    // What a tick does with a name of the map the input does not serve.
    enum class Unserved { Leave, Drop };

    FakeInput() = default;
    explicit FakeInput(std::map<wxString, double> values) : served(std::move(values)) {}

    void Update() override
    {
        ++updates;
        std::vector<wxString> drop;
        for (auto& entry : *valueMap) {
            asked.push_back(entry.first);
            auto it = served.find(entry.first);
            if (it != served.end())
                entry.second = it->second;
            else if (unserved == Unserved::Drop)
                drop.push_back(entry.first);
        }
        for (const wxString& name : drop)
            valueMap->erase(name);
    }
    double GetValue(const wxString& name) override
    {
        auto it = served.find(name);
        return it != served.end() ? it->second : servesEverything ? anyValue : -1.0;
    }
    bool HasValue(const wxString& name) override { return servesEverything || served.count(name) > 0; }
    int GetKind() override { return kind; }
    bool IsStale() override { return stale; }
    bool IsDoubtful() override { return doubtful; }
    double ExpressionValue(const wxString& expression) override
    {
        auto it = expressions.find(expression);
        return it != expressions.end() ? it->second : NoValue();
    }

    std::map<wxString, double> served;
    // Values of expressions that are no channel; any other has none.
    std::map<wxString, double> expressions;
    Unserved unserved = Unserved::Leave;
    // Claims every name, answering GetValue with `anyValue`, yet writes none.
    bool servesEverything = false;
    double anyValue = 0.0;
    int kind = KindFile;
    bool stale = false;
    bool doubtful = false;

    int updates = 0;
    std::vector<wxString> asked;
};
