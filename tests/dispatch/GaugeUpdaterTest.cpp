#include "dispatch/GaugeUpdater.h"
#include "tests/support/FakeGauge.h"
#include "tests/support/FakeInput.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <vector>

namespace {

// Drops from the map the names it does not serve.
struct DroppingInput : FakeInput {
    DroppingInput() { unserved = Unserved::Drop; }
};

// Claims every name yet leaves the map as the dispatcher built it.
struct SilentInput : FakeInput {
    SilentInput()
    {
        servesEverything = true;
        anyValue = 7.5;
        kind = KindSerial;
    }
};

} // namespace

TEST(GaugeUpdater, SharedNameIsAskedOnceAndReachesEveryGauge)
{
    FakeGauge a("rpm"), b("rpm"), c("map");
    DroppingInput input;
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
    DroppingInput input;
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
    DroppingInput input;
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
    DroppingInput input;
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

    DroppingInput input;
    input.served = {{"rpm", 5}, {"map", 6}};
    hub.SetInput(&input);
    hub.Update();
    EXPECT_TRUE(a.shown.empty());
    EXPECT_EQ(b.shown, std::vector<double>{6});
}

namespace {


class OrderedGauge : public FakeGauge {
public:
    OrderedGauge(const char* symbol, std::vector<wxString>* order) : FakeGauge(symbol), refreshed(order) {}
    void RefreshSymbol(const ValueMap& values) override
    {
        refreshed->push_back(name);
        FakeGauge::RefreshSymbol(values);
    }
    std::vector<wxString>* refreshed;
};

} // namespace

TEST(GaugeUpdater, ValueServedOnceThenRemovedStaysOnTheGauge)
{
    FakeGauge egt("egt");
    DroppingInput input;
    input.served = {{"egt", 650}};
    GaugeUpdater hub;
    hub.AddGauge(&egt);
    hub.SetInput(&input);
    hub.Update();
    input.served.clear(); // the column is gone from now on
    hub.Update();
    hub.Update();
    EXPECT_EQ(egt.shown, std::vector<double>{650});
}

TEST(GaugeUpdater, EveryTickStartsEachNameAtZero)
{
    // An input that writes nothing must not let a value from an earlier tick
    // or another input through: each entry starts at 0.0.
    FakeGauge g("rpm");
    DroppingInput first;
    first.served = {{"rpm", 4200}};
    SilentInput second;
    GaugeUpdater hub;
    hub.AddGauge(&g);
    hub.SetInput(&first);
    hub.Update();
    hub.SetInput(&second);
    EXPECT_TRUE(hub.GetValues().empty());
    hub.Update();
    hub.Update();
    EXPECT_EQ(g.shown, (std::vector<double>{4200, 0.0, 0.0}));
    EXPECT_EQ(second.asked, (std::vector<wxString>{"rpm", "rpm"}));
}

TEST(GaugeUpdater, GaugeWithoutDescriptionAsksForTheEmptyName)
{
    FakeGauge blank(""), rpm("rpm");
    SilentInput input;
    GaugeUpdater hub;
    hub.AddGauge(&blank);
    hub.AddGauge(&rpm);
    hub.AddGauge(&blank);
    hub.SetInput(&input);
    hub.Update();
    std::vector<wxString> seen = input.asked;
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(seen, (std::vector<wxString>{"", "rpm"}));
    EXPECT_EQ(blank.shown, (std::vector<double>{0.0, 0.0}));
}

TEST(GaugeUpdater, RefreshesInRegistrationOrderAndAsksTheInput)
{
    std::vector<wxString> order;
    OrderedGauge a("map", &order), b("rpm", &order), c("clt", &order);
    SilentInput input;
    GaugeUpdater hub;
    hub.AddGauge(&b);
    hub.AddGauge(&c);
    hub.AddGauge(&a);
    hub.SetInput(&input);
    hub.Update();
    EXPECT_EQ(order, (std::vector<wxString>{"rpm", "clt", "map"}));
    EXPECT_EQ(hub.GetValue("anything"), 7.5); // the input's answer, not the map's
    EXPECT_TRUE(hub.IsValueAvailable("anything"));
}

// Doubtful (a noisy line) is told apart from stale: old values may be true.
TEST(GaugeUpdater, StaleAndDoubtfulFollowTheInputAndNoInputLeavesStaleValues)
{
    FakeGauge a("rpm"), b("map");
    DroppingInput input;
    input.served = {{"rpm", 3000}};
    GaugeUpdater hub;
    hub.AddGauge(&a);
    hub.AddGauge(&b);
    hub.SetInput(&input);
    struct Step {
        bool stale, doubtful;
    };
    for (const Step& s : {Step{true, false}, Step{false, true}, Step{true, true}, Step{false, false}}) {
        SCOPED_TRACE(testing::Message() << "stale " << s.stale << ", doubtful " << s.doubtful);
        input.stale = s.stale;
        input.doubtful = s.doubtful;
        hub.Update();
        for (const FakeGauge* gauge : {&a, &b}) {
            EXPECT_EQ(gauge->stale, s.stale);
            EXPECT_EQ(gauge->doubtful, s.doubtful);
        }
    }
    input.doubtful = true;
    hub.Update();
    hub.SetInput(nullptr);
    EXPECT_TRUE(a.stale && b.stale);
    EXPECT_FALSE(a.doubtful || b.doubtful) << "nothing is said of values no input serves";
}
