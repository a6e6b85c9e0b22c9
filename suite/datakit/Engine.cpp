// Which engine a target names, statements sent one after the other, and what every engine's field
// text means as a value.
#include "Engine.h"

#include "KitText.h"
#include "PostgresEngine.h"
#include "SqliteEngine.h"

#include <QFileInfo>

namespace DataKit {

std::unique_ptr<Engine> Engine::forTarget(const QString &target, bool createIfMissing)
{
    if (target.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive) ||
        target.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive))
        return std::make_unique<PostgresEngine>(target);
    const auto cannotOpen = [&](const QString &reason) {
        return Error(errCannotOpen, cannotOpenDescription(target, reason));
    };
    if (target.isEmpty())
        throw cannotOpen(QStringLiteral("没有给出数据库文件名。"));
    const QFileInfo file(target);
    if (!file.exists() && !createIfMissing)
        throw cannotOpen(QStringLiteral("找不到该文件。"));
    if (file.exists() && !file.isFile())
        throw cannotOpen(QStringLiteral("它不是文件。"));
    return std::make_unique<SqliteEngine>(file.absoluteFilePath());
}

Failure Engine::batch(QList<BatchStatement> &statements, qsizetype *failedAt)
{
    return runInTurn(*this, statements, failedAt);
}

Failure runInTurn(Engine &engine, QList<BatchStatement> &statements, qsizetype *failedAt)
{
    for (qsizetype i = 0; i < statements.size(); ++i) {
        BatchStatement &s = statements[i];
        const Failure failure = s.rows ? engine.read(s.sql, s.binds, *s.rows)
                                       : engine.write(s.sql, s.binds, &s.affected);
        if (failure) {
            *failedAt = i;
            return failure;
        }
    }
    return std::nullopt;
}

QVariant cellValue(const FieldText &field, CellKind kind)
{
    if (field.isNull())
        return {};
    switch (kind) {
    case CellKind::Integer:
        return QByteArrayView(field.bytes()).toLongLong();
    case CellKind::Real:
        return QByteArrayView(field.bytes()).toDouble();
    case CellKind::Bool:
        return field.size > 0 && field.data[0] == 't';
    case CellKind::Bytes:
        return QByteArray(field.data, field.size);
    case CellKind::Text:
        break;
    }
    return QString::fromUtf8(field.bytes());
}

} // namespace DataKit
