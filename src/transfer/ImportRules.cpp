#include "ImportRules.h"

#include "CellCharacters.h"
#include "Database.h"
#include "MdlDigest.h"
#include "PinyinInitial.h"
#include "Recordset.h"
#include "SqlTexts.h"
#include "StringTable.h"

namespace {

// Headings (string numbers) and the most characters each cell takes, as in the grid.
struct Cell
{
    int heading;
    qsizetype limit;
};
constexpr Cell kCode{3, 6};
constexpr Cell kText{8, 60};
constexpr Cell kMnemonic{139, 60};
constexpr Cell kAccount{111, 40};

QString cellReason(const Cell &cell, const QString &why)
{
    return LoadResString(cell.heading) + QStringLiteral("：") + why;
}

QString tooLong(const Cell &cell, const QString &value)
{
    const qsizetype length = value.toUcs4().size();
    if (length <= cell.limit)
        return {};
    return cellReason(cell,
                      LoadResString(85) +
                          QStringLiteral("（%1 个字符，最多 %2 个）").arg(length).arg(cell.limit));
}

} // namespace

ImportRules::ImportRules(DataKit::Database &database)
{
    const auto accounts =
        database.OpenRecordset(SqlText::AccountListQuery(), DataKit::dbOpenSnapshot);
    for (; !accounts->isEOF(); accounts->MoveNext()) {
        const QString code = MdlDigest::NullToStr(accounts->Fields(0));
        // The first account that has the text as its code or name, in the chart's order.
        m_accountByText.insert(code, m_accountByText.value(code, code));
        const QString name = MdlDigest::NullToStr(accounts->Fields(1));
        m_accountByText.insert(name, m_accountByText.value(name, code));
    }
}

QString ImportRules::check(ImportRow &row) const
{
    const std::pair<const Cell *, const QString *> cells[] = {{&kCode, &row.code},
                                                              {&kText, &row.text},
                                                              {&kMnemonic, &row.mnemonic},
                                                              {&kAccount, &row.account}};
    for (const auto &[cell, value] : cells) {
        if (value->contains(QLatin1Char('|')) || value->contains(QLatin1Char('\'')))
            return cellReason(*cell, QStringLiteral("单元格中存在非法字符，请重新录入！"));
        const QString problem = CellCharacterProblem(*value);
        if (!problem.isEmpty())
            return cellReason(*cell, problem);
    }
    if (row.code.isEmpty())
        return LoadResStrings({3, 18});
    if (row.text.isEmpty())
        return LoadResStrings({8, 18});
    for (const auto &[cell, value] : cells) {
        const QString why = tooLong(*cell, *value);
        if (!why.isEmpty())
            return why;
    }
    if (!row.account.isEmpty()) {
        const auto found = m_accountByText.constFind(row.account);
        if (found == m_accountByText.constEnd())
            return cellReason(kAccount, QStringLiteral("非法科目！（%1）").arg(row.account));
        row.accountCode = *found;
    }
    if (row.mnemonic.isEmpty())
        row.mnemonic = MnemonicOf(row.text);
    return {};
}
