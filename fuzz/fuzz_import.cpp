// The import's readers over any bytes: a CSV text or a workbook either yields rows or refuses the
// file with a reason; no row is longer than any list of summaries holds, the lines only go forward
// and the share read stays between 0 and 1.
#include "CsvDecoding.h"
#include "CsvRecords.h"
#include "FuzzInput.h"
#include "WorkbookRecords.h"

#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    CsvText csv;
    try {
        std::unique_ptr<ImportRecords> records;
        if (bytes.startsWith("PK\x03\x04")) {
            records = std::make_unique<WorkbookRecords>(bytes);
        } else {
            csv = DecodeCsv(bytes);
            records = std::make_unique<CsvRecords>(csv.text);
        }
        QStringList fields;
        long line = 0;
        long last = 0;
        while (records->next(fields, line)) {
            qsizetype characters = 0;
            for (const QString &field : fields)
                characters += field.size();
            FUZZ_REQUIRE(characters <= ImportRecords::kMaxRowCharacters);
            FUZZ_REQUIRE(line > last);
            last = line;
            FUZZ_REQUIRE(records->done() >= 0.0 && records->done() <= 1.0);
        }
    } catch (const ImportFileError &error) {
        FUZZ_REQUIRE(!error.message().isEmpty());
    }
    return 0;
}
