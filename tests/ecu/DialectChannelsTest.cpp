// Another firmware's expression channels as the ECU input computes them:
// compiled once, each after what it reads, no value passed on, never a number
// made up.
#include "definition/IniParser.h"
#include "ecu/BlockDecoder.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>

namespace {

const char* const kDefinition = R"([MegaTune]
signature = "other firmware"
[Constants]
page = 1
nCylinders = scalar, U08, 0, "", 1, 0, 0, 12, 0
divider = scalar, U08, 1, "", 1, 0, 0, 12, 0
offsets = array, U08, 2, [3], "", 1, 0, 0, 255, 0
[ConstantsExtensions]
defaultValue = nCylinders, 4
defaultValue = offsets, 5 6 7
[OutputChannels]
ochBlockSize = 2
rpm = scalar, U16, 0, "rpm", 1, 0
scaled = scalar, U16, 0, "rpm", {1 / divider}, 0
late = { early * 2 }
early = { rpm / nCylinders }
flag = { rpm > 1000 && (rpm & 0x8) == 0b1000 }
perSquirt = { rpm / divider }
after = { perSquirt + 1 }
loopA = { loopB + 1 }
loopB = { loopA + 1 }
onLoop = { loopA }
previous = { pastValue(rpm, 1) }
highest = { maxValue(rpm) }
element = { arrayValue(array.offsets, 2) }
beyond = { arrayValue(array.offsets, 3) }
broken = { rpm + }
hot = { tempCvt(212) }
clock = { timeNow }
[GaugeConfigurations]
tach = rpm, "Engine", "RPM", 0, {0x10 * 500}, 0, 0, {divider}, 7000, 0, 0
)";

using Values = std::map<std::string, std::optional<double>>;

Values Read(BlockDecoder& decoder, const Values& names)
{
    Values got;
    for (const auto& entry : names)
        got[entry.first] = decoder.value(wxString::FromUTF8(entry.first));
    return got;
}

} // namespace

TEST(DialectChannels, ComputedOncePerBlockInOrderOfUse)
{
    const TempDir folder;
    std::unique_ptr<SymbolTable> table(loadDefinitionFileFrom(folder.write("other.ini", kDefinition)));
    BlockDecoder decoder(table.get());
    decoder.setTimeSource([] { return 42.5; });

    const std::optional<double> none;
    EXPECT_EQ(decoder.value("late"), none); // nothing decoded yet
    const unsigned char first[] = {0x0B, 0xB8}; // 3000
    decoder.decode(first, sizeof first);
    EXPECT_EQ(Read(decoder, {{"late", 0}, {"early", 0}, {"flag", 0}, {"perSquirt", 0}, {"after", 0},
                             {"loopA", 0}, {"loopB", 0}, {"onLoop", 0}, {"previous", 0}, {"highest", 0},
                             {"element", 0}, {"beyond", 0}, {"broken", 0}, {"hot", 0}, {"clock", 0}, {"scaled", 0}}),
              (Values{{"late", 1500}, {"early", 750}, {"flag", 1}, {"perSquirt", none}, {"after", none},
                      {"loopA", none}, {"loopB", none}, {"onLoop", none}, {"previous", none},
                      {"highest", 3000}, {"element", 7}, {"beyond", none}, {"broken", none}, {"hot", 100},
                      {"clock", 42.5}, {"scaled", none}}));

    // The constant arrives later (a tune, the ECU's pages).
    table->getConstantValues().setText("divider", "2");
    table->resolveConstants();
    decoder.refreshConstants();
    const unsigned char second[] = {0x07, 0xD0}; // 2000
    decoder.decode(second, sizeof second);
    EXPECT_EQ(Read(decoder, {{"late", 0}, {"flag", 0}, {"after", 0}, {"previous", 0}, {"highest", 0},
                             {"scaled", 0}}),
              (Values{{"late", 1000}, {"flag", 0}, {"after", 1001}, {"previous", 3000}, {"highest", 3000},
                      {"scaled", 1000}}));
    // An indicator's expression, no channel, in the same dialect.
    EXPECT_EQ(decoder.evaluate("(rpm & 0b10000) == 0x10 && early > 400"), std::optional<double>(1));
    EXPECT_EQ(decoder.evaluate("rpm > nosuch"), none);
    EXPECT_EQ(decoder.evaluate("rpm / 0"), none);

    // Gauge limits in the same dialect; a constant without a value reads 0 there.
    const TARNGaugeDesc& tach = *table->getGauges().at(0);
    EXPECT_EQ(tach.getMaxValue(), 8000);
    EXPECT_EQ(tach.getRanges().at(2).lo, 0);
}
