// The related account: the grid shows the account's name, the record stores its code.
#include "frmDigBrowse.h"

#include "Database.h"
#include "MdlDigest.h"
#include "Recordset.h"
#include "SqlTexts.h"
#include "StringTable.h"
#include "clsRef.h"

bool frmDigBrowse::CheckAccount(const QString &code, const QString &text)
{
    recRef = recCode;
    const QString criterion = SqlText::AccountFindCriterion(code, text);
    recRef->Requery(-1);
    recRef->FindFirst(criterion);
    return !recRef->NoMatch();
}

// The whole chart goes to the list, narrowed by the cell's text in the list's own search box: the
// user sees why the list is short and can type over the text to search every account.
void frmDigBrowse::ShowAccountRef(const QString &text)
{
    recCode->Requery(-1);

    AccountReference &reference = *mclsRef->Ref1;
    reference.setRecordSource(recCode);
    reference.setCaption(LoadResString(114));
    reference.setColumnHeading(0, LoadResString(112));
    reference.setColumnHeading(1, LoadResString(113));
    reference.setMultiSelect(0);
    reference.setLeafOnly(0);
    reference.setAutoChooseSingle(0);
    reference.setSearchText(text.trimmed());
    reference.Init();
    reference.Show();
}

// A failed look-up is raised, not taken for "no such account": the save that needs it is refused
// rather than storing the row without its account.
QString frmDigBrowse::AccountCodeOf(const QString &name)
{
    return MdlDigest::NullToStr(FromTo(QStringLiteral("cCode_Name"), name, QStringLiteral("cCode"),
                                       QStringLiteral("Code")));
}

// The code to store for the account cell of a row: the one just chosen, else the one settled for
// the row with the name the cell still shows, else the one found again by the name.
QString frmDigBrowse::AccountCodeFor(long row)
{
    if (!mstrRefCode.trimmed().isEmpty())
        return mstrRefCode;
    const QString name = SpGrdDig->text(row, 3);
    if (name.isEmpty())
        return {};
    if (!mstrRowAccountCode.isEmpty() && name == mstrRowAccountName)
        return mstrRowAccountCode;
    return AccountCodeOf(name);
}

QVariant frmDigBrowse::FromTo(const QString &strFrom, const QString &strFromValue,
                              const QString &strTo, const QString &strTable)
{
    const std::shared_ptr<DataKit::Recordset> found = dbs->OpenRecordset(
        SqlText::FromToStatement(strFrom, strFromValue, strTo, strTable), DataKit::dbOpenDynaset);
    if (found->isEOF() && found->isBOF())
        return {};
    return found->Fields(QStringLiteral("Code")).toString().trimmed();
}
