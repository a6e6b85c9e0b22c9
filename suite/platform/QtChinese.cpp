#include "QtChinese.h"

#include <QCoreApplication>
#include <QLibraryInfo>

std::unique_ptr<QTranslator> InstallQtChinese()
{
    // The text of Qt's standard OK button: translated means Qt speaks the host's language already.
    if (QCoreApplication::translate("QPlatformTheme", "OK") != QLatin1String("OK"))
        return nullptr;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QStringLiteral("qtbase_zh_CN"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(translator.get()))
        return nullptr;
    return translator;
}
