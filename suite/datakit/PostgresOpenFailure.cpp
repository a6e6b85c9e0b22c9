// What a PostgreSQL open that failed is told as: the server's SQLSTATE when it answered, libpq's
// reach of the server when it did not. A failed link's message carries neither, so the server is
// asked once more.
#include "PostgresSession.h"

#include "DataKitError.h"
#include "KitText.h"

#include <QRegularExpression>

#include <libpq-fe.h>
#include <poll.h>

#include <memory>
#include <vector>

namespace DataKit {

namespace {

// The SQLSTATE the server refused the session with; "" when none came. The probe's messages are
// set to carry the code alone ("FATAL:  3D000"): nothing of the server's wording is read.
QString refusalState(const PostgresParamArrays &params)
{
    const std::unique_ptr<PGconn, decltype(&PQfinish)> probe(
        PQconnectStartParams(params.keys.data(), params.values.data(), 0), &PQfinish);
    if (!probe || PQstatus(probe.get()) == CONNECTION_BAD)
        return {};
    PQsetErrorVerbosity(probe.get(), PQERRORS_SQLSTATE);
    PostgresPollingStatusType status = PGRES_POLLING_WRITING;
    while (status != PGRES_POLLING_OK && status != PGRES_POLLING_FAILED) {
        pollfd wait{PQsocket(probe.get()),
                    short(status == PGRES_POLLING_READING ? POLLIN : POLLOUT), 0};
        if (::poll(&wait, 1, 5000) <= 0)
            return {};
        status = PQconnectPoll(probe.get());
    }
    static const QRegularExpression code(QStringLiteral(":  ([0-9A-Z]{5})$"),
                                         QRegularExpression::MultilineOption);
    QString state;
    for (auto it = code.globalMatch(QString::fromUtf8(PQerrorMessage(probe.get()))); it.hasNext();)
        state = it.next().captured(1);
    return state;
}

QString reasonOfState(const QString &state)
{
    static const struct
    {
        const char *state;
        const char *reason;
    } reasons[] = {
        {"3D000", "数据库不存在。"},
        {"28P01", "密码不正确，身份验证失败。"},
        {"28000", "用户（角色）不存在，或不允许以此方式登录。"},
        {"42501", "没有连接该数据库的权限。"},
        {"53300", "数据库服务器的连接数已满。"},
        {"57P03", "数据库服务器正在启动或关闭，暂不接受连接。"},
    };
    for (const auto &entry : reasons) {
        if (state == QLatin1String(entry.state))
            return QString::fromUtf8(entry.reason);
    }
    return QStringLiteral("数据库服务器拒绝了连接。");
}

} // namespace

Error postgresOpenFailure(const PostgresParams &params, const QString &shown,
                          const QString &engineText)
{
    const PostgresParamArrays arrays(params);
    QString reason;
    switch (PQpingParams(arrays.keys.data(), arrays.values.data(), 0)) {
    case PQPING_NO_RESPONSE:
        reason = QStringLiteral("数据库服务器没有响应。");
        break;
    case PQPING_NO_ATTEMPT:
        reason = QStringLiteral("连接参数无效。");
        break;
    case PQPING_REJECT:
        reason = reasonOfState(QStringLiteral("57P03"));
        break;
    case PQPING_OK:
        reason = reasonOfState(refusalState(arrays));
        break;
    }
    return Error(errCannotOpen, cannotOpenDescription(shown, reason), engineText);
}

} // namespace DataKit
