// The incremental search on its own: keys in memory, a field that searches
// again from inside the search when text is put back, as the window's does.
#include "common/incremental_search.h"

#include <QTest>

using namespace zelvora;

namespace {

// An order file of sorted keys with its prefix index of `keyLength`
// characters, and a search field whose change notification runs the search.
struct Field
{
    QStringList keys;
    QStringList prefixes;
    QStringList firstRecords;
    int keyLength;
    QString lastText;
    QString prefix;
    IncrementalSearch search{lastText, prefix};
    QString text;
    QStringList steps; // what the search asked for, in order
    int keyReads = 0;
    int depth = 0;
    int deepest = 0;

    Field(const QStringList &sortedKeys, int length) : keys(sortedKeys), keyLength(length)
    {
        for (int i = 0; i < keys.size(); ++i) {
            const QString p = keys.at(i).left(keyLength);
            if (prefixes.isEmpty() || prefixes.last() != p) {
                prefixes << p;
                firstRecords << QString::number(i + 1);
            }
        }
        search.readKey = [this](int index) {
            ++keyReads;
            return keys.at(index);
        };
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
        search.search(text, {prefixes, firstRecords, int(keys.size())}, {keyLength});
        --depth;
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
            << 3 << "ROMAN" << "ROMAN" << QStringList{"page 2", "page 4"} << 3;
        QTest::newRow("names: a fourth character no key continues")
            << 3 << "ROMX" << "ROM" << QStringList{"page 2", "back ROM", "page 2"} << 4;
        QTest::newRow("names: text inside a key is no match")
            << 3 << "SANN" << "SANN" << QStringList{"page 7", "page 9"} << 3;
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
            << 3 << "|ROMEX" << "ROME" << QStringList{"page 2", "back ROME", "page 2", "page 5"} << 8;
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
        // The field searched the text put back from inside the search; the
        // outer run then found it searched and did nothing more.
        QCOMPARE(f.search.lastText(), field);
        QCOMPARE(f.deepest, 1 + int(lastSteps.filter("back").size()));
        // A repeated text is never searched again.
        f.steps.clear();
        f.search.search(f.text, {f.prefixes, f.firstRecords, int(f.keys.size())}, {keyLength});
        QVERIFY(f.steps.isEmpty());
    }

    void takingBackWithoutAFieldNotificationSearchesTheShorterTextOnce()
    {
        // A user without a field (a command line) only returns the text.
        QString lastText;
        QString prefix;
        IncrementalSearch search(lastText, prefix);
        QStringList steps;
        const QStringList keys = {"ALFA", "ALTO", "BETA"};
        const QStringList prefixes = {"ALF", "ALT", "BET"};
        const QStringList firstRecords = {"1", "2", "3"};
        search.readKey = [&](int index) { return keys.at(index); };
        search.showPage = [&](int start) { steps << QStringLiteral("page %1").arg(start); };
        search.putBack = [&](const QString &text) {
            steps << QStringLiteral("back %1").arg(text);
            return text;
        };
        search.search("ALTRO", {prefixes, firstRecords, 3}, {3});
        QCOMPARE(steps, QStringList({"page 1", "back ALTR", "page 1", "back ALT", "page 1"}));
        QCOMPARE(search.lastText(), "ALT");
        QCOMPARE(prefix, "ALT");
    }

};

QTEST_GUILESS_MAIN(TestIncrementalSearch)
#include "tst_incremental_search.moc"
