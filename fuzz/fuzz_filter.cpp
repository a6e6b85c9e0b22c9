// The filter condition from the three boxes of the filter dialog: the values stay inside their
// quotes, and the filtered listing built on it is still read by the kit as that listing with that
// condition.
#include "FuzzInput.h"
#include "SqlText.h"
#include "SqlTexts.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QStringList boxes = fuzzTexts(data, size, 3);
    const QString condition = SqlText::FilterCondition(boxes[0], boxes[1], boxes[2]);
    QStringList placeholders, expected;
    for (int i = 0; i < 3; ++i) {
        placeholders << (boxes[i].isEmpty() ? QString() : QStringLiteral("x"));
        if (!boxes[i].isEmpty())
            expected << boxes[i];
    }
    if (!boxes[2].isEmpty())
        expected << boxes[2];
    FUZZ_REQUIRE(sameStatement(
        condition, SqlText::FilterCondition(placeholders[0], placeholders[1], placeholders[2]),
        expected));
    if (condition.isEmpty())
        return 0;
    const auto parts = DataKit::detail::parseSelect(SqlText::FilteredListingQuery(condition));
    FUZZ_REQUIRE(parts.parsed);
    FUZZ_REQUIRE(parts.where.trimmed() == condition.trimmed());
    FUZZ_REQUIRE(parts.baseTable.compare(QLatin1String("GL_bDigest"), Qt::CaseInsensitive) == 0);
    return 0;
}
