// The four print commands: one print job each, over what the window shows.
#include "frmDigBrowse.h"

#include "Guarded.h"
#include "PrintListing.h"
#include "ReportPrinter.h"
#include "StringTable.h"
#include "Twips.h"

#include <QDir>
#include <QLabel>
#include <QTimer>

namespace {

constexpr int kWrittenShownMs = 5000;

} // namespace

void frmDigBrowse::CmdPrint(short mode)
{
    Guarded([this, mode] {
        PrintWindow window;
        window.owner = this;
        window.clientWidth = PixelsToTwips(*this, width());
        window.titleLeft = PixelsToTwips(*this, lblTitle1->x());
        window.yearLeft = PixelsToTwips(*this, lblTitle2->x());
        window.printer = RTPrn1.get();
        PrintListing(mdbPrint, *SpGrdDig, LoadResString(1), mode, window);
        if (mode == PrintToFile && !RTPrn1->writtenFile().isEmpty())
            ShowWritten(RTPrn1->writtenFile());
    });
}

// For a few seconds the status line says what was written where (a long folder cut in its
// middle), then it is the status line again.
void frmDigBrowse::ShowWritten(const QString &path)
{
    const QString count = QStringLiteral("已输出 %1 条到 ").arg(qMax(0L, SpGrdDig->rowCount() - 2));
    const int room = lblStatus->width() - lblStatus->fontMetrics().horizontalAdvance(count);
    lblStatus->setText(count + lblStatus->fontMetrics().elidedText(QDir::toNativeSeparators(path),
                                                                   Qt::ElideMiddle,
                                                                   qMax(room, 200)));
    QTimer::singleShot(kWrittenShownMs, this, [this] { UpdateStatusLine(); });
}
