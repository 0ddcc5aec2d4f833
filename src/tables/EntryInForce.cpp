#include "EntryInForce.h"

#include <algorithm>

namespace EntryInForce {

int tickScan(const QStringList &keys, const QString &now, int recorded)
{
    const int n = static_cast<int>(keys.size());
    if (n == 0)
        return recorded;
    if (n == 1)
        return 1;
    auto key = [&](int i) -> const QString & { return keys.at(i - 1); };
    int found = recorded;
    for (int i = 1; i <= n; ++i) {
        if (i == 1) {
            if (now == key(1))
                return 1;
            if (now < key(1))
                return n;
            if (key(1) < now && now < key(2))
                found = 1;
        } else if (i < n) {
            if ((key(i) < now && now < key(i + 1)) || now == key(i))
                found = i;
        } else if (now == key(n) || now < key(1) || now > key(n)) {
            found = n;
        }
    }
    return found;
}

int tickScanSorted(const QStringList &keys, const QString &now)
{
    const int n = static_cast<int>(keys.size());
    if (n <= 1)
        return n;
    if (now == keys.first())
        return 1; // entries sharing the first key leave entry 1 in force at that very key
    if (now < keys.first())
        return n;
    return static_cast<int>(std::upper_bound(keys.begin(), keys.end(), now) - keys.begin());
}

int lastNotLater(const QStringList &keys, const QString &now)
{
    const int n = static_cast<int>(keys.size());
    for (int i = 1; i <= n; ++i) {
        if (keys.at(i - 1) > now)
            return i == 1 ? n : i - 1;
    }
    return n;
}

} // namespace EntryInForce
