// The editing actions: leaving a row, saving one, Cancel, adding, deleting one and a group.
#include "GridControl.h"
#include "PerfActions.h"
#include "PerfSession.h"

namespace {

// The engine's own statements for the editing actions. What they add lies on rows the window never
// shows (codes after every numeric one) and is removed again in the same round, so the ledger the
// window sees stays as it was.
class RawWrites final
{
public:
    explicit RawWrites(RawEngine &raw)
        : m_raw(raw)
    {
    }

    // A summary written over with what it holds, as a save writes a row.
    double update(const QString &code)
    {
        return m_raw.run("UPDATE GL_bDigest SET chelp=chelp WHERE cId='" + code.toUtf8() + "'");
    }
    double insert()
    {
        const double ms = m_raw.run(insertStatement(0));
        m_raw.run(deleteStatement(0));
        return ms;
    }
    double remove()
    {
        m_raw.run(insertStatement(0));
        return m_raw.run(deleteStatement(0));
    }
    double removeHundred()
    {
        for (int i = 0; i < 100; ++i)
            m_raw.run(insertStatement(i));
        double ms = 0;
        for (int i = 0; i < 100; ++i)
            ms += m_raw.run(deleteStatement(i));
        return ms;
    }

private:
    static QByteArray code(int serial)
    {
        return "'Y" + QByteArray::number(serial).rightJustified(5, '0') + "'";
    }
    static QByteArray insertStatement(int serial)
    {
        return "INSERT INTO GL_bDigest (cId, cText, chelp) VALUES (" + code(serial) +
               ", '基准摘要', 'JZZY')";
    }
    static QByteArray deleteStatement(int serial)
    {
        return "DELETE FROM GL_bDigest WHERE cId=" + code(serial);
    }

    RawEngine &m_raw;
};

} // namespace

void RunEditingFigures(PerfSession &s)
{
    GridControl &grid = s.grid();
    WindowDriver &drive = s.drive();
    RawWrites raw(s.raw());
    const int light = s.lightRounds();
    const auto updateSome = [&] { return raw.update(grid.text(s.someRow(), 0)); };

    s.record(QStringLiteral("leave an unchanged row"), QStringLiteral("raw UPDATE"),
             QStringLiteral("10x"), light, updateSome, [&] {
                 grid.setCurrentRow(s.someRow());
                 drive.settle();
                 return drive.time([&] { drive.press(Qt::Key_Down); });
             });
    s.record(QStringLiteral("save (edited row left)"), QStringLiteral("raw UPDATE"),
             QStringLiteral("10x"), light, updateSome, [&] {
                 drive.typeCell(s.someRow(), 1,
                                QStringLiteral("改过的摘要%1").arg(s.random().bounded(1000)));
                 return drive.time([&] { drive.press(Qt::Key_Down); });
             });
    // No statement: the snapshot taken when the row was entered is put back.
    s.record(QStringLiteral("Cancel (an edited row put back)"), QStringLiteral("raw UPDATE"), {},
             light, updateSome, [&] {
                 drive.typeCell(s.someRow(), 1, QStringLiteral("不要的改动"));
                 return drive.command("TlbCancel");
             });
    int added = 0;
    s.record(
        QStringLiteral("add"), QStringLiteral("raw INSERT"), QStringLiteral("10x"), light,
        [&] { return raw.insert(); },
        [&] {
            const long blank = grid.rowCount() - 1;
            drive.typeCell(blank, 0, QStringLiteral("A%1").arg(added++, 5, 10, QLatin1Char('0')));
            drive.typeCell(blank, 1, QStringLiteral("新增的常用摘要"));
            return drive.command("TlbAdd");
        });
    s.record(
        QStringLiteral("delete one"), QStringLiteral("raw DELETE"), QStringLiteral("10x"), light,
        [&] { return raw.remove(); },
        [&] {
            grid.setCurrentRow(s.someRow());
            drive.settle();
            return drive.command("TlbDel");
        });
    s.record(
        QStringLiteral("delete a group of 100"), QStringLiteral("100 raw DELETEs"),
        QStringLiteral("10x"), s.heavyRounds(), [&] { return raw.removeHundred(); },
        [&] {
            const long first = 1 + long(s.random().bounded(int(s.rowsShown() - 100)));
            grid.setCurrentRow(first);
            grid.setSelectionEndRow(first + 99);
            drive.settle();
            return drive.command("TlbDel");
        });
}
