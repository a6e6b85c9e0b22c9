// The four print commands: one print job each, over what the window shows.
#include "frmDigBrowse.h"

#include "Guarded.h"
#include "PrintListing.h"
#include "ReportPrinter.h"
#include "StringTable.h"
#include "Twips.h"

#include <QLabel>

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
            ShowWritten(QStringLiteral("已输出"), qMax(0L, SpGrdDig->rowCount() - 2),
                        RTPrn1->writtenFile());
    });
}
