#include "DataKitError.h"

#include "KitText.h"

namespace DataKit {

Error::Error(long number, QString description, QString detail)
    : m_number(number)
    , m_description(std::move(description))
    , m_detail(std::move(detail))
    , m_what(QStringLiteral("DataKit error %1: %2 %3")
                 .arg(number)
                 .arg(m_description, m_detail)
                 .trimmed()
                 .toStdString())
{
}

QString kitDescription(long number, const QString &specifics)
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
    case errNoPermission:
        sentence = QStringLiteral("没有使用该数据库对象的权限。");
        break;
    case errDiskFull:
        sentence = QStringLiteral("磁盘已满或系统资源不足，不能完成操作。");
        break;
    case errIo:
        sentence = QStringLiteral("磁盘或网络错误。");
        break;
    case errConnectionLost:
        sentence = QStringLiteral("与数据库的连接已断开，下一次操作时将重新连接。");
        break;
    case errNullNotAllowed:
        sentence = QStringLiteral("字段不能为空值。");
        break;
    case errTypeMismatch:
        sentence = QStringLiteral("数据类型不匹配。");
        break;
    case errNoDatabase:
        sentence = QStringLiteral("对象无效或已关闭。");
        break;
    case errCannotOpen:
        sentence = QStringLiteral("不能打开数据库。");
        break;
    case errNoTransaction:
        sentence = QStringLiteral("没有已开始的事务，不能提交或回滚。");
        break;
    case errSyntax:
        sentence = QStringLiteral("SQL 语句错误。");
        break;
    default:
        // Every failure the user sees says something: the engine's own words are only a detail.
        sentence = QStringLiteral("数据库操作失败。");
        break;
    }
    if (specifics.isEmpty())
        return sentence;
    return sentence + QLatin1Char(' ') + specifics;
}

QString cannotOpenDescription(const QString &target, const QString &reason)
{
    if (target.isEmpty())
        return QStringLiteral("不能打开数据库：") + reason;
    return QStringLiteral("不能打开数据库“%1”：%2").arg(target, reason);
}

} // namespace DataKit
