#include "NewSummary.h"

#include "Database.h"
#include "ErrorInfo.h"
#include "ImportRules.h"
#include "MdlDigest.h"
#include "QuickSearchIndex.h"
#include "Recordset.h"
#include "SqlTexts.h"

#include <algorithm>

namespace {

// Codes tried past the highest known before giving up: other users adding at the same moment.
constexpr int kCodesTried = 100;

bool digitsOnly(QByteArrayView code)
{
    return !code.isEmpty() &&
           std::all_of(code.begin(), code.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The highest code of digits only, as a number, and its width; -1 and 2 when there is none.
std::pair<qint64, int> highestCode(const QuickSearchIndex &summaries)
{
    qint64 highest = -1;
    int width = 2;
    for (quint32 s = 0; s < summaries.summaries(); ++s) {
        const QByteArrayView code = summaries.code(s);
        if (!digitsOnly(code) || code.size() > 18)
            continue;
        const qint64 value = code.toLongLong();
        if (value > highest || (value == highest && code.size() > width)) {
            highest = value;
            width = int(code.size());
        }
    }
    return {highest, width};
}

QString accountName(DataKit::Database &database, const QString &code)
{
    if (code.isEmpty())
        return QString();
    const auto found = database.OpenRecordset(
        SqlText::FromToStatement(QStringLiteral("cCode"), code, QStringLiteral("cCode_Name"),
                                 QStringLiteral("Code")),
        DataKit::dbOpenSnapshot);
    return found->isEOF() ? QString() : MdlDigest::NullToStr(found->Fields(0));
}

QVariant orNull(const QString &text)
{
    return text.isEmpty() ? QVariant() : QVariant(text);
}

} // namespace

DigestMatch StoreNewSummary(DataKit::Database &database, QuickSearchIndex &summaries,
                            const QString &text, const QString &account)
{
    const ImportRules rules(database);
    auto [highest, width] = highestCode(summaries);
    for (int tried = 0;; ++tried) {
        ImportRow row;
        row.code = QStringLiteral("%1").arg(highest + 1 + tried, width, 10, QLatin1Char('0'));
        row.text = text;
        row.account = account;
        row.hasAccount = true;
        const QString refusal = rules.check(row);
        if (!refusal.isEmpty())
            throw DataKit::Error(DataKit::errValidationRule, refusal);
        try {
            DataKit::Transaction transaction(database);
            database.InsertRows(
                QStringLiteral("GL_bDigest"),
                {QStringLiteral("cId"), QStringLiteral("cText"), QStringLiteral("chelp"),
                 QStringLiteral("cCode")},
                {{row.code, row.text, orNull(row.mnemonic), orNull(row.accountCode)}});
            transaction.commit();
        } catch (const DataKit::Error &error) {
            if (error.number() == DataKit::errDuplicate && tried + 1 < kCodesTried)
                continue;
            throw DataKit::Error(error.number(), SaveFailureText(FailureOf(error)), error.detail());
        }
        return {row.code, row.text, row.mnemonic, row.accountCode,
                accountName(database, row.accountCode)};
    }
}
