#include "FrameDecoder.h"

#include <QStringList>

#include <cstring>

namespace {

const char Stx = 0x02;
const char Eot = 0x04;
const char Header[] = {Stx, 0x00, 0x01, 0x00};
const int HeaderSize = 4;

struct Command {
    int code;
    const char *name;
    int maxValue;        // for commands without option names
    QStringList options; // names of the value bytes 0, 1, ...
};

QStringList numbered(const QStringList &first, const QString &stem, int count)
{
    QStringList names = first;
    for (int i = 1; i <= count; ++i)
        names << stem + QString::number(i);
    return names;
}

const QList<Command> &commands()
{
    static const QList<Command> table = {
        {0x01, "mode", 0, {"PC", "Video", "Both"}},
        {0x02, "brightness", 255, {}},
        {0x03, "contrast", 127, {}},
        {0x04, "saturation", 127, {}},
        {0x05, "hue", 255, {}},
        {0x06, "hfilter", 0, numbered({"Adaptive", "Bypassed"}, "Filter", 6)},
        {0x07, "vfilter", 0, numbered({"Linear", "Bypassed"}, "Filter", 3)},
        {0x08, "antigamma", 0, {"On", "Off"}},
        {0x09, "source", 0, numbered({}, "Composite", 4) + QStringList{"Svideo1", "Svideo2"}},
        {0x0A, "intensity", 255, {}},
        {0x10, "watchdog", 255, {}},
    };
    return table;
}

const int VgaCode = 0x0B;

QString hexList(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

QString joined(const QString &head, const QString &tail)
{
    return tail.isEmpty() ? head : head + QLatin1Char(' ') + tail;
}

// How a candidate frame at the start of `p` stands with `avail` bytes known.
enum class Candidate { Broken, Unfinished, Complete };

Candidate check(const char *p, qsizetype avail, qsizetype *length)
{
    for (int i = 1; i < HeaderSize && i < avail; ++i) {
        if (p[i] != Header[i])
            return Candidate::Broken;
    }
    if (avail <= HeaderSize)
        return Candidate::Unfinished;
    const int count = static_cast<unsigned char>(p[HeaderSize]);
    if (count == 0)
        return Candidate::Broken;
    *length = HeaderSize + 1 + count + 1;
    if (avail < *length)
        return Candidate::Unfinished;
    return p[*length - 1] == Eot ? Candidate::Complete : Candidate::Broken;
}

} // namespace

QString FrameDecoder::describe(int code, const QByteArray &data)
{
    const QString head = QStringLiteral("%1 ").arg(code, 2, 16, QLatin1Char('0')).toUpper();
    if (code == VgaCode)
        return joined(head + QStringLiteral("vga"), hexList(data));

    for (const Command &command : commands()) {
        if (command.code != code)
            continue;
        const QString named = head + QLatin1String(command.name);
        if (data.size() != 1)
            return joined(named, hexList(data)) + QStringLiteral(" (expected 1 byte)");
        const int value = static_cast<unsigned char>(data.at(0));
        if (!command.options.isEmpty() && value < command.options.size())
            return named + QLatin1Char(' ') + command.options.at(value);
        const int max = command.options.isEmpty() ? command.maxValue : command.options.size() - 1;
        const QString number = named + QLatin1Char(' ') + QString::number(value);
        return value > max ? number + QStringLiteral(" (out of range)") : number;
    }
    return joined(head + QStringLiteral("unknown"), hexList(data));
}

void FrameDecoder::feed(const QByteArray &bytes)
{
    m_pending.append(bytes);
    scan(false);
}

void FrameDecoder::finish()
{
    scan(true);
    reportStray();
}

QList<FrameDecoder::Item> FrameDecoder::takeItems()
{
    QList<Item> items;
    items.swap(m_items);
    return items;
}

void FrameDecoder::scan(bool atEnd)
{
    const char *data = m_pending.constData();
    const qsizetype size = m_pending.size();
    qsizetype pos = 0;
    while (pos < size) {
        if (data[pos] != Stx) {
            const void *stx = std::memchr(data + pos, Stx, static_cast<size_t>(size - pos));
            const qsizetype next = stx ? static_cast<const char *>(stx) - data : size;
            addStray(data + pos, next - pos);
            pos = next;
            continue;
        }
        qsizetype length = 0;
        Candidate candidate = check(data + pos, size - pos, &length);
        if (candidate == Candidate::Unfinished && atEnd)
            candidate = Candidate::Broken;
        if (candidate == Candidate::Unfinished)
            break;
        if (candidate == Candidate::Broken) {
            // Only the STX is given up: a real frame may start inside the broken one.
            addStray(data + pos, 1);
            ++pos;
            continue;
        }
        reportStray();
        Item item;
        item.frame = true;
        item.code = static_cast<unsigned char>(data[pos + HeaderSize + 1]);
        item.raw = m_pending.mid(pos, length);
        item.line = describe(item.code, item.raw.mid(HeaderSize + 2, length - HeaderSize - 3));
        m_items.append(item);
        pos += length;
    }
    // What stays is one unfinished candidate, shorter than MaxFrameBytes.
    m_pending.remove(0, pos);
}

void FrameDecoder::addStray(const char *bytes, qsizetype count)
{
    while (count > 0) {
        const qsizetype take = qMin(count, MaxStrayBytes - m_stray.size());
        m_stray.append(bytes, take);
        bytes += take;
        count -= take;
        if (m_stray.size() == MaxStrayBytes)
            reportStray();
    }
}

void FrameDecoder::reportStray()
{
    if (m_stray.isEmpty())
        return;
    Item item;
    item.raw = m_stray;
    item.line = QStringLiteral("?? stray ") + hexList(m_stray);
    m_items.append(item);
    m_stray.clear();
}
