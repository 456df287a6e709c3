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
