#include "gaugemodel/FrontPage.h"

namespace {

struct NamedColour {
    const char* name;
    LampColour colour;
};

// The names the definition files of the tuning programs use.
const NamedColour kColours[] = {
    {"white", {255, 255, 255}}, {"black", {0, 0, 0}},       {"red", {255, 0, 0}},
    {"green", {0, 200, 0}},     {"blue", {0, 0, 255}},      {"yellow", {255, 255, 0}},
    {"cyan", {0, 255, 255}},    {"magenta", {255, 0, 255}}, {"orange", {255, 128, 0}},
    {"gray", {128, 128, 128}},  {"grey", {128, 128, 128}},  {"lightgray", {211, 211, 211}},
    {"darkgray", {90, 90, 90}}, {"pink", {255, 175, 175}},  {"brown", {139, 69, 19}},
    {"purple", {128, 0, 128}},  {"navy", {0, 0, 128}},      {"lime", {0, 255, 0}},
};

} // namespace

bool LampColourNamed(const wxString& name, LampColour& colour)
{
    const wxString lower = name.Lower();
    for (const NamedColour& named : kColours) {
        if (lower == named.name) {
            colour = named.colour;
            return true;
        }
    }
    return false;
}

void FrontPage::setGauge(int number, const wxString& entryName)
{
    if (number < 1)
        return;
    if (gauges.size() < size_t(number))
        gauges.resize(size_t(number));
    gauges[size_t(number) - 1] = entryName;
}
