// Names compared as people type them: which spellings are one name, the
// distance between names, and the closest names to one not found.
#include "common/name_match.h"

#include <QTest>

using namespace zelvora;

class TestNameMatch : public QObject
{
    Q_OBJECT

private slots:
    void spellingsOfOneNameShareTheirKey_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("same");
        QTest::newRow("accent and apostrophe") << "Cantù" << "CANTU'" << true;
        QTest::newRow("S. for SANT'") << "S. Angelo Lodigiano" << "SANT'ANGELO LODIGIANO" << true;
        QTest::newRow("S.TA for SANTA") << "s.ta maria capua vetere" << "SANTA MARIA CAPUA VETERE" << true;
        QTest::newRow("SS. for SANTI") << "SS. Cosma e Damiano" << "SANTI COSMA E DAMIANO" << true;
        QTest::newRow("hyphens and spaces") << "Castelnuovo-Rangone" << "CASTELNUOVO RANGONE" << true;
        QTest::newRow("C. for CASTEL, spaces ignored") << "C. Franco Emilia" << "CASTELFRANCO EMILIA" << true;
        QTest::newRow("M. for MONTE") << "M. San Savino" << "MONTE SAN SAVINO" << true;
        QTest::newRow("Roman numerals are words") << "Via XX Settembre" << "VIA VENTI SETTEMBRE" << true;
        QTest::newRow("figures are words") << "20 settembre" << "VENTI SETTEMBRE" << true;
        QTest::newRow("tens with a unit") << "ventotto ottobre" << "28 OTTOBRE" << true;
        QTest::newRow("ordinals of kings") << "Vittorio Emanuele II" << "VITTORIO EMANUELE SECONDO" << true;
        QTest::newRow("leading zeros") << "IV Novembre" << "04 NOVEMBRE" << true;
        QTest::newRow("a single letter is an initial, not a numeral") << "I" << "1" << false;
        QTest::newRow("L and C are no numerals") << "LI" << "51" << false;
        QTest::newRow("a longer name is another name") << "Milano" << "MILANO MARITTIMA" << false;
        QTest::newRow("a letter more is another name") << "Calzaiuoli" << "CALZAIOLI" << false;
    }

    void spellingsOfOneNameShareTheirKey()
    {
        QFETCH(QString, typed);
        QFETCH(QString, name);
        QFETCH(bool, same);
        QCOMPARE(nameKey(typed) == nameKey(name), same);
    }

    void distanceCountsEditsUpToItsLimit_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("limit");
        QTest::addColumn<int>("distance");
        QTest::newRow("same") << "ROMA" << "ROMA" << 2 << 0;
        QTest::newRow("one replaced") << "ROMA" << "RIMA" << 2 << 1;
        QTest::newRow("one left out") << "CALZAIUOLI" << "CALZAIOLI" << 2 << 1;
        QTest::newRow("two swapped") << "ORMA" << "ROMA" << 3 << 2;
        QTest::newRow("beyond the limit") << "ROMA" << "MILANO" << 2 << 3;
        QTest::newRow("empty") << "" << "ABC" << 5 << 3;
    }

    void distanceCountsEditsUpToItsLimit()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, limit);
        QFETCH(int, distance);
        QCOMPARE(editDistance(a, b, limit), distance);
        QCOMPARE(editDistance(b, a, limit), distance);
    }

    void closestNamesComeNearestFirst_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QList<int>>("items");
        // Items: 0 ROMA, 1 ROMANO, 2 CERVIA MILANO MARITTIMA, 3 CALZAIOLI,
        // 4 SAN GIOVANNI ROTONDO, 5 and 6 SAN GIOVANNI (two provinces),
        // 7 a long name of more than 64 letters.
        QTest::newRow("a letter more: the nearest first") << "ROMAA" << QList<int>{0, 1};
        QTest::newRow("every typed word held whole") << "milano marittima" << QList<int>{2};
        QTest::newRow("a letter more in a long name") << "calzaiuoli" << QList<int>{3};
        QTest::newRow("abbreviation and a letter left out") << "S. Giovani Rotondo" << QList<int>{4};
        QTest::newRow("one name in two places, the preferred first") << "san giovani" << QList<int>{6, 5};
        QTest::newRow("nothing near") << "ZZZZZZ" << QList<int>{};
        QTest::newRow("a name longer than a machine word")
            << QString(70, u'A') + u'B' << QList<int>{7};
    }

    void closestNamesComeNearestFirst()
    {
        QFETCH(QString, typed);
        QFETCH(QList<int>, items);
        NameSuggester suggester;
        const QStringList names{"ROMA", "ROMANO", "CERVIA MILANO MARITTIMA", "CALZAIOLI", "SAN GIOVANNI ROTONDO",
                                "SAN GIOVANNI", "SAN GIOVANNI", QString(70, u'A')};
        for (int i = 0; i < names.size(); ++i)
            suggester.add(names.at(i), i);
        QCOMPARE(suggester.suggest(typed, 3, [](int item) { return item == 6; }), items);
        // Asked again, the same answer (from what was kept of the first).
        QCOMPARE(suggester.suggest(typed, 3, [](int item) { return item == 6; }), items);
    }
};

QTEST_GUILESS_MAIN(TestNameMatch)
#include "tst_name_match.moc"
