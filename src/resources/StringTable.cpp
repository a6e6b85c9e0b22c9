#include "StringTable.h"

#include <QHash>
#include <stdexcept>

QString LoadResString(int id)
{
    static const QHash<int, QString> strings{
        {1, QStringLiteral("常用摘要")},
        {2, QStringLiteral("摘要")},
        {3, QStringLiteral("常用摘要编码")},
        {4, QStringLiteral("确实要删除")},
        {5, QStringLiteral("吗")},
        {6, QStringLiteral("没有选定")},
        {7, QStringLiteral("请选择")},
        {8, QStringLiteral("常用摘要正文")},
        {9, QStringLiteral("删除")},
        {10, QStringLiteral("放弃")},
        {11, QStringLiteral("查询")},
        {12, QStringLiteral("过滤")},
        {13, QStringLiteral("打印")},
        {14, QStringLiteral("帮助")},
        {15, QStringLiteral("退出")},
        {17, QStringLiteral("提示信息")},
        {18, QStringLiteral("不能为空，请输入！")},
        {23, QStringLiteral("别的用户以独占方式打开数据库，不能打开表！")},
        {63, QStringLiteral("增加")},
        {84, QStringLiteral("该记录已被他人锁定使用，不能修改！")},
        {85, QStringLiteral("字段太长，不能保存！")},
        {104, QStringLiteral("该")},
        {105, QStringLiteral("已经存在，不能增加或修改！")},
        {106, QStringLiteral("已经在其它数据表中使用，不能修改或删除！")},
        {107, QStringLiteral("已经被他人删除，不能保存！")},
        {111, QStringLiteral("相关科目")},
        {112, QStringLiteral("科目编码")},
        {113, QStringLiteral("科目名称")},
        {114, QStringLiteral("科目参照")},
        {117, QStringLiteral("刷新")},
        {118, QStringLiteral("过滤条件")},
        {119, QStringLiteral("查找条件")},
        {120, QStringLiteral("可能取值")},
        {123, QStringLiteral("没有符合条件的记录")},
        {128, QStringLiteral("确实要删除选中的一组记录吗")},
        {132, QStringLiteral("意外错误，请稍后再试一次！")},
        {133, QStringLiteral("没有默认打印机，请安装打印机后再试一次！")},
        {135, QStringLiteral("预览")},
        {136, QStringLiteral("输出")},
        {137, QStringLiteral("设置")},
        {138, QStringLiteral("打印设置")},
        {139, QStringLiteral("常用摘要助记码")},
    };
    const auto it = strings.constFind(id);
    if (it == strings.constEnd())
        throw std::out_of_range("no string " + std::to_string(id) + " in the string table");
    return *it;
}

QString LoadResStrings(std::initializer_list<int> ids)
{
    QString text;
    for (int id : ids)
        text += LoadResString(id);
    return text;
}
