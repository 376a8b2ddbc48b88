#include "app/GaugeUpdater.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace {

class FakeGauge : public GaugeListener {
public:
    explicit FakeGauge(const char* symbol) : name(symbol) {}
    void SetValue(double v) override { shown.push_back(v); }
    void RefreshSymbol(const ValueMap& values) override
    {
        auto it = values.find(GetSymbolName());
        if (it != values.end())
            SetValue(it->second);
    }
    wxString GetSymbolName() override { return name; }
    void SetValueIdx(int) override {}

    wxString name;
    std::vector<double> shown;
};

class FakeInput : public RTDataMgr {
public:
    void Update() override
    {
        ++updates;
        std::vector<wxString> drop;
        for (auto& entry : *valueMap) {
            asked.push_back(entry.first);
            auto it = served.find(entry.first);
            if (it == served.end())
                drop.push_back(entry.first);
            else
                entry.second = it->second;
        }
        for (const wxString& name : drop)
            valueMap->erase(name);
    }
    double GetValue(const wxString& name) override
    {
        auto it = served.find(name);
        return it == served.end() ? -1.0 : it->second;
    }
    bool HasValue(const wxString& name) override { return served.count(name) > 0; }
    int GetKind() override { return 2; }

    std::map<wxString, double> served;
    std::vector<wxString> asked;
    int updates = 0;
};

} // namespace

TEST(GaugeUpdater, SharedNameIsAskedOnceAndReachesEveryGauge)
{
    FakeGauge a("rpm"), b("rpm"), c("map");
    FakeInput input;
    input.served = {{"rpm", 3000}, {"map", 95}};
    GaugeUpdater hub;
    hub.AddGauge(&a);
    hub.AddGauge(&b);
    hub.AddGauge(nullptr); // skipped
    hub.AddGauge(&c);
    hub.SetInput(&input);

    hub.Update();

    EXPECT_EQ(input.updates, 1);
    EXPECT_EQ(input.asked.size(), 2u);
    EXPECT_EQ(hub.GetValues().size(), 2u);
    EXPECT_EQ(a.shown, std::vector<double>{3000});
    EXPECT_EQ(b.shown, std::vector<double>{3000});
    EXPECT_EQ(c.shown, std::vector<double>{95});
}

TEST(GaugeUpdater, RemovedNameLeavesGaugeAsItWas)
{
    FakeGauge rpm("rpm"), egt("egt");
    FakeInput input;
    input.served = {{"rpm", 900}};
    GaugeUpdater hub;
    hub.AddGauge(&rpm);
    hub.AddGauge(&egt);
    hub.SetInput(&input);
    hub.Update();
    input.served["rpm"] = 950;
    hub.Update();

    EXPECT_TRUE(egt.shown.empty());
    EXPECT_EQ(rpm.shown, (std::vector<double>{900, 950}));
}

TEST(GaugeUpdater, EachTickStartsFromTheShownNames)
{
    FakeGauge g("rpm");
    FakeInput input;
    input.served = {{"rpm", 1}, {"map", 2}};
    GaugeUpdater hub;
    hub.AddGauge(&g);
    hub.SetInput(&input);
    hub.Update();
    g.name = "map";
    input.asked.clear();
    hub.Update();
    EXPECT_EQ(input.asked, std::vector<wxString>{"map"});
    EXPECT_TRUE(hub.GetValues().find("rpm") == hub.GetValues().end());
}

TEST(GaugeUpdater, WithoutInput)
{
    FakeGauge g("rpm");
    FakeInput input;
    input.served = {{"rpm", 1}};
    GaugeUpdater hub;
    hub.AddGauge(&g);
    hub.SetInput(&input);
    hub.Update();
    EXPECT_TRUE(hub.IsValueAvailable("rpm"));
    EXPECT_FALSE(hub.IsValueAvailable("RPM"));

    hub.SetInput(nullptr);
    EXPECT_TRUE(hub.GetValues().empty());
    EXPECT_FALSE(hub.IsValueAvailable("rpm"));
    EXPECT_EQ(hub.GetValue("rpm"), 0.0);
    hub.FetchValues();
    EXPECT_EQ(input.updates, 1);
}

TEST(GaugeUpdater, RemoveGaugeRemovesOnlyTheFirstEntry)
{
    FakeGauge a("rpm"), b("map");
    GaugeUpdater hub;
    hub.AddGauge(&a);
    hub.AddGauge(&b);
    hub.AddGauge(&a);
    hub.RemoveGauge(&a);
    EXPECT_EQ(hub.GetGaugeCount(), 2u);
    hub.RemoveGauge(&a);
    hub.RemoveGauge(&a); // absent: nothing
    EXPECT_EQ(hub.GetGaugeCount(), 1u);

    FakeInput input;
    input.served = {{"rpm", 5}, {"map", 6}};
    hub.SetInput(&input);
    hub.Update();
    EXPECT_TRUE(a.shown.empty());
    EXPECT_EQ(b.shown, std::vector<double>{6});
}
