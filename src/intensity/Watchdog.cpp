#include "Watchdog.h"

#include "NumberText.h"

namespace Watchdog {

Check check(const QString &text)
{
    if (!NumberText::isNumber(text))
        return {QStringLiteral("0"), false};
    return {text, NumberText::parseLeading(text).value > SwitchOffValue};
}

std::optional<int> value(bool switchOff, const QString &delay)
{
    if (switchOff)
        return SwitchOffValue;
    return NumberText::leadingWhole(delay, 0, 255);
}

} // namespace Watchdog
