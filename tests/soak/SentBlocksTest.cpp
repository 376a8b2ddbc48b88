// The soak's judge: a tick's live values must all come from one block sent
// recently; a mix of two blocks, an old block or a changed value must not pass.
#include "definition/IniParser.h"
#include "definition/SymbolTable.h"
#include "ecu/BlockDecoder.h"
#include "tests/soak/SentBlocks.h"
#include "tools/tarn-ecu-sim/RuntimeBlock.h"

#include <gtest/gtest.h>
#include <wx/log.h>

#include <limits>
#include <memory>

namespace {

using Clock = SentBlocks::Clock;
constexpr size_t kLength = 56;
const double kNone = std::numeric_limits<double>::quiet_NaN();

std::string Block(const SymbolTable& table, double rpm, double map)
{
    std::string block(kLength, '\0');
    for (const BlockChannel& channel : LayoutFromTable(table, kLength)) {
        if (channel.name == "rpm")
            StoreRaw(block, channel, EncodeRaw(channel, rpm));
        if (channel.name == "map")
            StoreRaw(block, channel, EncodeRaw(channel, map));
    }
    return block;
}

TEST(SentBlocks, ExplainsOnlyTheValuesOfOneRecentBlock)
{
    wxLogNull quiet;
    std::unique_ptr<SymbolTable> table(
        loadDefinitionFileFrom(TARN_SAMPLE_DIR "/tarnv3.ini", nullptr, nullptr));
    ASSERT_TRUE(table);
    BlockDecoder decoder(table.get());
    const Clock::time_point t0 = Clock::time_point(std::chrono::hours(1));
    const auto later = t0 + std::chrono::milliseconds(300);
    SentBlocks sent;
    // Shown as the input decodes them: raw x Scale.
    const double map1 = 1013 * 0.1, map2 = 500 * 0.1;
    sent.add(Block(*table, 3000, map1), t0);
    sent.add(Block(*table, 4000, map2), later);

    struct Case {
        const char* what;
        double rpm, map;
        Clock::time_point since;
        bool explained;
    };
    const Case cases[] = {
        {"the older block", 3000, map1, t0, true},
        {"the newer block", 4000, map2, t0, true},
        {"one value of each", 3000, map2, t0, false},
        {"a value never sent", 3001, map1, t0, false},
        {"a block sent before the values stay live", 3000, map1, later, false},
        {"nothing shown for one name", kNone, map2, later, true},
        {"nothing shown at all", kNone, kNone, later, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ValueMap shown;
        shown["rpm"] = c.rpm;
        shown["map"] = c.map;
        EXPECT_EQ(sent.explains(shown, c.since, decoder), c.explained);
    }
    // The expression channel of the soak's gauges is judged too.
    ValueMap withLambda;
    withLambda["rpm"] = 4000;
    withLambda["lambda"] = 2.5;
    EXPECT_FALSE(sent.explains(withLambda, t0, decoder));
}

} // namespace
