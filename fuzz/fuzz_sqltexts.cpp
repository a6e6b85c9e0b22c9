// The SQL text builders: whatever a user types, it stays a value inside its quotes, and the
// statement keeps the shape it has for a plain value.
#include "FuzzInput.h"
#include "SqlTexts.h"

using namespace SqlText;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QStringList parts = fuzzTexts(data, size, 2);
    const QString &v = parts[0];
    const QString &code = parts[1].isEmpty() ? QStringLiteral("1001") : parts[1];
    const QString x = QStringLiteral("x");
    FUZZ_REQUIRE(sameStatement(AccountFindCriterion({}, v), AccountFindCriterion({}, x), {v, v}));
    FUZZ_REQUIRE(
        sameStatement(AccountFindCriterion(code, v), AccountFindCriterion(x, x), {code, v}));
    FUZZ_REQUIRE(sameStatement(FromToStatement("cCode_Name", v, "cCode", "Code"),
                               FromToStatement("cCode_Name", x, "cCode", "Code"), {v}));
    FUZZ_REQUIRE(sameStatement(RecordRefindCriterion(v), RecordRefindCriterion(x), {v}));
    FUZZ_REQUIRE(sameStatement(DeleteStatement(v), DeleteStatement(x), {v}));

    // The account search: "contains the text", its pattern characters escaped when it has any.
    const QString filter = AccountFilter(v);
    if (v.trimmed().isEmpty()) {
        FUZZ_REQUIRE(filter.isEmpty());
        return 0;
    }
    const bool escaped = filter.contains(QLatin1String("ESCAPE"));
    QString shape;
    QStringList values;
    FUZZ_REQUIRE(sqlShape(filter, shape, values));
    FUZZ_REQUIRE(sameStatement(filter, AccountFilter(escaped ? QStringLiteral("%") : x), values));
    QString pattern = values.at(0);
    if (escaped) {
        QString plain;
        // Every % _ and ! of the text is escaped; the only wildcards are the two at the ends.
        for (qsizetype i = 0; i < pattern.size(); ++i) {
            const bool wildcard = pattern[i] == QLatin1Char('%') || pattern[i] == QLatin1Char('_');
            if (pattern[i] == QLatin1Char('!'))
                ++i;
            else
                FUZZ_REQUIRE(!wildcard || i == 0 || i == pattern.size() - 1);
            FUZZ_REQUIRE(i < pattern.size());
            plain += pattern[i];
        }
        pattern = plain;
    }
    FUZZ_REQUIRE(pattern == QLatin1Char('%') + v + QLatin1Char('%'));
    FUZZ_REQUIRE(values.at(0) == values.at(escaped ? 2 : 1));
    return 0;
}
