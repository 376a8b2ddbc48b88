#include "datalog/UnitConversion.h"

namespace {

enum class Unit { Unknown, Fahrenheit, Celsius, Psi, KiloPascal };

Unit UnitOf(const wxString& units)
{
    wxString key;
    for (wxUniChar c : units.Lower())
        if (c != ' ' && c != '.' && c != wxUniChar(0xB0))
            key += c;
    if (key.StartsWith("deg"))
        key = key.Mid(3);
    if (key == "f" || key == "fahrenheit")
        return Unit::Fahrenheit;
    if (key == "c" || key == "celsius")
        return Unit::Celsius;
    if (key == "psi")
        return Unit::Psi;
    if (key == "kpa")
        return Unit::KiloPascal;
    return Unit::Unknown;
}

const double kKiloPascalPerPsi = 6.894757293168361;

} // namespace

UnitConversion UnitConversion::Between(const wxString& logUnits, const wxString& gaugeUnits)
{
    UnitConversion conversion;
    const Unit from = UnitOf(logUnits);
    const Unit to = UnitOf(gaugeUnits);
    if (from == Unit::Fahrenheit && to == Unit::Celsius) {
        conversion.scale = 5.0 / 9.0;
        conversion.offset = -32.0 * 5.0 / 9.0;
    } else if (from == Unit::Celsius && to == Unit::Fahrenheit) {
        conversion.scale = 9.0 / 5.0;
        conversion.offset = 32.0;
    } else if (from == Unit::Psi && to == Unit::KiloPascal) {
        conversion.scale = kKiloPascalPerPsi;
    } else if (from == Unit::KiloPascal && to == Unit::Psi) {
        conversion.scale = 1.0 / kKiloPascalPerPsi;
    } else {
        return conversion;
    }
    conversion.from = logUnits;
    conversion.to = gaugeUnits;
    return conversion;
}
