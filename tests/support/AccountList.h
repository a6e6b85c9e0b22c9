#pragma once

#include <QStringList>

class QTreeWidget;
class QWidget;

// The account reference's list, read as the user sees it.
namespace kvtest {

QTreeWidget *accountList(QWidget *dialog);
// Codes of the rows the list shows, top to bottom.
QStringList shownCodes(QWidget *dialog);

} // namespace kvtest
