#include "MdlDigest.h"

#include "Database.h"
#include "MessageBox.h"
#include "ObjectRegistry.h"
#include "Recordset.h"
#include "StringTable.h"

#include <QObject>

namespace MdlDigest {

std::shared_ptr<DataKit::Database> gdbObject;

QString NullToStr(const QVariant &value)
{
    return value.isNull() ? QString() : value.toString();
}

QVariant StrToNull(const QString &text)
{
    return text.isEmpty() ? QVariant() : QVariant(text);
}

std::shared_ptr<DataKit::Recordset> OpenRec(const std::shared_ptr<DataKit::Database> &database,
                                            const QString &sql, bool readonly,
                                            const QString &caption)
{
    try {
        if (!database)
            return nullptr;
        return database->OpenRecordset(sql,
                                       readonly ? DataKit::dbOpenSnapshot : DataKit::dbOpenDynaset);
    } catch (const DataKit::Error &error) {
        if (error.number() == DataKit::errHeldExclusively)
            MsgBox(nullptr, LoadResString(23) + caption, LoadResString(17), MsgIcon::Error);
    } catch (const std::exception &) {
        // Any other reason: the caller learns it from the missing recordset.
    }
    return nullptr;
}

QString CurrentSessionId()
{
    try {
        const std::unique_ptr<QObject> console =
            ObjectRegistry::CreateObject(QStringLiteral("SeatMisc.Console"));
        QString id;
        if (!QMetaObject::invokeMethod(console.get(), "GetSessionId", Qt::DirectConnection,
                                       Q_RETURN_ARG(QString, id)))
            return {};
        return id;
    } catch (const std::exception &) {
        return {};
    }
}

} // namespace MdlDigest
