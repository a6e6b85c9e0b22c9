// The fast mnemonic (a table over the whole plane, and the command's path straight from UTF-8
// bytes) against the plain way: the code page and the rules, text by text. Every character of the
// plane, then random texts and random bytes. KVDIGEST_MNEMONIC_SEED replays
// a run; the seed is printed.
#include "Cp936.h"
#include "InitialRule.h"
#include "KvTestMain.h"
#include "MnemonicCommand.h"
#include "PinyinInitial.h"
#include "TempFile.h"

#include <QRandomGenerator>
#include <QStringDecoder>
#include <QtTest>

#include <cstdio>

namespace {

constexpr int kLines = 20000;

// The plain way. Holds the code page's lock while it runs: never call the fast path inside it.
QString plainMnemonic(QStringView text)
{
    QString mnemonic;
    Cp936Encoder encoder;
    for (qsizetype i = 0; i < text.size();) {
        const bool pair =
            i + 1 < text.size() && text[i].isHighSurrogate() && text[i + 1].isLowSurrogate();
        const char32_t ch = pair ? QChar::surrogateToUcs4(text[i], text[i + 1]) : text[i].unicode();
        const char32_t initial = initialOfCode(ch, encoder.codeOf(ch));
        mnemonic += QChar::fromUcs4(initial);
        i += pair ? 2 : 1;
    }
    return mnemonic;
}

// A line of bytes read the lenient way, as a line of the command's input is.
QByteArray plainLine(QByteArrayView line)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                     QStringDecoder::Flag::ConvertInitialBom);
    const QString text = decoder(line);
    return plainMnemonic(text).toUtf8();
}

// Characters a summary may hold and those it should not, weighted towards the edges: every kind
// of code page character, letters, what the code page lacks, characters beyond the plane, the
// byte-order mark, the noncharacters and a tag character (which iconv passes over without a
// word). No line break.
char32_t randomCharacter(QRandomGenerator &random)
{
    static const char32_t specials[] = {0x0000, 0x0009, '?',    '[',     '{',    '@',
                                        '`',    'z',    0x20AC, 0xFEFF,  0xFFFD, 0xFFFE,
                                        0xFFFF, 0xFDD0, 0xE000, 0x10FFFF};
    switch (random.bounded(6)) {
    case 0:
        return 0x20 + random.bounded(0x5F);
    case 1:
        return 0x4E00 + random.bounded(0x5200);
    case 2:
        return 0x10000 + random.bounded(0x100000);
    case 3:
        return specials[random.bounded(int(std::size(specials)))];
    default: {
        // Anywhere in the plane; a surrogate stands alone (only in UTF-16 texts).
        const char32_t unit = random.bounded(0x10000);
        return unit == '\n' || unit == '\r' ? U'收' : unit;
    }
    }
}

QString randomText(QRandomGenerator &random)
{
    QString text;
    const int length = random.bounded(24);
    for (int i = 0; i < length; ++i)
        text += QChar::fromUcs4(randomCharacter(random));
    return text;
}

// Broken or doubtful UTF-8: stray and truncated sequences, overlong forms, encoded surrogates,
// beyond U+10FFFF.
QByteArray randomBrokenBytes(QRandomGenerator &random)
{
    static const char *const broken[] = {"\x80",
                                         "\xBF",
                                         "\xC0\x80",
                                         "\xC1\xBF",
                                         "\xC2",
                                         "\xE0\x80\x80",
                                         "\xE4\xB8",
                                         "\xED\xA0\x80",
                                         "\xED\xBF\xBF",
                                         "\xF0\x80\x80\x80",
                                         "\xF4\x90\x80\x80",
                                         "\xF5\x80\x80\x80",
                                         "\xFE",
                                         "\xFF"};
    if (random.bounded(2))
        return broken[random.bounded(int(std::size(broken)))];
    const char byte = char(0x80 + random.bounded(0x80));
    return QByteArray(1, byte);
}

} // namespace

class TestMnemonicRandom : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_seed = kvtest::seedFromEnvironment("KVDIGEST_MNEMONIC_SEED", 20240620u);
        qInfo("seed %u (KVDIGEST_MNEMONIC_SEED replays)", m_seed);
    }

    // The table, made a character at a time, against one conversion of the whole plane (but the
    // surrogates, which stand for themselves).
    void everyCharacterOfThePlane()
    {
        QString plane;
        for (char32_t unit = 0; unit < 0x10000; ++unit) {
            if (!QChar::isSurrogate(unit))
                plane += QChar(char16_t(unit));
        }
        std::vector<unsigned> codes;
        {
            Cp936Encoder encoder;
            codes = encoder.codesOf(plane);
        }
        QCOMPARE(codes.size(), size_t(plane.size()));
        for (qsizetype i = 0; i < plane.size(); ++i) {
            const char16_t unit = plane.at(i).unicode();
            const QString expected =
                QStringView(QChar::fromUcs4(initialOfCode(unit, codes[size_t(i)]))).toString();
            QVERIFY2(PinyinInitial(QString(plane.at(i))) == expected,
                     qPrintable(QString::number(unit, 16)));
        }
    }

    void randomTexts()
    {
        QRandomGenerator random(m_seed);
        for (int i = 0; i < kLines; ++i) {
            const QString text = randomText(random);
            const QString plain = plainMnemonic(text);
            QVERIFY2(MnemonicOf(text) == plain, qPrintable(text));
        }
    }

    // Whole lines of UTF-8 through the command, some of them broken, against each line read
    // leniently and then made the plain way.
    void randomLinesThroughTheCommand()
    {
        QRandomGenerator random(m_seed + 1);
        QByteArray input = "首行\n";
        QByteArray expected = "SX\n";
        for (int i = 0; i < kLines; ++i) {
            QByteArray line = randomText(random).toUtf8();
            if (random.bounded(4) == 0)
                line.insert(random.bounded(int(line.size()) + 1), randomBrokenBytes(random));
            input += line + (random.bounded(8) ? "\n" : "\r\n");
            expected += plainLine(line) + '\n';
        }
        TempFile in;
        TempFile out;
        std::fwrite(input.constData(), 1, size_t(input.size()), in.file);
        std::rewind(in.file);
        QCOMPARE(RunMnemonicCommand({}, in.file, out.file), 0);
        const QList<QByteArray> got = out.contents().split('\n');
        const QList<QByteArray> want = expected.split('\n');
        QCOMPARE(got.size(), want.size());
        for (qsizetype i = 0; i < want.size(); ++i)
            QVERIFY2(got[i] == want[i], qPrintable(QStringLiteral("line %1: %2 for %3")
                                                       .arg(i + 1)
                                                       .arg(QString::fromLatin1(got[i].toHex()),
                                                            QString::fromLatin1(want[i].toHex()))));
    }

private:
    quint32 m_seed = 0;
};

QTEST_GUILESS_MAIN(TestMnemonicRandom)
#include "tst_mnemonic_random.moc"
