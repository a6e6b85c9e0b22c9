#include "PrintLayoutTable.h"

#include "Database.h"
#include "MdlDigest.h"
#include "PrintDatabase.h"

#include <QStringList>
#include <QTime>
#include <chrono>
#include <cmath>
#include <random>

namespace {

enum class FieldType { Long, Byte, Text };

struct LayoutField
{
    const char *name;
    FieldType type;
    int size; // Text only
};

const LayoutField kFields[] = {
    {"iType", FieldType::Long, 0},     {"iX", FieldType::Long, 0},
    {"iY", FieldType::Long, 0},        {"iW", FieldType::Long, 0},
    {"iH", FieldType::Long, 0},        {"cFontName", FieldType::Text, 50},
    {"iFontSize", FieldType::Long, 0}, {"cText", FieldType::Text, 255},
    {"iSection", FieldType::Byte, 0},  {"iAlignment", FieldType::Long, 0},
    {"cFontAttr", FieldType::Text, 4},
};

// SQLite keeps any value in any column: the constraints give each column its type and size.
QString definition(const LayoutField &field)
{
    const QString name = QString::fromLatin1(field.name);
    switch (field.type) {
    case FieldType::Long:
        return QStringLiteral("%1 INTEGER CONSTRAINT %1_long CHECK (typeof(%1) IN ('integer', "
                              "'null') AND %1 BETWEEN -2147483648 AND 2147483647)")
            .arg(name);
    case FieldType::Byte:
        return QStringLiteral("%1 SMALLINT CONSTRAINT %1_byte CHECK (typeof(%1) IN ('integer', "
                              "'null') AND %1 BETWEEN 0 AND 255)")
            .arg(name);
    case FieldType::Text:
        break;
    }
    return QStringLiteral("%1 VARCHAR(%2) CONSTRAINT %1_max%2 CHECK (length(%1) <= %2)")
        .arg(name)
        .arg(field.size);
}

// A whole number from 1 to 1,000,000,000, from a generator seeded from the clock for this job.
qint64 randomNumber()
{
    std::mt19937_64 generator(
        std::uint64_t(std::chrono::high_resolution_clock::now().time_since_epoch().count()));
    const double r = std::uniform_real_distribution<double>(0.0, 1.0)(generator);
    return std::llround(r * 1000000000.0 + 1);
}

QString createTable(DataKit::Database &database)
{
    const QString name = QStringLiteral("TempPrint_") + MdlDigest::CurrentSessionId() +
                         QString::number(randomNumber()) +
                         QTime::currentTime().toString(QStringLiteral("HHmmss"));
    QStringList fields;
    for (const LayoutField &field : kFields)
        fields << definition(field);
    database.Execute(QStringLiteral("CREATE TABLE ") + name + QStringLiteral(" (") +
                     fields.join(QStringLiteral(", ")) + QLatin1Char(')'));
    return name;
}

} // namespace

QString CreateLayoutTable(const std::shared_ptr<DataKit::Database> &database)
{
    if (!database)
        return {};
    // Once more when the print database was made anew or removed under this window.
    for (bool again = false;; again = true) {
        try {
            return createTable(*database);
        } catch (const DataKit::Error &error) {
            if (again || error.number() != DataKit::errConnectionLost ||
                !ReopenPrintDatabase(*database))
                return {};
        } catch (const std::exception &) {
            return {};
        }
    }
}
