#include "PerfLedger.h"

#include "Database.h"
#include "HostSchema.h"
#include "PinyinInitial.h"

#include <QFile>
#include <QRandomGenerator>
#include <QStringList>
#include <QUrl>

#include <libpq-fe.h>
#include <sqlite3.h>

#include <stdexcept>

namespace {

const char *const kWords[] = {
    "收到", "支付",   "货款", "预付",   "预收",   "银行",   "存款",   "利息",   "手续费", "提取",
    "现金", "备用金", "报销", "差旅费", "办公费", "招待费", "运输费", "广告费", "水电费", "租金",
    "工资", "奖金",   "社保", "公积金", "个人",   "所得税", "增值税", "附加税", "印花税", "计提",
    "本月", "折旧",   "摊销", "结转",   "成本",   "收入",   "主营",   "业务",   "其他",   "往来",
    "款项", "材料",   "采购", "入库",   "出库",   "领用",   "销售",   "退货",   "折扣",   "佣金",
    "押金", "保证金", "退回", "借款",   "还款",   "利润",   "分配",   "调整",   "汇兑",   "损益",
    "核销", "坏账",   "准备", "固定",   "资产",   "购置",   "处置",   "维修",   "保险",   "审计",
    "咨询", "培训",   "会议", "通讯",   "快递",   "燃油",   "过路",   "停车",   "物业",   "装修",
    "软件", "服务",   "年度", "季度",   "上月",   "分公司", "总部",   "客户",   "供应商", "重庆",
    "上海", "北京",   "深圳", "项目",   "合同",   "发票",   "冲销",   "暂估",   "应付",   "应收",
    "票据", "贴现",   "承兑", "转账",   "退款",   "补贴",
};

const char *const kAccountHeads[] = {
    "库存现金",   "银行存款", "应收账款", "预付账款",     "其他应收款",
    "原材料",     "库存商品", "固定资产", "累计折旧",     "无形资产",
    "短期借款",   "应付账款", "预收账款", "应付职工薪酬", "应交税费",
    "其他应付款", "实收资本", "本年利润", "主营业务收入", "主营业务成本",
    "销售费用",   "管理费用", "财务费用", "营业外收入",   "营业外支出",
};

const char *const kAccountBranches[] = {
    "工商银行", "建设银行", "农业银行", "中国银行", "招商银行", "交通银行", "华东区", "华南区",
    "华北区",   "西南区",   "办公室",   "财务部",   "销售部",   "采购部",   "生产部", "研发部",
    "仓储部",   "人事部",   "甲公司",   "乙公司",   "丙公司",   "丁公司",   "戊公司", "己公司",
    "庚公司",   "辛公司",   "壬公司",   "癸公司",   "一车间",   "二车间",   "三车间", "四车间",
    "五车间",   "差旅",     "办公",     "业务招待", "水电",     "租赁",     "运输",   "广告",
    "折旧",     "保险",     "修理",     "咨询",     "审计",     "培训",     "通讯",   "汇兑",
    "利息",     "手续费",   "其他",
};

constexpr int kAccounts = 2000;

QString textOfLength(QRandomGenerator &random, int length)
{
    QString text;
    while (text.size() < length)
        text += QString::fromUtf8(kWords[random.bounded(int(std::size(kWords)))]);
    return text.left(length);
}

void check(int rc, sqlite3 *db)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
        throw std::runtime_error(sqlite3_errmsg(db));
}

void sqliteRun(sqlite3 *db, const char *sql)
{
    check(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), db);
}

// Fills a table through one prepared INSERT inside one transaction.
template <typename Rows, typename Bind>
void sqliteInsert(sqlite3 *db, const char *sql, const Rows &rows, Bind bind)
{
    sqlite3_stmt *statement = nullptr;
    check(sqlite3_prepare_v2(db, sql, -1, &statement, nullptr), db);
    for (const auto &row : rows) {
        bind(statement, row);
        check(sqlite3_step(statement), db);
        sqlite3_reset(statement);
    }
    sqlite3_finalize(statement);
}

void bindText(sqlite3_stmt *statement, int column, const QByteArray &text)
{
    if (text.isEmpty())
        sqlite3_bind_null(statement, column);
    else
        sqlite3_bind_text(statement, column, text.constData(), int(text.size()), SQLITE_STATIC);
}

void pgRun(PGconn *conn, const char *sql)
{
    PGresult *result = PQexec(conn, sql);
    const ExecStatusType status = PQresultStatus(result);
    PQclear(result);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK && status != PGRES_COPY_IN)
        throw std::runtime_error(PQerrorMessage(conn));
}

void pgCopy(PGconn *conn, const char *copy, const QByteArray &data)
{
    pgRun(conn, copy);
    if (PQputCopyData(conn, data.constData(), int(data.size())) != 1 ||
        PQputCopyEnd(conn, nullptr) != 1)
        throw std::runtime_error(PQerrorMessage(conn));
    PGresult *result = PQgetResult(conn);
    const bool ok = PQresultStatus(result) == PGRES_COMMAND_OK;
    PQclear(result);
    if (!ok)
        throw std::runtime_error(PQerrorMessage(conn));
}

QByteArray copyField(const QByteArray &text)
{
    return text.isEmpty() ? QByteArray("\\N") : text;
}

} // namespace

std::vector<PerfLedger::Account> PerfLedger::chart()
{
    std::vector<Account> accounts;
    const int heads = int(std::size(kAccountHeads));
    const int branches = int(std::size(kAccountBranches));
    for (int i = 0; i < kAccounts; ++i) {
        const int head = i % heads;
        const int branch = i / heads;
        const QString name = QString::fromUtf8(kAccountHeads[head]) + QLatin1Char('-') +
                             QString::fromUtf8(kAccountBranches[branch % branches]) +
                             (branch >= branches ? QStringLiteral("二") : QString());
        accounts.push_back({QStringLiteral("%1%2")
                                .arg(1001 + head * 13)
                                .arg(branch, 2, 10, QLatin1Char('0'))
                                .toUtf8(),
                            name.toUtf8()});
    }
    return accounts;
}

PerfLedger::PerfLedger(int summaries, quint32 seed)
    : m_accounts(chart())
{
    QRandomGenerator random(seed);
    // Codes of six digits spread over all of them, in code order, as a ledger numbers its
    // summaries.
    const int span = 1000000;
    const int step = std::max(1, span / std::max(1, summaries));
    m_summaries.reserve(size_t(summaries));
    for (int i = 0; i < summaries; ++i) {
        const int number = i * step + int(random.bounded(step));
        const QString text = textOfLength(random, 4 + random.bounded(17));
        const int pick = random.bounded(100);
        QByteArray account;
        if (pick >= 7)
            account = m_accounts[size_t(random.bounded(kAccounts))].code;
        else if (pick >= 5)
            account = "9999" + QByteArray::number(random.bounded(100)); // no longer in the chart
        m_summaries.push_back({QStringLiteral("%1").arg(number, 6, 10, QLatin1Char('0')).toUtf8(),
                               text.toUtf8(), MnemonicOf(text).toUtf8(), account});
    }
}

void PerfLedger::writeSqlite(const QString &path) const
{
    {
        auto db = DataKit::Database::open(path, true);
        HostSchema::create(*db);
    }
    sqlite3 *db = nullptr;
    if (sqlite3_open(QFile::encodeName(path).constData(), &db) != SQLITE_OK)
        throw std::runtime_error("cannot open the benchmark's ledger");
    sqliteRun(db, "BEGIN");
    sqliteInsert(db, "INSERT INTO Code (cCode, cCode_Name) VALUES (?, ?)", m_accounts,
                 [](sqlite3_stmt *s, const Account &a) {
                     bindText(s, 1, a.code);
                     bindText(s, 2, a.name);
                 });
    sqliteInsert(db, "INSERT INTO GL_bDigest (cId, cText, chelp, cCode) VALUES (?, ?, ?, ?)",
                 m_summaries, [](sqlite3_stmt *s, const Summary &row) {
                     bindText(s, 1, row.code);
                     bindText(s, 2, row.text);
                     bindText(s, 3, row.mnemonic);
                     bindText(s, 4, row.account);
                 });
    sqliteRun(db, "COMMIT");
    sqliteRun(db, "ANALYZE");
    sqlite3_close(db);
}

void PerfLedger::writePostgres(const QString &url) const
{
    {
        auto db = DataKit::Database::open(url);
        HostSchema::create(*db);
    }
    PGconn *conn = PQconnectdb(PostgresConnectionInfo(url).constData());
    if (PQstatus(conn) != CONNECTION_OK)
        throw std::runtime_error(PQerrorMessage(conn));
    QByteArray accounts;
    for (const Account &a : m_accounts)
        accounts += a.code + '\t' + a.name + '\n';
    pgCopy(conn, "COPY Code (cCode, cCode_Name) FROM STDIN", accounts);
    QByteArray summaries;
    for (const Summary &row : m_summaries)
        summaries +=
            row.code + '\t' + row.text + '\t' + row.mnemonic + '\t' + copyField(row.account) + '\n';
    pgCopy(conn, "COPY GL_bDigest (cId, cText, chelp, cCode) FROM STDIN", summaries);
    pgRun(conn, "ANALYZE");
    PQfinish(conn);
}

QByteArray PostgresConnectionInfo(const QString &url)
{
    const QUrl u(url);
    QStringList parts;
    if (!u.host().isEmpty())
        parts << QStringLiteral("host=") + u.host();
    if (u.port() != -1)
        parts << QStringLiteral("port=") + QString::number(u.port());
    if (!u.userName().isEmpty())
        parts << QStringLiteral("user=") + u.userName();
    if (u.path().size() > 1)
        parts << QStringLiteral("dbname=") + u.path().mid(1);
    return parts.join(QLatin1Char(' ')).toUtf8();
}
