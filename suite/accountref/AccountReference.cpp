#include "AccountReference.h"

#include "AccountListDialog.h"
#include "Recordset.h"

#include <algorithm>
#include <stdexcept>
#include <string>

AccountReference::AccountReference(QWidget *dialogParent)
    : m_dialogParent(dialogParent)
{
}

void AccountReference::setSink(AccountReferenceSink *sink)
{
    m_sink = sink;
}

void AccountReference::setRecordSource(std::shared_ptr<DataKit::Recordset> records)
{
    m_records = std::move(records);
}

void AccountReference::setCaption(const QString &caption)
{
    m_caption = caption;
}

void AccountReference::setSearchText(const QString &text)
{
    m_searchText = text;
}

void AccountReference::setColumnHeading(int column, const QString &heading)
{
    if (column < 0 || column >= m_headings.size())
        throw std::out_of_range("the account reference has no column " + std::to_string(column));
    m_headings[column] = heading;
}

void AccountReference::setMultiSelect(int value)
{
    m_multiSelect = value != 0;
}

void AccountReference::setLeafOnly(int value)
{
    m_leafOnly = value != 0;
}

void AccountReference::setAutoChooseSingle(int value)
{
    m_autoChooseSingle = value != 0;
}

void AccountReference::Init()
{
    m_accounts.clear();
    if (!m_records || (m_records->isBOF() && m_records->isEOF()))
        return;
    for (m_records->MoveFirst(); !m_records->isEOF(); m_records->MoveNext())
        m_accounts.append({m_records->Fields(0).toString(), m_records->Fields(1).toString()});
}

void AccountReference::Show()
{
    m_chosen = false;
    const QList<AccountEntry> entries = entriesToOffer();
    for (int index : askUser(entries)) {
        const QString &code = entries[index].code;
        if (!moveToAccount(code))
            continue;
        m_chosen = true;
        if (m_sink) {
            std::shared_ptr<DataKit::Recordset> record = m_records;
            m_sink->Ref1_Selected(record, code);
        }
    }
}

bool AccountReference::chosen() const
{
    return m_chosen;
}

QList<AccountEntry> AccountReference::entriesToOffer() const
{
    QList<AccountEntry> entries = m_accounts;
    if (m_leafOnly) {
        const QList<bool> parents = hasSubAccounts(entries);
        for (qsizetype i = 0; i < entries.size(); ++i)
            entries[i].selectable = !parents[i];
    }
    return entries;
}

QList<int> AccountReference::askUser(const QList<AccountEntry> &entries) const
{
    if (m_autoChooseSingle) {
        const auto selectable = [](const AccountEntry &entry) { return entry.selectable; };
        if (std::count_if(entries.begin(), entries.end(), selectable) == 1)
            return {
                int(std::find_if(entries.begin(), entries.end(), selectable) - entries.begin())};
    }
    AccountListDialog dialog(m_caption, m_headings, entries, m_multiSelect, m_dialogParent);
    dialog.setSearchText(m_searchText);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.chosenIndices();
}

bool AccountReference::moveToAccount(const QString &code)
{
    // Found again by comparing codes here: the record source stays as the caller built it, and
    // when nothing changed since Init this stops at the account's own position.
    if (m_records->isBOF() && m_records->isEOF())
        return false;
    for (m_records->MoveFirst(); !m_records->isEOF(); m_records->MoveNext()) {
        if (m_records->Fields(0).toString() == code)
            return true;
    }
    return false;
}
