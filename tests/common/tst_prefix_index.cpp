// Loading a prefix index and finding the group of a typed text.
#include "common/prefix_index.h"
#include "common/record_file.h"
#include "support/fixtures.h"

#include <QTemporaryDir>
#include <QTest>

using namespace zelvora;

class TestPrefixIndex : public QObject
{
    Q_OBJECT

    // Index of an order file of 20 records: RO (1), ROA (2-4), ROM (5-9), SAN (10-20).
    const QStringList m_prefixes{"RO", "ROA", "ROM", "SAN"};
    const QStringList m_firsts{"1", "2", "5", "10"};

private slots:
    void loadsEveryEntryInFileOrder()
    {
        QTemporaryDir dir;
        // Entries deliberately out of order: the loader keeps the file's order.
        QByteArray bytes;
        bytes.append("\x03ROM\x05\x00", 6);
        bytes.append("\x02RO\xee\x01\x00", 6); // a byte after the last character
        bytes.append("\x03SAN\xff\xff", 6);      // a negative number stays negative
        bytes.append("\x03", 1);                 // a stray byte
        test::writeAll(dir.filePath("x.lox"), bytes);
        RecordFile file;
        QVERIFY(file.open(dir.filePath("x.lox"), PrefixIndexEntry::kSize));
        QStringList prefixes{"old"}, firsts{"9"};
        loadPrefixIndex(file, prefixes, firsts);
        QCOMPARE(prefixes, QStringList({"ROM", "RO", "SAN"}));
        QCOMPARE(firsts, QStringList({"5", "1", "-1"}));
        // Kept in one text, loaded twice into the same lists and text (a
        // second opening): the same entries, which a reload leaves sound.
        QString text = QStringLiteral("old");
        for (int opening = 0; opening < 2; ++opening) {
            loadPrefixIndex(file, prefixes, firsts, text);
            QCOMPARE(prefixes, QStringList({"ROM", "RO", "SAN"}));
            QCOMPARE(firsts, QStringList({"5", "1", "-1"}));
        }
        QCOMPARE(text, QStringLiteral("ROM5RO1SAN-1"));
    }

    void findsTheFirstGroupInIndexOrder_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::newRow("one character: first group beginning with it") << "R" << 1 << 1;
        QTest::newRow("two characters") << "RO" << 1 << 1;
        QTest::newRow("exact three-character group") << "ROM" << 5 << 9;
        QTest::newRow("inner group ends before the next") << "ROA" << 2 << 4;
        QTest::newRow("last group ends at the record count") << "SA" << 10 << 20;
    }
    void findsTheFirstGroupInIndexOrder()
    {
        QFETCH(QString, typed);
        QFETCH(int, first);
        QFETCH(int, last);
        QCOMPARE(findGroup(m_prefixes, m_firsts, typed, 20), std::optional(Group{first, last}));
        // The index is in order: halving it finds the same group.
        QCOMPARE(findGroup(m_prefixes, m_firsts, typed, 20, true), std::optional(Group{first, last}));
    }

    // Halving the prefix list gives what going through it gives, for every
    // beginning of every prefix and for texts between and around them, in a
    // list where byte order and the characters' own order differ.
    void halvingAnIndexInOrderFindsWhatAScanFinds()
    {
        const QStringList prefixes{"A", "AB", "ABC", "B'", "BA", "B\u0160A", "B\u00c0", "C", "\u20ac", "\u00c8"};
        QVERIFY(prefixesInOrder(prefixes));
        QStringList firsts;
        for (int i = 0; i < prefixes.size(); ++i)
            firsts << QString::number(2 * i + 1);
        QStringList texts{"", "0", "AA", "ABD", "B", "B\u00c0A", "BB", "D", "\u00c8X", "\u00ff"};
        for (const QString &prefix : prefixes)
            for (int length = 1; length <= prefix.size(); ++length)
                texts << prefix.left(length);
        for (const QString &typed : std::as_const(texts))
            QVERIFY2(findGroup(prefixes, firsts, typed, 40, true) == findGroup(prefixes, firsts, typed, 40),
                     qPrintable(typed));
        QVERIFY(!prefixesInOrder({"A", "C", "B"}));
        QVERIFY(!prefixesInOrder({"A", "A"}));
        QVERIFY(!prefixesInOrder({"\u00c0", "\u0160"})); // byte order: 0xc0 after 0x8a
    }

    void noGroupForEmptyOrUnknownText()
    {
        QVERIFY(!findGroup(m_prefixes, m_firsts, "", 20));
        QVERIFY(!findGroup(m_prefixes, m_firsts, "ROX", 20));
        QVERIFY(!findGroup(m_prefixes, m_firsts, "OM", 20)); // inside a prefix is no match
        QVERIFY(!findGroup(m_prefixes, m_firsts, "rom", 20)); // keys are compared case-sensitively
        QVERIFY(!findGroup({}, {}, "R", 20));
    }
};

QTEST_GUILESS_MAIN(TestPrefixIndex)
#include "tst_prefix_index.moc"
