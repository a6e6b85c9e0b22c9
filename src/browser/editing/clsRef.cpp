#include "clsRef.h"

#include "frmDigBrowse.h"

void clsRef::Ref1_Selected(std::shared_ptr<DataKit::Recordset> &recreturn, const QString &Ident)
{
    Q_UNUSED(Ident);
    frmDigBrowse::instance().recRef = recreturn;
}
