#include "Cp936.h"
#include "MnemonicCommand.h"
#include "PinyinInitial.h"
#include "RareCharacters.h"
#include "RareLetters.h"
#include "TempFile.h"

#include <QtTest>

#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

QString characterOf(unsigned code)
{
    QByteArray bytes;
    if (code > 0xFF)
        bytes.append(char(code >> 8));
    return fromCp936(bytes.append(char(code & 0xFF)));
}

void addStringRow(const char *name, const char *in, const char *expected)
{
    QTest::newRow(name) << QString::fromUtf8(in) << QString::fromUtf8(expected);
}

} // namespace

class TestMnemonic : public QObject
{
    Q_OBJECT

private slots:
    void initial_data()
    {
        QTest::addColumn<QString>("ch");
        QTest::addColumn<QString>("expected");
        addStringRow("O has only eight codes", "哦", "O");
        addStringRow("first level 2", "亍", "C");
        addStringRow("last level 2", "齄", "Z");
        addStringRow("level 2, E", "噩", "E");
        addStringRow("level 2 without letter, F1C8", "袢", "袢");
        addStringRow("level 2 without letter, F1E1", "襻", "襻");
        addStringRow("bracket after the capitals", "[", "[");
        addStringRow("brace after the small letters", "{", "{");
        addStringRow("question mark, the code of the unencodable", "?", "?");
        addStringRow("full-width small letter", "ａ", "ａ");
        addStringRow("emoji, a surrogate pair", "😀", "😀");
        addStringRow("CJK extension B", "𠀀", "𠀀");
        addStringRow("only the first character counts", "收到", "S");
        addStringRow("empty", "", "");
    }

    void initial()
    {
        QFETCH(QString, ch);
        QFETCH(QString, expected);
        QCOMPARE(PinyinInitial(ch), expected);
    }

    // Level-1 boundaries by code and character, and GBK extensions and symbols that are hard to
    // type. The ranges are contiguous, so the code just outside one range is the boundary of its
    // neighbour: the rows cover both sides of every boundary.
    void byCode_data()
    {
        QTest::addColumn<unsigned>("code");
        QTest::addColumn<QString>("ch");       // empty: whatever the code decodes to
        QTest::addColumn<QString>("expected"); // empty: the character itself

        struct Range
        {
            const char *letter;
            unsigned first;
            unsigned last;
            const char *firstCh;
            const char *lastCh;
        };
        const Range ranges[] = {
            {"A", 0xB0A1, 0xB0C4, "啊", "澳"}, {"B", 0xB0C5, 0xB2C0, "芭", "怖"},
            {"C", 0xB2C1, 0xB4ED, "擦", "错"}, {"D", 0xB4EE, 0xB6E9, "搭", "堕"},
            {"E", 0xB6EA, 0xB7A1, "蛾", "贰"}, {"F", 0xB7A2, 0xB8C0, "发", "咐"},
            {"G", 0xB8C1, 0xB9FD, "噶", "过"}, {"H", 0xB9FE, 0xBBF6, "哈", "祸"},
            {"J", 0xBBF7, 0xBFA5, "击", "骏"}, {"K", 0xBFA6, 0xC0AB, "喀", "阔"},
            {"L", 0xC0AC, 0xC2E7, "垃", "络"}, {"M", 0xC2E8, 0xC4C2, "妈", "穆"},
            {"N", 0xC4C3, 0xC5B5, "拿", "诺"}, {"O", 0xC5B6, 0xC5BD, "哦", "沤"},
            {"P", 0xC5BE, 0xC6D9, "啪", "瀑"}, {"Q", 0xC6DA, 0xC8BA, "期", "群"},
            {"R", 0xC8BB, 0xC8F5, "然", "弱"}, {"S", 0xC8F6, 0xCBF9, "撒", "所"},
            {"T", 0xCBFA, 0xCDD9, "塌", "唾"}, {"W", 0xCDDA, 0xCEF3, "挖", "误"},
            {"X", 0xCEF4, 0xD1B8, "昔", "迅"}, {"Y", 0xD1B9, 0xD4D0, "压", "孕"},
            {"Z", 0xD4D1, 0xD7F9, "匝", "座"},
        };
        for (const Range &r : ranges) {
            QTest::addRow("%s first", r.letter) << r.first << r.firstCh << r.letter;
            QTest::addRow("%s last", r.letter) << r.last << r.lastCh << r.letter;
        }
        QTest::newRow("extension inside B") << 0xB140u << QString() << "B";
        QTest::newRow("extension inside L") << 0xC140u << QString() << "L";
        QTest::newRow("extension just before A") << 0xB0A0u << QString() << QString();
        QTest::newRow("extension, lead B0, trail 40") << 0xB040u << QString() << QString();
        QTest::newRow("extension after Z") << 0xD840u << QString() << QString();
        QTest::newRow("extension, lead 81") << 0x8140u << QString() << QString();
        QTest::newRow("ideographic space") << 0xA1A1u << QString() << QString();
        QTest::newRow("euro sign, one byte 80") << 0x80u << QString() << QString();
    }

    void byCode()
    {
        QFETCH(unsigned, code);
        QFETCH(QString, ch);
        QFETCH(QString, expected);
        if (ch.isEmpty())
            ch = characterOf(code);
        QCOMPARE(characterOf(code), ch);
        QCOMPARE(Cp936Encoder().codeOf(ch.at(0).unicode()), code);
        QCOMPARE(PinyinInitial(ch), expected.isEmpty() ? ch : expected);
    }

    void rareLists()
    {
        const QString &characters = rareCharacterList();
        QCOMPARE(characters.size(), 3006);
        QCOMPARE(rareLetterList().size(), 3006);
        QVERIFY(characters.startsWith(u"亍丌兀丐廿卅丕亘丞鬲孬噩"));
        QVERIFY(characters.endsWith(u"黪黯鼢鼬鼯鼹鼷鼽鼾齄"));
        for (const QChar letter : rareLetterList())
            QVERIFY2(QStringLiteral("ABCDEFGHJKLMNOPQRSTWXYZ").contains(letter),
                     qPrintable(letter));
    }

    // Every level-2 code, through the code-indexed lookup and through the list's first occurrence.
    void rareLetterRows_data()
    {
        QTest::addColumn<unsigned>("lead");
        for (unsigned row = 0; row < kRareRowCount; ++row)
            QTest::addRow("%X", kRareFirstLead + row) << kRareFirstLead + row;
    }

    void rareLetterRows()
    {
        QFETCH(unsigned, lead);
        const std::string_view letters = kRareLetterRows[lead - kRareFirstLead];
        for (unsigned column = 0; column < kRareRowLength; ++column) {
            const unsigned code = lead * 256 + kRareFirstTrail + column;
            const QByteArray where = QByteArray::number(code, 16);
            const QString ch = characterOf(code);
            QVERIFY2(ch.size() == 1, where);
            const char letter = letters[column];
            const QString expected = letter == kRareMissing ? ch : QString(QLatin1Char(letter));
            QVERIFY2(PinyinInitial(ch) == expected, where);

            const qsizetype position = rareCharacterList().indexOf(ch);
            QVERIFY2((position < 0) == (letter == kRareMissing), where);
            QVERIFY2(position < 0 || rareLetterList().at(position) == QLatin1Char(letter), where);
        }
    }

    void mnemonic_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        addStringRow("summary", "收到货款", "SDHK");
        addStringRow("ends of A and B, Z", "啊澳芭座", "AABZ");
        addStringRow("small letters", "abc", "ABC");
        addStringRow("capitals, digits and blanks kept", "A1 b", "A1 B");
        addStringRow("full-width comma kept", "收款，付款", "SK，FK");
        addStringRow("surrogate pair is one character", "付😀款", "F😀K");
        // The text is converted whole; what the code page lacks is passed over, one at a time.
        addStringRow("unencodable characters first, together and last", "😀收😀😀款𠀀", "😀S😀😀K𠀀");
        addStringRow("euro sign among level-1 characters", "收€款", "S€K");
        // iconv skips a tag character without a word, as if it were not there at all.
        addStringRow("tag character", "收\U000E0041款", "S\U000E0041K");
        QTest::newRow("lone surrogates")
            << QStringLiteral("收%1款%2").arg(QChar(0xD800), QChar(0xDC00))
            << QStringLiteral("S%1K%2").arg(QChar(0xD800), QChar(0xDC00));
        addStringRow("empty", "", "");
    }

    void mnemonic()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(MnemonicOf(text), expected);
    }

    // The encoding descriptor is shared; callers on several threads must not garble each other.
    void concurrentCallers()
    {
        std::atomic<int> wrong = 0;
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t) {
            threads.emplace_back([&wrong] {
                for (int i = 0; i < 2000; ++i) {
                    if (MnemonicOf(QStringLiteral("收款，付款亍abc😀")) != u"SK，FKCABC😀")
                        ++wrong;
                }
            });
        }
        for (std::thread &thread : threads)
            thread.join();
        QCOMPARE(wrong.load(), 0);
    }

    void commandWithTexts()
    {
        TempFile out;
        QCOMPARE(RunMnemonicCommand({"收到货款", "", "A1 b"}, nullptr, out.file), 0);
        QCOMPARE(out.contents(), QByteArray("SDHK\n\nA1 B\n"));
    }

    void commandFromInput_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("line feeds")
            << QByteArray("收到货款\n收款，付款\n") << QByteArray("SDHK\nSK，FK\n");
        QTest::newRow("carriage returns") << QByteArray("abc\r\n啊\r\n") << QByteArray("ABC\nA\n");
        QTest::newRow("empty line") << QByteArray("a\n\nb\n") << QByteArray("A\n\nB\n");
        QTest::newRow("last line unterminated") << QByteArray("a\nb") << QByteArray("A\nB\n");
        QTest::newRow("lone carriage return is text")
            << QByteArray("a\rb\n") << QByteArray("A\rB\n");
        QTest::newRow("no input") << QByteArray() << QByteArray();
        QTest::newRow("beyond the plane, kept") << QByteArray("😀a\n") << QByteArray("😀A\n");
        QTest::newRow("not UTF-8: a replacement character")
            << QByteArray("a\377b\n") << QByteArray("A\357\277\275B\n");
        // A byte-order mark begins a stream, not a line: later ones are the lines' own text.
        QTest::newRow("byte-order marks") << QByteArray("\xEF\xBB\xBF"
                                                        "ab\n\xEF\xBB\xBF"
                                                        "啊\n")
                                          << QByteArray("AB\n\xEF\xBB\xBF"
                                                        "A\n");
    }

    void commandFromInput()
    {
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, expected);
        TempFile in;
        TempFile out;
        std::fwrite(input.constData(), 1, input.size(), in.file);
        std::rewind(in.file);
        QCOMPARE(RunMnemonicCommand({}, in.file, out.file), 0);
        QCOMPARE(out.contents(), expected);
    }
};

QTEST_GUILESS_MAIN(TestMnemonic)
#include "tst_mnemonic.moc"
