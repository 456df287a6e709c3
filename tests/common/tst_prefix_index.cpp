// Loading a prefix index and finding the group of a typed text.
#include "common/prefix_index.h"
#include "support/fixtures.h"

#include <QTest>

using namespace zelvora;

using test::indexFile;

class TestPrefixIndex : public QObject
{
    Q_OBJECT

    // Index of an order file of 20 records: RO (1), ROA (2-4), ROM (5-9), SAN (10-20).
    const PrefixIndex m_index{indexFile({"RO", "ROA", "ROM", "SAN"}, {1, 2, 5, 10})};

private slots:
    void loadsEveryEntryInFileOrder()
    {
        // Entries deliberately out of order: the index keeps the file's order.
        QByteArray bytes;
        bytes.append("\x03ROM\x05\x00", 6);
        bytes.append("\x02RO\xee\x01\x00", 6); // a byte after the last character
        bytes.append("\x03SAN\xff\xff", 6);      // a negative number stays negative
        bytes.append("\x03", 1);                 // a stray byte
        const PrefixIndex index(bytes);
        QCOMPARE(test::prefixesOf(index), QStringList({"ROM", "RO", "SAN"}));
        QCOMPARE(test::firstRecordsOf(index), QStringList({"5", "1", "-1"}));
        QVERIFY(!index.inOrder());
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
        QVERIFY(m_index.inOrder());
        QCOMPARE(m_index.group(typed, 20), std::optional(Group{first, last}));
        // The same index out of order is gone through entry by entry: the
        // same group.
        const PrefixIndex unordered(indexFile({"RO", "ROA", "ROM", "SAN", "B"}, {1, 2, 5, 10, 21}));
        QVERIFY(!unordered.inOrder());
        QCOMPARE(unordered.group(typed, 20), std::optional(Group{first, last}));
    }

    // Halving the prefix list gives what going through it gives, for every
    // beginning of every prefix and for texts between and around them, in a
    // list where byte order and the characters' own order differ.
    void halvingAnIndexInOrderFindsWhatAScanFinds()
    {
        const QStringList prefixes{"A", "AB", "ABC", "B'", "BA", "B\u0160A", "B\u00c0", "C", "\u20ac", "\u00c8"};
        QList<int> firsts;
        for (int i = 0; i < prefixes.size(); ++i)
            firsts << 2 * i + 1;
        const PrefixIndex index(indexFile(prefixes, firsts));
        QVERIFY(index.inOrder());
        QStringList texts{"", "0", "AA", "ABD", "B", "B\u00c0A", "BB", "D", "\u00c8X", "\u00ff"};
        for (const QString &prefix : prefixes)
            for (int length = 1; length <= prefix.size(); ++length)
                texts << prefix.left(length);
        for (const QString &typed : std::as_const(texts)) {
            std::optional<Group> scanned;
            for (int i = 0; i < prefixes.size() && !scanned && !typed.isEmpty(); ++i)
                if (prefixes.at(i).startsWith(typed))
                    scanned = Group{firsts.at(i), i + 1 < prefixes.size() ? firsts.at(i + 1) - 1 : 40};
            QVERIFY2(index.group(typed, 40) == scanned, qPrintable(typed));
        }
        QVERIFY(!PrefixIndex(indexFile({"A", "C", "B"}, {1, 2, 3})).inOrder());
        QVERIFY(!PrefixIndex(indexFile({"A", "A"}, {1, 2})).inOrder());
        QVERIFY(!PrefixIndex(indexFile({"\u00c0", "\u0160"}, {1, 2})).inOrder()); // byte order: 0xc0 after 0x8a
    }

    void noGroupForEmptyOrUnknownText()
    {
        QVERIFY(!m_index.group(u"", 20));
        QVERIFY(!m_index.group(u"ROX", 20));
        QVERIFY(!m_index.group(u"OM", 20)); // inside a prefix is no match
        QVERIFY(!m_index.group(u"rom", 20)); // keys are compared case-sensitively
        QVERIFY(!PrefixIndex().group(u"R", 20));
    }
};

QTEST_GUILESS_MAIN(TestPrefixIndex)
#include "tst_prefix_index.moc"
