#pragma once

#include <QTranslator>
#include <memory>

// Qt's own texts (standard buttons, the file, print, preview and page-setup dialogs) in Simplified
// Chinese, like every text of the suite: installs Qt's zh_CN translation (Debian's
// qt6-translations-l10n) unless Qt's texts are translated already, because the host chose a
// language of its own. The translation stays installed while the answer lives; null when nothing
// was installed.
std::unique_ptr<QTranslator> InstallQtChinese();
