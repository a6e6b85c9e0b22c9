#include "FailureTexts.h"

#include <cerrno>
#include <xlsxwriter.h>

namespace {

struct CodeText
{
    int code;
    const char *text;
};

const CodeText kSystemErrors[] = {
    {ENOSPC, "磁盘空间不足。"},
    {EDQUOT, "超出了磁盘配额。"},
    {EFBIG, "文件超过了允许的大小。"},
    {EACCES, "没有写入权限。"},
    {EPERM, "不允许进行此操作。"},
    {EROFS, "磁盘是只读的。"},
    {ENOENT, "文件夹不存在。"},
    {ENOTDIR, "路径中有一部分不是文件夹。"},
    {EISDIR, "这是一个文件夹。"},
    {EIO, "读写磁盘时发生错误。"},
    {ENAMETOOLONG, "文件名太长。"},
    {ELOOP, "路径中的符号链接太多。"},
    {EMFILE, "打开的文件太多。"},
    {ENFILE, "系统打开的文件太多。"},
    {ENOMEM, "内存不足。"},
    {EBUSY, "文件正被使用。"},
    {ETXTBSY, "文件正被使用。"},
    {EXDEV, "不能跨磁盘移动文件。"},
    {EINVAL, "文件系统不支持此操作。"},
    {EOPNOTSUPP, "文件系统不支持此操作。"},
    {ESTALE, "网络文件已失效。"},
};

const CodeText kWorkbookErrors[] = {
    {LXW_ERROR_MEMORY_MALLOC_FAILED, "内存不足。"},
    {LXW_ERROR_CREATING_XLSX_FILE, "不能建立工作簿文件。"},
    {LXW_ERROR_CREATING_TMPFILE, "不能建立临时文件。"},
    {LXW_ERROR_READING_TMPFILE, "不能读取临时文件。"},
    {LXW_ERROR_ZIP_FILE_OPERATION, "写入压缩文件时发生错误。"},
    {LXW_ERROR_ZIP_PARAMETER_ERROR, "压缩文件的参数错误。"},
    {LXW_ERROR_ZIP_BAD_ZIP_FILE, "工作簿太大，不能压缩。"},
    {LXW_ERROR_ZIP_INTERNAL_ERROR, "压缩文件时发生内部错误。"},
    {LXW_ERROR_ZIP_FILE_ADD, "不能向压缩文件中添加内容。"},
    {LXW_ERROR_ZIP_CLOSE, "不能完成压缩文件。"},
    {LXW_ERROR_MAX_STRING_LENGTH_EXCEEDED, "单元格的文字超过了 32767 个字符。"},
    {LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE, "行数超过了工作表的上限。"},
};

QString lookUp(const CodeText *begin, const CodeText *end, int code, const char *otherwise)
{
    for (const CodeText *each = begin; each != end; ++each) {
        if (each->code == code)
            return QString::fromUtf8(each->text);
    }
    return QString::fromUtf8(otherwise).arg(code);
}

} // namespace

QString systemErrorText(int error)
{
    return lookUp(std::begin(kSystemErrors), std::end(kSystemErrors), error,
                  "系统错误（错误号 %1）。");
}

QString workbookErrorText(int error)
{
    return lookUp(std::begin(kWorkbookErrors), std::end(kWorkbookErrors), error,
                  "生成工作簿时发生错误（错误号 %1）。");
}
