#pragma once

#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>

// What a report printer keeps of the page between jobs.
struct PageSetup
{
    QPageSize size{QPageSize::A4};
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QMarginsF marginsMm{20, 20, 20, 20};
    int copies = 1;

    QPageLayout layout() const
    {
        return QPageLayout(size, orientation, marginsMm, QPageLayout::Millimeter);
    }
};
