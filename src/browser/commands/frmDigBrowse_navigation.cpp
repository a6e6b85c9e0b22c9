// Moving the listing recordset. Every move re-reads the listing first, so it works on the rows as
// they are stored now; a record is found again by the code its grid row had when it was entered.
#include "frmDigBrowse.h"

#include "Recordset.h"
#include "SqlTexts.h"

namespace {

enum Direction : int {
    kPrevious = 2,
    kNext = 3,
    kNone = 4,
    kCurrent = 5,
    kFirst = 6,
    kLast = 7,
};

} // namespace

bool frmDigBrowse::FMove(const int &Drection)
{
    DataKit::Recordset &listing = *mRecObject;
    listing.Requery(-1);
    const QString refind = SqlText::RecordRefindCriterion(mstrRowSave[0]);
    // The current summary is found again the same way wherever the listing stood (an empty one
    // finds nothing either): asking first whether it stood anywhere would cost a look of its own.
    if (Drection == kCurrent) {
        listing.FindFirst(refind);
        return !listing.NoMatch();
    }
    if (listing.isBOF() || listing.isEOF()) {
        // BOF and EOF both: the listing is empty, what a RecordCount of 0 says, without a count
        // that would read every row.
        if (listing.isBOF() && listing.isEOF())
            return false;
        listing.FindFirst(refind);
        return !listing.NoMatch();
    }
    switch (Drection) {
    case kPrevious:
        listing.MovePrevious();
        if (listing.isBOF()) {
            listing.MoveFirst();
            return false;
        }
        return true;
    case kNext:
        listing.MoveNext();
        if (listing.isEOF()) {
            listing.MoveLast();
            return false;
        }
        return true;
    case kFirst:
        listing.MoveFirst();
        return true;
    case kLast:
        listing.MoveLast();
        return true;
    default:
        return true;
    }
}

bool frmDigBrowse::FFirst()
{
    return FMove(kFirst);
}

bool frmDigBrowse::FLast()
{
    return FMove(kLast);
}

bool frmDigBrowse::FPrevious()
{
    return FMove(kPrevious);
}

bool frmDigBrowse::FNext()
{
    return FMove(kNext);
}

bool frmDigBrowse::FCur()
{
    return FMove(kCurrent);
}

void frmDigBrowse::Fclose()
{
    close();
}

// Kept for hosts that call them; sorting, filtering, finding and refreshing are toolbar commands.
void frmDigBrowse::Fsort() {}
void frmDigBrowse::Ffilter() {}
void frmDigBrowse::SelectFields() {}
void frmDigBrowse::FRefresh() {}
void frmDigBrowse::Ffind() {}
