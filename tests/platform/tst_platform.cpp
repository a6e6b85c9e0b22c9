// The platform services as a user meets them: message boxes that show their caption whole, and
// help pages that read cleanly.
#include "HelpViewer.h"
#include "MessageBox.h"
#include "ModalDriver.h"
#include "Snapshot.h"
#include "TestDatabase.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

namespace {

QWidget *helpViewer()
{
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window->objectName() == QLatin1String("helpViewer"))
            return window;
    }
    return nullptr;
}

} // namespace

class tst_Platform : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void messageBoxFitsItsCaption_data();
    void messageBoxFitsItsCaption();
    void helpJoinsLinesOfChineseText_data();
    void helpJoinsLinesOfChineseText();
};

void tst_Platform::cleanup()
{
    QTRY_VERIFY(QApplication::topLevelWidgets().isEmpty());
}

void tst_Platform::messageBoxFitsItsCaption_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<MsgIcon>("icon");
    QTest::newRow("short refusal") << "非法科目！"
                                   << "提示信息" << MsgIcon::Error;
    QTest::newRow("no text") << ""
                             << "提示信息" << MsgIcon::Information;
    QTest::newRow("question") << "删除吗?"
                              << "提示信息" << MsgIcon::Question;
    QTest::newRow("long caption") << "找不到。"
                                  << "帮助文件找不到时给出的一个相当长的标题" << MsgIcon::Warning;
}

// The box is at least as wide as its caption in a bold title font beside the window icon and
// three title bar buttons, whatever its text.
void tst_Platform::messageBoxFitsItsCaption()
{
    QFETCH(QString, text);
    QFETCH(QString, caption);
    QFETCH(MsgIcon, icon);
    int width = 0;
    kvtest::ModalDriver modal;
    modal.expectDialog([&](QWidget *box) {
        width = box->width();
        kvtest::snapshot(*box,
                         QStringLiteral("msgbox-") + QString::fromLatin1(QTest::currentDataTag()));
        qobject_cast<QMessageBox *>(box)->buttons().constFirst()->click();
    });
    MsgBox(nullptr, text, caption, icon);
    KV_VERIFY_MODALS(modal);

    QFont titleFont = QApplication::font("QMdiSubWindowTitleBar");
    titleFont.setBold(true);
    const int button = QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight);
    const int needed = QFontMetrics(titleFont).horizontalAdvance(caption) + 4 * button;
    QVERIFY2(width >= needed, qPrintable(QStringLiteral("%1 < %2").arg(width).arg(needed)));
}

void tst_Platform::helpJoinsLinesOfChineseText_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("shown");
    QTest::newRow("after punctuation") << "只需选取，\n    不必每次重新输入。"
                                       << "只需选取，不必每次重新输入。";
    QTest::newRow("line after line") << "一\n二\r\n三"
                                     << "一二三";
    QTest::newRow("across tags") << "单击<b>刷新</b>\n<i>重新读取</i>"
                                 << "单击刷新重新读取";
    QTest::newRow("quotes") << "单击“放弃”\n  即可"
                            << "单击“放弃”即可";
    QTest::newRow("Latin or digits beside the break") << "按 Ctrl+D\n确认，最多\n6 个字符"
                                                      << "按 Ctrl+D 确认，最多 6 个字符";
}

void tst_Platform::helpJoinsLinesOfChineseText()
{
    QFETCH(QString, source);
    QFETCH(QString, shown);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("help.html"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral("<html><head><meta charset=\"utf-8\"></head><body><p>%1</p>"
                              "</body></html>")
                   .arg(source)
                   .toUtf8());
    file.close();

    ShowHelp(nullptr, path, 1);
    QWidget *viewer = helpViewer();
    QVERIFY(viewer);
    const QString text = viewer->findChild<QTextBrowser *>()->toPlainText();
    viewer->close();
    QCOMPARE(text, shown);
}

KV_TEST_MAIN(tst_Platform)
#include "tst_platform.moc"
