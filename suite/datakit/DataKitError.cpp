#include "DataKitError.h"

#include "KitText.h"

namespace DataKit {

Error::Error(long number, QString description)
    : m_number(number)
    , m_description(std::move(description))
    , m_what(QStringLiteral("DataKit error %1: %2").arg(number).arg(m_description).toStdString())
{
}

QString kitDescription(long number, const QString &detail)
{
    QString sentence;
    switch (number) {
    case errNoCurrentRecord:
        sentence = QStringLiteral("无当前记录。");
        break;
    case errDuplicate:
        sentence = QStringLiteral("不能保存：索引、主关键字或关系中出现重复值。");
        break;
    case errFieldTooLong:
        sentence = QStringLiteral("字段太小，不能接受所要添加的数据。");
        break;
    case errDeletedByOther:
        sentence = QStringLiteral("记录已被删除。");
        break;
    case errInUseByOtherTables:
        sentence = QStringLiteral("不能删除或更改记录：其它表中有相关记录。");
        break;
    case errLockedByOther:
        sentence = QStringLiteral("记录已被其他用户锁定，不能更新。");
        break;
    case errHeldExclusively:
        sentence = QStringLiteral("表已被其他用户以独占方式打开，不能打开。");
        break;
    case errValidationRule:
        sentence = QStringLiteral("值不符合表的有效性规则，不能保存。");
        break;
    case errNotUpdatable:
        sentence = QStringLiteral("不能更新。数据库或对象为只读。");
        break;
    case errNoDatabase:
        sentence = QStringLiteral("对象无效或已关闭。");
        break;
    case errCannotOpen:
        sentence = QStringLiteral("不能打开数据库。");
        break;
    case errSyntax:
        sentence = QStringLiteral("SQL 语句错误。");
        break;
    default:
        break;
    }
    if (sentence.isEmpty())
        return detail;
    if (detail.isEmpty())
        return sentence;
    return sentence + QLatin1Char(' ') + detail;
}

} // namespace DataKit
