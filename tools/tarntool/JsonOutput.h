#pragma once
// One JSON document as one line of text. Numbers take the shortest text that
// reads back to the same double: nlohmann writes integral doubles as "3.0",
// so those (up to 2^53, where every integer is exact) become "3"; values that
// are not finite become null.
#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdint>
#include <string>

template <class Json>
void MakeIntegralNumbersShort(Json& value)
{
    if (value.is_number_float()) {
        const double v = value.template get<double>();
        if (std::isfinite(v) && v == std::trunc(v) && std::fabs(v) <= 9007199254740992.0 &&
            !(v == 0.0 && std::signbit(v)))
            value = static_cast<std::int64_t>(v);
    } else if (value.is_structured()) {
        for (auto& element : value)
            MakeIntegralNumbersShort(element);
    }
}

template <class Json>
std::string DumpJsonLine(Json document)
{
    MakeIntegralNumbersShort(document);
    return document.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}
