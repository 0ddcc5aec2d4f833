// The number rule against a reference: a plain decimal at the start of the text reads as
// strtod reads it; the whole number rounds halves to even and stays in range.
#include "FuzzInput.h"
#include "NumberText.h"

#include <QRegularExpression>
#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromLatin1(reinterpret_cast<const char *>(data), qsizetype(size));
    const NumberText::Leading leading = NumberText::parseLeading(text);
    FUZZ_CHECK(leading.end >= 0 && leading.end <= text.size());
    FUZZ_CHECK(leading.found || leading.value == 0);

    static const QRegularExpression plain(QStringLiteral("^[ ]*([+-]?[0-9]{1,15}(\\.[0-9]{1,6})?)(?![0-9.eEdD])"));
    const QRegularExpressionMatch match = plain.match(text);
    if (match.hasMatch()) {
        const double reference = std::strtod(match.captured(1).toLatin1().constData(), nullptr);
        FUZZ_CHECK(leading.found && leading.value == reference);
    }
    if (const std::optional<int> whole = NumberText::leadingWhole(text, -1000, 1000)) {
        FUZZ_CHECK(*whole >= -1000 && *whole <= 1000);
        FUZZ_CHECK(std::fabs(*whole - leading.value) <= 0.5);
    }
    if (NumberText::isNumber(text))
        FUZZ_CHECK(leading.found);
    return 0;
}
