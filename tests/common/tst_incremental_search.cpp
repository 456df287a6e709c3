// The incremental search on its own: keys in memory, a field that searches
// again from inside the search when text is put back, as the window's does.
#include "common/incremental_search.h"
#include "common/short_string.h"
#include "support/fixtures.h"

#include <QTest>

#include <algorithm>
#include <bit>

using namespace zelvora;

namespace {

// An order file of sorted keys with its prefix index of `keyLength`
// characters, and a search field whose change notification runs the search.
struct Field : SearchSource
{
    QStringList keys;
    QStringList prefixes;
    QStringList firstRecords;
    PrefixIndex index;
    int length;
    IncrementalSearch search;
    QString text;
    QStringList steps; // what the search asked for, in order
    int keyReads = 0;
    bool readOutsideGroup = false;
    int depth = 0;
    int deepest = 0;

    Field(const QStringList &sortedKeys, int keyLength) : keys(sortedKeys), length(keyLength)
    {
        QList<int> firsts;
        for (int i = 0; i < keys.size(); ++i) {
            const QString p = keys.at(i).left(length);
            if (prefixes.isEmpty() || prefixes.last() != p) {
                prefixes << p;
                firstRecords << QString::number(i + 1);
                firsts << i + 1;
            }
        }
        index = PrefixIndex(test::indexFile(prefixes, firsts));
        search.showPage = [this](int start) { steps << QStringLiteral("page %1").arg(start); };
        search.putBack = [this](const QString &shorter) {
            steps << QStringLiteral("back %1").arg(shorter);
            setText(shorter);
            return text;
        };
    }

    void setText(const QString &newText)
    {
        if (newText == text)
            return;
        text = newText;
        ++depth;
        deepest = std::max(deepest, depth);
        search.search(text, *this);
        --depth;
    }

    const PrefixIndex &prefixIndex() const override { return index; }
    int recordCount() const override { return int(keys.size()); }
    int keyLength() const override { return length; }
    QString key(int at) override
    {
        ++keyReads;
        // The search reads inside the group of the text it searches,
        // which is the field's text: a take-back changes the field first.
        const int group = groupOf(text.left(length));
        if (group < 0 || at >= keys.size() || at + 1 < firstRecords.at(group).toInt()
            || (group + 1 < firstRecords.size() && at + 1 >= firstRecords.at(group + 1).toInt()))
            readOutsideGroup = true;
        return keys.value(at);
    }

    int groupOf(const QString &prefix) const
    {
        for (int i = 0; i < prefixes.size(); ++i)
            if (!prefix.isEmpty() && prefixes.at(i).startsWith(prefix))
                return i;
        return -1;
    }

    // The 0-based record of the last page shown, -1 for none.
    int lastPage() const
    {
        const QStringList pages = steps.filter(QStringLiteral("page "));
        return pages.isEmpty() ? -1 : pages.last().mid(5).toInt();
    }

    void type(const QString &typed)
    {
        for (const QChar c : typed)
            setText(text + c);
    }
};

const QStringList kNames = {"RO",          "ROASCHIA",           "ROMA",        "ROMAGNANO SESIA",
                            "ROMANO",      "ROMENO",             "RONCO",       "SAN MARCO",
                            "SAN MARTINO SANNITA", "SANNICANDRO", "SANTA MARIA", "TORINO"};
const QStringList kProvinces = {"AG", "AL", "AN", "AO", "MI", "MN", "TN", "TO", "TO", "TR"};

} // namespace

class TestIncrementalSearch : public QObject
{
    Q_OBJECT

private slots:
    void typedTextShowsThePageOfItsFirstMatch_data()
    {
        QTest::addColumn<int>("keyLength");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QStringList>("lastSteps"); // of the last character typed
        QTest::addColumn<int>("reads");             // key reads of the last character

        // Names: the index tells three characters apart; longer texts are
        // refined within the group.
        QTest::newRow("names: one character, the first group") << 3 << "R" << "R" << QStringList{"page 0"} << 0;
        QTest::newRow("names: the exact group") << 3 << "ROM" << "ROM" << QStringList{"page 2"} << 0;
        QTest::newRow("names: refined within the group")
            << 3 << "ROME" << "ROME" << QStringList{"page 5"} << 2;
        // A text that continues the last one found is looked for from its
        // match on, which is tried first.
        QTest::newRow("names: typing on keeps the match, one read")
            << 3 << "SAN MAR" << "SAN MAR" << QStringList{"page 7"} << 1;
        QTest::newRow("names: typing on moves the match past the last one")
            << 3 << "ROMAN" << "ROMAN" << QStringList{"page 4"} << 3;
        QTest::newRow("names: a fourth character no key continues")
            << 3 << "ROMX" << "ROM" << QStringList{"back ROM", "page 2"} << 2;
        QTest::newRow("names: text inside a key is no match")
            << 3 << "SANN" << "SANN" << QStringList{"page 9"} << 2;
        QTest::newRow("names: an unknown first character") << 3 << "X" << "" << QStringList{"back ", "page 0"} << 0;
        QTest::newRow("names: a third character no prefix continues")
            << 3 << "ROX" << "RO" << QStringList{"back RO", "page 0"} << 0;
        // Provinces: two characters are the whole key, never refined.
        QTest::newRow("provinces: a known abbreviation") << 2 << "TO" << "TO" << QStringList{"page 7"} << 0;
        QTest::newRow("provinces: one letter, the first group") << 2 << "T" << "T" << QStringList{"page 6"} << 0;
        QTest::newRow("provinces: an unknown abbreviation is cut to its letter")
            << 2 << "TX" << "T" << QStringList{"back T", "page 6"} << 0;
        QTest::newRow("provinces: a letter no abbreviation begins with")
            << 2 << "Q" << "" << QStringList{"back ", "page 0"} << 0;
        // Pasted (after "|"): one change of the whole text.
        QTest::newRow("names: pasted, three characters match no prefix")
            << 3 << "|ROXANA" << "RO" << QStringList{"back RO", "page 0"} << 0;
        QTest::newRow("names: pasted, no character matches")
            << 3 << "|QQQQ" << "" << QStringList{"back QQ", "back Q", "back ", "page 0"} << 0;
        QTest::newRow("names: pasted, cut back until a key begins so")
            << 3 << "|ROMEX" << "ROME" << QStringList{"back ROME", "page 5"} << 4;
    }
    void typedTextShowsThePageOfItsFirstMatch()
    {
        QFETCH(int, keyLength);
        QFETCH(QString, typed);
        QFETCH(QString, field);
        QFETCH(QStringList, lastSteps);
        QFETCH(int, reads);
        Field f(keyLength == 2 ? kProvinces : kNames, keyLength);
        const bool pasted = typed.startsWith(u'|');
        f.type(pasted ? QString() : typed.chopped(1));
        f.steps.clear();
        f.keyReads = 0;
        f.deepest = 0;
        if (pasted)
            f.setText(typed.mid(1));
        else
            f.type(typed.right(1));
        QCOMPARE(f.text, field);
        QCOMPARE(f.steps, lastSteps);
        QCOMPARE(f.keyReads, reads);
        QVERIFY(!f.readOutsideGroup);
        // The field searched the text put back from inside the search; the
        // outer run then found it searched and did nothing more.
        QCOMPARE(f.search.lastText(), field);
        QCOMPARE(f.deepest, 1 + int(lastSteps.filter("back").size()));
        // A repeated text is never searched again.
        f.steps.clear();
        f.search.search(f.text, f);
        QVERIFY(f.steps.isEmpty());
    }

    void takingBackWithoutAFieldNotificationSearchesTheShorterTextOnce()
    {
        // A user without a field (a command line) only returns the text.
        Field f({"ALFA", "ALTO", "BETA"}, 3);
        f.search.putBack = [&](const QString &text) {
            f.steps << QStringLiteral("back %1").arg(text);
            return text;
        };
        f.search.search("ALTRO", f);
        QCOMPARE(f.steps, QStringList({"back ALTR", "back ALT", "page 1"}));
        QCOMPARE(f.search.lastText(), "ALT");
        QCOMPARE(f.search.prefix(), "ALT");
        // Without a field at all: the text that stays, and its page.
        const Found found = findText("ALFIERE", f);
        QCOMPARE(found.text, "ALF");
        QCOMPARE(found.start, 0);
        QCOMPARE(findText("BETA", f).start, 2);
    }

    // A group sorted in code page 1252 byte order, as the data compiler
    // writes it, where the byte order and the characters' own order differ
    // (the euro sign and the caron letters sit among the bytes 0x80 to 0x9F,
    // below the accented capitals): every beginning of every key, and texts
    // that no key continues, find what reading the group record by record
    // finds, in at most log2 of the group's size reads a search.
    void halvingFindsWhatAScanOfTheGroupFinds()
    {
        QStringList keys;
        for (const char *tail : {"", " ", " DI SOPRA", "'ANGELO", "A", "A MARIA", "AB", "ABC", "B", "O", "T",
                                 "\u20ac", "\u0160", "\u0160A", "\u017d", "\u00c0", "\u00c0B", "\u00c8", "\u00d9"})
            keys << QStringLiteral("SAN") + QString::fromUtf8(tail);
        std::sort(keys.begin(), keys.end(), [](const QString &a, const QString &b) {
            return *encodeCp1252(a) < *encodeCp1252(b);
        });
        QVERIFY(compareCp1252(u"SAN\u0160", u"SAN\u00c0") < 0); // byte order, not the characters' order
        keys.prepend(QStringLiteral("ROMA"));
        keys.append(QStringLiteral("TORINO"));
        QStringList texts;
        for (const QString &key : std::as_const(keys))
            for (int length = 4; length <= key.size(); ++length)
                texts << key.left(length);
        texts << QStringLiteral("SANAA") << QStringLiteral("SAN\u00c1") << QStringLiteral("SAN\u0161")
              << QStringLiteral("SAN!") << QStringLiteral("SANZ");
        for (const QString &typed : std::as_const(texts)) {
            Field f(keys, 3);
            f.setText(typed.left(3));
            f.steps.clear();
            f.keyReads = 0;
            f.setText(typed);
            // The first key that begins with the field's text, record by record.
            int expected = -1;
            for (int i = 0; i < keys.size() && expected < 0; ++i)
                if (keys.at(i).startsWith(f.text))
                    expected = i;
            QVERIFY2(typed.startsWith(f.text) && f.text.size() >= 3, qPrintable(typed));
            QCOMPARE(f.lastPage(), expected);
            if (f.text == typed) // found at once, or taken back with one more search
                QVERIFY2(f.keyReads <= int(std::bit_width(unsigned(keys.size() - 2))), qPrintable(typed));
            QVERIFY(!f.readOutsideGroup);
        }
    }

    // An order file out of order (damaged, or not made by the data compiler):
    // the search stays inside the group of each text it searches, ends, and
    // shows a key that begins with the field's text, or takes it back.
    void aGroupOutOfOrderIsNeverLeft_data()
    {
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QString>("typed");
        const QStringList reversed = {"ROMENO", "ROMANO", "ROMAGNANO SESIA", "ROMA", "RO"};
        QTest::newRow("a group in reverse") << reversed << "ROMANO";
        QTest::newRow("a group in reverse, the last key") << reversed << "ROMA";
        QTest::newRow("a group in reverse, no key continues") << reversed << "ROMAX";
        QTest::newRow("a group shuffled")
            << QStringList{"RO", "ROMB", "ROMA", "ROMD", "ROMC", "ROME", "ROMA", "RONCO"} << "ROMA";
        QTest::newRow("equal keys around a smaller one")
            << QStringList{"SANT", "SANT", "SANA", "SANT", "SANT", "SANT", "SANT"} << "SANTA";
        QTest::newRow("one key greater than all after it")
            << QStringList{"ROMA", "ROMZ", "ROMB", "ROMC", "ROMD", "ROME", "ROMF", "ROMG", "ROMH"} << "ROMH";
    }
    void aGroupOutOfOrderIsNeverLeft()
    {
        QFETCH(QStringList, keys);
        QFETCH(QString, typed);
        Field f(keys, 3);
        f.type(typed);
        QVERIFY(!f.readOutsideGroup);
        QVERIFY(typed.startsWith(f.text));
        QCOMPARE(f.search.lastText(), f.text);
        if (f.text.size() > 3)
            QVERIFY(keys.value(f.lastPage()).startsWith(f.text));
        // Each character typed searches its text once, plus one search for
        // each character taken back, each within a group of the file.
        const int bound = int(std::bit_width(unsigned(keys.size())));
        QVERIFY(f.keyReads <= 2 * typed.size() * bound);
    }
};

QTEST_GUILESS_MAIN(TestIncrementalSearch)
#include "tst_incremental_search.moc"
