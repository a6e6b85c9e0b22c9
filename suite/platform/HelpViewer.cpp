#include "HelpViewer.h"

#include "CjkLineBreaks.h"
#include "MessageBox.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace {

const char kViewerName[] = "helpViewer";
const char kHelpFileProperty[] = "helpFile";

// Pages are written with their Chinese sentences broken across source lines; each page is joined
// up as it loads, so no page shows stray spaces, whoever wrote it.
class HelpBrowser final : public QTextBrowser
{
public:
    using QTextBrowser::QTextBrowser;

    QVariant loadResource(int type, const QUrl &name) override
    {
        const QVariant resource = QTextBrowser::loadResource(type, name);
        if (type != QTextDocument::HtmlResource || !resource.isValid())
            return resource;
        if (resource.userType() != QMetaType::QByteArray)
            return JoinCjkLineBreaks(resource.toString());
        const QByteArray bytes = resource.toByteArray();
        QStringDecoder decode(
            QStringConverter::encodingForHtml(bytes).value_or(QStringConverter::Utf8));
        return JoinCjkLineBreaks(decode(bytes));
    }
};

QUrl urlOf(const QString &helpFile)
{
    if (helpFile.startsWith(QLatin1String(":/")))
        return QUrl(QLatin1String("qrc") + helpFile);
    return QUrl::fromLocalFile(QFileInfo(helpFile).absoluteFilePath());
}

QDialog *openViewerOf(const QString &helpFile)
{
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window->objectName() == QLatin1String(kViewerName) &&
            window->property(kHelpFileProperty).toString() == helpFile)
            return qobject_cast<QDialog *>(window);
    }
    return nullptr;
}

QDialog *createViewer(QWidget *parent, const QString &helpFile)
{
    auto *viewer = new QDialog(parent);
    viewer->setObjectName(QLatin1String(kViewerName));
    viewer->setProperty(kHelpFileProperty, helpFile);
    viewer->setAttribute(Qt::WA_DeleteOnClose);
    viewer->setWindowTitle(QStringLiteral("帮助"));
    viewer->resize(680, 560);

    auto *browser = new HelpBrowser(viewer);
    browser->setObjectName(QStringLiteral("helpBrowser"));
    browser->setOpenExternalLinks(true);
    // Forced to HTML: a help file's name need not end in .html.
    browser->setSource(urlOf(helpFile), QTextDocument::HtmlResource);

    auto *layout = new QVBoxLayout(viewer);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser);
    return viewer;
}

} // namespace

void ShowHelp(QWidget *parent, const QString &helpFile, int topic)
{
    QFile file(helpFile);
    if (!file.open(QIODevice::ReadOnly)) {
        MsgBox(parent, QStringLiteral("找不到帮助文件 %1！").arg(helpFile), QStringLiteral("帮助"),
               MsgIcon::Warning);
        return;
    }

    QDialog *viewer = openViewerOf(helpFile);
    if (!viewer)
        viewer = createViewer(parent, helpFile);
    // Before the window is first shown the browser keeps the anchor and scrolls once laid out.
    viewer->findChild<QTextBrowser *>()->scrollToAnchor(QString::number(topic));
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
}
