#include "HostSchema.h"

#include "Database.h"
#include "Recordset.h"

#include <QStringList>

namespace HostSchema {

namespace {

struct Account
{
    const char *code;
    const char *name;
};

struct Summary
{
    const char *id;
    const char *text;
    const char *mnemonic;
    const char *account; // nullptr: no related account
};

const Account kAccounts[] = {
    {"1001", "库存现金"},     {"1002", "银行存款"},     {"1012", "其他货币资金"},
    {"1122", "应收账款"},     {"1123", "预付账款"},     {"1221", "其他应收款"},
    {"1403", "原材料"},       {"1405", "库存商品"},     {"1601", "固定资产"},
    {"1602", "累计折旧"},     {"2001", "短期借款"},     {"2202", "应付账款"},
    {"2211", "应付职工薪酬"}, {"2221", "应交税费"},     {"4001", "实收资本"},
    {"6001", "主营业务收入"}, {"6051", "其他业务收入"}, {"6401", "主营业务成本"},
    {"6601", "销售费用"},     {"6602", "管理费用"},     {"6603", "财务费用"},
    {"6711", "营业外支出"},
};

const Summary kSummaries[] = {
    {"01", "收到货款", "SDHK", "1122"},       {"02", "支付货款", "ZFHK", "2202"},
    {"03", "提取现金", "TQXJ", "1001"},       {"04", "现金存入银行", "XJCRYH", "1002"},
    {"05", "报销差旅费", "BXCLF", "6602"},    {"06", "报销办公费", "BXBGF", "6602"},
    {"07", "支付水电费", "ZFSDF", "6602"},    {"08", "计提折旧", "JTZJ", "1602"},
    {"09", "计提工资", "JTGZ", "2211"},       {"10", "发放工资", "FFGZ", "2211"},
    {"11", "缴纳增值税", "JNZZS", "2221"},    {"12", "缴纳个人所得税", "JNGRSDS", "2221"},
    {"13", "销售商品", "XSSP", "6001"},       {"14", "结转销售成本", "JZXSCB", "6401"},
    {"15", "采购原材料", "CGYCL", "1403"},    {"16", "材料入库", "CLRK", "1403"},
    {"17", "预付货款", "YFHK", "1123"},       {"18", "收回欠款", "SHQK", "1122"},
    {"19", "支付广告费", "ZFGGF", "6601"},    {"20", "银行手续费", "YHSXF", "6603"},
    {"21", "收到利息", "SDLX", "6603"},       {"22", "归还短期借款", "GHDQJK", "2001"},
    {"23", "取得短期借款", "QDDQJK", "2001"}, {"24", "购入固定资产", "GRGDZC", "1601"},
    {"25", "收到投资款", "SDTZK", "4001"},    {"26", "职工借款", "ZGJK", "1221"},
    {"27", "收回职工借款", "SHZGJK", "1221"}, {"28", "支付罚款", "ZFFK", "6711"},
    {"29", "其他业务收入", "QTYWSR", "6051"}, {"30", "结转本年利润", "JZBNLR", nullptr},
    {"31", "期末调汇", "QMTH", nullptr},      {"32", "摘要备注", "ZYBZ", nullptr},
};

// Voucher lines that use a few summaries, so that deleting those is refused by the database.
const char *const kUsedSummaries[] = {"01", "02", "03", "05"};

QString quoted(const char *value)
{
    if (!value)
        return QStringLiteral("NULL");
    return QLatin1Char('\'') + QString::fromUtf8(value) + QLatin1Char('\'');
}

} // namespace

QStringList tables()
{
    return {QStringLiteral("Code"), QStringLiteral("GL_bDigest"), QStringLiteral("GL_VoucherLine")};
}

QStringList missingTables(DataKit::Database &db)
{
    QStringList missing;
    for (const QString &name : tables()) {
        try {
            db.OpenRecordset(QStringLiteral("Select * From %1 Where 1=0").arg(name),
                             DataKit::dbOpenSnapshot);
        } catch (const DataKit::Error &error) {
            // Both engines refuse a missing table's name as they refuse any name they do not
            // know; every other failure means the question has no answer yet.
            if (error.number() != DataKit::errSyntax)
                throw;
            missing << name;
        }
    }
    return missing;
}

bool servesTheComponent(const QStringList &missing)
{
    return !missing.contains(QLatin1String("Code")) &&
           !missing.contains(QLatin1String("GL_bDigest"));
}

void create(DataKit::Database &db)
{
    db.Execute(QStringLiteral(
        "CREATE TABLE Code (cCode VARCHAR(40) PRIMARY KEY, cCode_Name VARCHAR(60))"));
    db.Execute(QStringLiteral("CREATE TABLE GL_bDigest (cId VARCHAR(6) PRIMARY KEY, "
                              "cText VARCHAR(60), chelp VARCHAR(60), cCode VARCHAR(40))"));
    db.Execute(QStringLiteral(
        "CREATE TABLE GL_VoucherLine (iVoucher INTEGER NOT NULL, iLine INTEGER NOT NULL, "
        "cDigestId VARCHAR(6) REFERENCES GL_bDigest(cId), cSummary VARCHAR(120), "
        "cCode VARCHAR(40), PRIMARY KEY (iVoucher, iLine))"));
}

void fillDemoData(DataKit::Database &db)
{
    for (const Account &a : kAccounts)
        db.Execute(QStringLiteral("INSERT INTO Code (cCode, cCode_Name) VALUES (%1, %2)")
                       .arg(quoted(a.code), quoted(a.name)));
    for (const Summary &s : kSummaries)
        db.Execute(QStringLiteral(
                       "INSERT INTO GL_bDigest (cId, cText, chelp, cCode) VALUES (%1, %2, %3, %4)")
                       .arg(quoted(s.id), quoted(s.text), quoted(s.mnemonic), quoted(s.account)));
    int line = 1;
    for (const char *id : kUsedSummaries) {
        db.Execute(QStringLiteral("INSERT INTO GL_VoucherLine (iVoucher, iLine, cDigestId, "
                                  "cSummary) VALUES (1, %1, %2, %3)")
                       .arg(line++)
                       .arg(quoted(id), quoted("凭证摘要")));
    }
}

} // namespace HostSchema
