#pragma once

#include <QString>
#include <optional>

// The watchdog's rules, apart from the page: what the delay box accepts and what command 16
// carries.
namespace Watchdog {

// Sent for Switch OFF; the largest delay the automatic option keeps.
constexpr int SwitchOffValue = 60;
// The delay box's text before anything is loaded.
inline const QString DesignDelay = QStringLiteral("1");

// The change check of the delay box, run on every change of its text.
struct Check {
    QString text;   // what the box holds afterwards
    bool switchOff; // the text is a number above 60: Switch OFF is selected
};
Check check(const QString &text);

// What command 16 carries: 60 for Switch OFF, else the number at the start of the delay
// text rounded halves to even. Nothing when that lies outside the byte's 0 to 255.
std::optional<int> value(bool switchOff, const QString &delay);

} // namespace Watchdog
