#include "AccountList.h"

#include <QTreeWidget>

namespace kvtest {

QTreeWidget *accountList(QWidget *dialog)
{
    return dialog->findChild<QTreeWidget *>(QStringLiteral("accountList"));
}

QStringList shownCodes(QWidget *dialog)
{
    QStringList codes;
    QTreeWidget *list = accountList(dialog);
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        if (!list->topLevelItem(i)->isHidden())
            codes << list->topLevelItem(i)->text(0);
    }
    return codes;
}

} // namespace kvtest
