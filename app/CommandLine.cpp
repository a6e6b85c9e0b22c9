#include "CommandLine.h"

namespace {

// The toolkit's options that take a value in the next argument.
bool toolkitOptionWithValue(const QString &arg)
{
    static const QStringList withValue = {"-platform",
                                          "-platformpluginpath",
                                          "-platformtheme",
                                          "-plugin",
                                          "-style",
                                          "-stylesheet",
                                          "-session",
                                          "-display",
                                          "-geometry",
                                          "-title",
                                          "-name",
                                          "-visual",
                                          "-qwindowgeometry",
                                          "-qwindowtitle",
                                          "-qwindowicon"};
    return withValue.contains(arg);
}

bool isToolkitOption(const QString &arg)
{
    return arg.startsWith(u'-') && !arg.startsWith(QLatin1String("--")) && arg.size() > 1;
}

QString checked(const CommandLine &line)
{
    const bool import = line.command == QLatin1String("import");
    if (line.transfers() && line.file.isEmpty())
        return line.command + QStringLiteral(" needs a FILE");
    if ((line.dryRun || line.strict) && !import)
        return QStringLiteral("--dry-run and --strict go with import");
    if (line.readOnly && !line.command.isEmpty())
        return QStringLiteral("--read-only goes with the window, not with %1").arg(line.command);
    if (line.mnemonic && (!line.command.isEmpty() || line.readOnly || !line.database.isEmpty()))
        return QStringLiteral("--mnemonic takes texts only");
    return {};
}

} // namespace

CommandLine ReadCommandLine(const QStringList &arguments)
{
    static const QStringList commands = {"import", "export", "voucher"};
    CommandLine line;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &arg = arguments.at(i);
        if (line.mnemonic) {
            line.texts << arg;
        } else if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            line.help = true;
        } else if (arg == QLatin1String("--version")) {
            line.version = true;
        } else if (arg == QLatin1String("--mnemonic")) {
            line.mnemonic = true;
        } else if (arg == QLatin1String("--dry-run")) {
            line.dryRun = true;
        } else if (arg == QLatin1String("--strict")) {
            line.strict = true;
        } else if (arg == QLatin1String("--read-only")) {
            line.readOnly = true;
        } else if (arg == QLatin1String("--database") && i + 1 < arguments.size()) {
            line.database = arguments.at(++i);
        } else if (arg.startsWith(QLatin1String("--database="))) {
            line.database = arg.mid(11);
        } else if (isToolkitOption(arg)) {
            i += toolkitOptionWithValue(arg) ? 1 : 0;
        } else if (line.command.isEmpty() && commands.contains(arg)) {
            line.command = arg;
        } else if (line.transfers() && line.file.isEmpty() && !arg.startsWith(u'-')) {
            line.file = arg;
        } else {
            line.problem = QStringLiteral("unknown option or argument: %1").arg(arg);
            return line;
        }
    }
    if (!line.help && !line.version)
        line.problem = checked(line);
    return line;
}

const char kCommandLineHelp[] =
    "usage: kvdigest [--database PATH|postgresql://[USER@][HOST][:PORT][/DB][?service=NAME]]"
    " [--read-only]\n"
    "       kvdigest --mnemonic [TEXT...]   (no TEXT: one text per line from standard input)\n"
    "       kvdigest import FILE.csv|FILE.xlsx [--dry-run] [--strict] [--database ...]\n"
    "       kvdigest export FILE.csv|FILE.xlsx [--database ...]\n"
    "       kvdigest voucher [--database ...]\n"
    "       kvdigest --help | --version\n"
    "\n"
    "常用摘要：打开常用摘要窗口；选项可以写在命令之前或之后。\n"
    "Common summaries: opens the window; options may stand before or after the command.\n"
    "\n"
    "  (无命令 / no command)\n"
    "      打开常用摘要窗口。--read-only 只读打开。\n"
    "      Opens the common summaries window; --read-only opens it read-only.\n"
    "  --mnemonic [TEXT...]\n"
    "      输出每个正文的助记码（拼音首字母，收到货款 → SDHK），每行一个；没有 TEXT 时从标准输入\n"
    "      逐行读取 UTF-8 文字。\n"
    "      Prints the mnemonic (pinyin initials) of each text, one per line; without TEXT reads\n"
    "      UTF-8 lines from standard input.\n"
    "  import FILE\n"
    "      从 CSV 文件（UTF-8 或 GB18030）或 Excel 工作簿（.xlsx，第一个工作表）导入。标题行：\n"
    "      常用摘要编码、常用摘要正文，可选 "
    "常用摘要助记码、相关科目（科目编码或名称）。已有的编码\n"
    "      只修改文件中有且不同的单元格，其他的增加；被拒绝的行连同行号和原因列出。\n"
    "      --dry-run 只检查并报告，不写入；--strict 有任何一行被拒绝时什么也不写入。\n"
    "      Imports from a CSV file (UTF-8 or GB18030) or a workbook (.xlsx, its first sheet) "
    "whose\n"
    "      heading row names 常用摘要编码 and 常用摘要正文, optionally 常用摘要助记码 and "
    "相关科目\n"
    "      (an account code or name). A stored code changes only the cells the file gives that\n"
    "      differ; other rows are added; refused rows are listed with their line and reason.\n"
    "      --dry-run checks and reports only; --strict writes nothing when any row is refused.\n"
    "  export FILE\n"
    "      把所有常用摘要按编码顺序导出为 CSV（带 BOM 的 UTF-8）或 Excel "
    "工作簿，由文件扩展名决定；\n"
    "      导出的文件可以原样导入。\n"
    "      Writes every summary in code order as CSV (UTF-8 with a byte order mark) or a "
    "workbook,\n"
    "      by the file's ending; the file imports back unchanged.\n"
    "  voucher\n"
    "      打开记账凭证：在摘要列输入编码、助记码或文字即列出相符的常用摘要，选中的摘要带出\n"
    "      相关科目；没有选中的文字可以存为常用摘要；保存（Ctrl+S）把分录存为新凭证。\n"
    "      Opens a voucher entry screen: typing a code, pinyin initials or text in the 摘要\n"
    "      column lists the matching summaries, the picked one fills in its account; a typed\n"
    "      text may be kept as a new summary; 保存 (Ctrl+S) stores the lines as a new voucher.\n"
    "\n"
    "退出码 / exit codes: 0 完成 done, 1 有被拒绝的行 rows refused, 2 命令行错误 usage,\n"
    "  3 不能打开数据库（或其中的凭证分录）no database (or its voucher lines),\n"
    "  4 不能打开常用摘要列表 no listing,\n"
    "  5 什么也没做（文件、标题行或数据库出错）nothing done (the file, its headings or the "
    "database\n"
    "  failed).\n"
    "\n"
    "数据库 / the database:\n"
    "  没有 --database 时使用 ~/.local/share/kvdigest/ledger.db（第一次使用时建立，带演示数据）。\n"
    "  Without --database: ~/.local/share/kvdigest/ledger.db (made with demo data on first use).\n"
    "  PostgreSQL：地址中不要写密码。密码放在 PGPASSWORD 或 ~/.pgpass（权限 0600），\n"
    "  或者用 ~/.pg_service.conf 中的服务：--database postgresql://?service=NAME。\n"
    "  PostgreSQL: keep the password out of the address: PGPASSWORD, ~/.pgpass (mode 0600), or a\n"
    "  service of ~/.pg_service.conf: --database postgresql://?service=NAME. PGHOST, PGPORT,\n"
    "  PGDATABASE and PGUSER fill in what the address leaves out.\n";
