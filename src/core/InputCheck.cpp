#include "core/InputCheck.h"

#include "core/NumberFormat.h"
#include "core/TextUtil.h"

#include <fmt/format.h>

namespace narv {

IntegerCheck CheckIntegerText(std::string_view text, int min, int max, int stored)
{
    IntegerCheck result;
    int value = 0;
    // Leading blanks are accepted as the integer conversion does; trailing text is not.
    const std::size_t first = text.find_first_not_of(" \t");
    const std::string_view body =
        first == std::string_view::npos ? std::string_view{} : text.substr(first);
    if (!parseInteger(body, value))
        result.message = kInvalidNumberMessage;
    else if (value < min || value > max)
        result.message = fmt::format("Number should be between {} and {}", min, max);
    if (!result.message.empty()) {
        result.value = stored;
        result.text = fmt::format("{}", stored);
        return result;
    }
    result.accepted = true;
    result.value = value;
    result.text = std::string(text);
    return result;
}

RealCheck CheckRealText(std::string_view text, double min, double max, double stored)
{
    RealCheck result;
    double value = 0.0;
    if (!parseReal(TrimBlanks(text), value))
        result.message = kInvalidNumberMessage;
    else if (!(value >= min) || value > max)
        result.message =
            "Number should be between" + FormatNumber(7, 2, min) + " and" + FormatNumber(7, 2, max);
    if (!result.message.empty()) {
        result.value = stored;
        result.text = FormatFixed(5, 1, stored);
        return result;
    }
    result.accepted = true;
    result.value = value;
    result.text = std::string(text);
    return result;
}

IntegerCheck CheckIntegerField(std::string_view text, int min, int max, int stored)
{
    IntegerCheck result = CheckIntegerText(text, min, max, stored);
    result.returnFocus = !result.accepted;
    return result;
}

RealCheck CheckRealField(std::string_view text, double min, double max, double stored)
{
    RealCheck result = CheckRealText(text, min, max, stored);
    result.returnFocus = !result.accepted;
    return result;
}

} // namespace narv
