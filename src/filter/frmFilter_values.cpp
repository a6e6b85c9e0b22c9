// The "可能取值" lists: the distinct values the table holds, read into a box's drop-down list.
#include "frmFilter.h"

#include "Database.h"
#include "ErrorInfo.h"
#include "MdlDigest.h"
#include "MessageBox.h"
#include "Recordset.h"
#include "SqlTexts.h"
#include "StringTable.h"

#include <QComboBox>
#include <QScopeGuard>
#include <QStringList>

namespace {

struct ValueList
{
    QString (*query)();
    const char *field;
};

// Per box: the query of distinct (value, account name) pairs and the field listed. The account
// box lists account names.
const ValueList kValueLists[] = {
    {SqlText::CodeValueList, "cID"},
    {SqlText::TextValueList, "ctext"},
    {SqlText::AccountValueList, "ccode_name"},
};

} // namespace

void frmFilter::cmdValue_Click(int box)
{
    const ValueList &list = kValueLists[box];
    QComboBox *combo = mBoxes[box];
    try {
        mValueLists[box].reset();
        mValueLists[box] = dbs->OpenRecordset(list.query(), DataKit::dbOpenDynaset);
        DataKit::Recordset &values = *mValueLists[box];
        if (values.RecordCount() > 0)
            values.MoveFirst();
        combo->clear();
        combo->clearEditText();
        // Whatever was read reaches the list, also when reading stops half-way.
        QStringList read;
        const auto listRead = qScopeGuard([&] {
            combo->addItems(read);
            combo->setCurrentIndex(-1); // a filled list selects nothing: the box stays empty
        });
        const QString field = QString::fromLatin1(list.field);
        while (!values.isEOF()) {
            const QString value = MdlDigest::NullToStr(values.Fields(field));
            if (!value.isEmpty())
                read.append(value);
            values.MoveNext();
        }
    } catch (const std::exception &error) {
        // The dialog stays usable with what the list holds; the user learns why it is short.
        MsgBox(this, ReadFailureText(FailureOf(error)), LoadResString(17), MsgIcon::Error);
    }
}
