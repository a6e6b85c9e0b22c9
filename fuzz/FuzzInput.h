#pragma once
// Turning libFuzzer's bytes into the texts a user could type: UTF-8, cut into parts at NUL bytes.
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

inline QStringList fuzzTexts(const uint8_t *data, size_t size, int parts)
{
    QStringList texts =
        QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size)).split(QChar(0));
    while (texts.size() < parts)
        texts << QString();
    return texts.mid(0, parts);
}

// A broken property is a finding: libFuzzer keeps the input that broke it.
#define FUZZ_REQUIRE(condition)                                                                    \
    do {                                                                                           \
        if (!(condition))                                                                          \
            std::abort();                                                                          \
    } while (false)

// An SQL text with each quoted literal replaced by ?, and the literals' values in order; false when
// a literal is left open (a value broke out of its quotes).
inline bool sqlShape(const QString &sql, QString &shape, QStringList &values)
{
    shape.clear();
    values.clear();
    for (qsizetype i = 0; i < sql.size(); ++i) {
        if (sql[i] != QLatin1Char('\'')) {
            shape += sql[i];
            continue;
        }
        QString value;
        for (++i;; ++i) {
            if (i >= sql.size())
                return false;
            if (sql[i] == QLatin1Char('\'')) {
                if (i + 1 >= sql.size() || sql[i + 1] != QLatin1Char('\''))
                    break;
                ++i;
            }
            value += sql[i];
        }
        shape += QLatin1Char('?');
        values << value;
    }
    return true;
}

// True when the text built from the values has the shape of the one built from the reference
// values, and carries exactly the expected values in its literals: no value changed the
// statement's meaning.
inline bool sameStatement(const QString &built, const QString &reference,
                          const QStringList &expected)
{
    QString shape, referenceShape;
    QStringList values, referenceValues;
    return sqlShape(built, shape, values) && sqlShape(reference, referenceShape, referenceValues) &&
           shape == referenceShape && values == expected;
}
