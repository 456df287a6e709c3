// Opening a city of the street directory, reading its streets and notes, and
// the index group of a search text, on small cities made by the compiler.
#include "common/io_error.h"
#include "streets/street_files.h"
#include "support/fixtures.h"

#include <QTemporaryDir>
#include <QTest>

using namespace zelvora;

namespace {
constexpr int kMestre = 25;
constexpr int kRegcal = 19;

// Sorted: ADDA, ADIGE, BARI, GARDA, GARIBALDI GIUSEPPE (PIAZZA, VIA), ROMA,
// ZARA; index groups ADD 1, ADI 2, BAR 3, GAR 4-6, ROM 7, ZAR 8.
const QList<test::StreetSource> kStreets{
    {.street = "ZARA", .designation = "VIA", .cap = "30171"},
    {.street = "GARIBALDI GIUSEPPE", .designation = "VIA", .cap = "30174", .note = "2-40 PARI"},
    {.street = "ADDA", .designation = "VIA", .cap = "30172", .note = "1-9"},
    {.street = "ROMA", .designation = "VIA", .cap = "30175"},
    {.street = "ADIGE", .designation = "VIA", .cap = "30173", .note = "TUTTI"},
    {.street = "GARIBALDI GIUSEPPE", .designation = "PIAZZA", .cap = "30174"},
    {.street = "BARI", .designation = "PIAZZA", .cap = "30171", .note = "1-9"},
    {.street = "GARDA", .designation = "VIA", .cap = "30172"},
};

void patch(const QString &path, qsizetype offset, const QByteArray &bytes)
{
    QByteArray data = test::readAll(path);
    data.replace(offset, bytes.size(), bytes);
    test::writeAll(path, data);
}
// A stored record number: signed 16-bit little-endian.
QByteArray number(int n)
{
    const auto v = static_cast<quint16>(static_cast<qint16>(n));
    QByteArray bytes(2, '\0');
    bytes[0] = char(v & 0xff);
    bytes[1] = char(v >> 8);
    return bytes;
}
} // namespace

class TestStreetFiles : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QStringList m_prefixes, m_firsts;

    QString zone(const QString &file) const { return m_dir.filePath("zone/" + file); }

    // Opens the city, failing the test on an error.
    void open(StreetFiles &files, int row)
    {
        const CityFiles city = findCityFiles(m_dir.path(), row);
        QVERIFY2(guardedOpen(files, city).isEmpty(), "the city opens");
    }
    static QString guardedOpen(StreetFiles &files, const CityFiles &city)
    {
        try {
            files.open(city);
        } catch (const IoError &error) {
            return error.message();
        }
        return {};
    }

private slots:
    void init()
    {
        QDir(m_dir.filePath("zone")).removeRecursively();
        QVERIFY(test::buildCity(m_dir.path(), "mestre", kStreets));
        QVERIFY(test::buildCity(m_dir.path(), "regcal", kStreets.mid(0, 2)));
    }

    void openingACity_data()
    {
        QTest::addColumn<QStringList>("removed");
        QTest::addColumn<CityOutcome>("outcome");
        QTest::addColumn<QString>("message"); // {loc}, {lox}, {civ}: the full paths
        const QString mainMissing = "Il file {loc}\ro il file {lox}\rè mancante !";
        QTest::newRow("all three files") << QStringList() << CityOutcome::Opened << QString();
        QTest::newRow("notes missing")
            << QStringList{"mestre.civ"} << CityOutcome::OpenedWithoutNotes
            << "Il file {civ}\rè mancante !\rNon verranno visualizzati i numeri civici e le note.";
        QTest::newRow("index missing, street file there")
            << QStringList{"mestre.lox"} << CityOutcome::NotOpened << mainMissing;
        QTest::newRow("street file missing") << QStringList{"mestre.loc"} << CityOutcome::NotOpened << mainMissing;
        QTest::newRow("everything missing")
            << QStringList{"mestre.loc", "mestre.lox", "mestre.civ"} << CityOutcome::NotOpened << mainMissing;
    }
    void openingACity()
    {
        QFETCH(QStringList, removed);
        QFETCH(CityOutcome, outcome);
        QFETCH(QString, message);
        for (const QString &file : removed)
            QVERIFY(QFile::remove(zone(file)));
        StreetFiles files(m_prefixes, m_firsts);
        open(files, kRegcal); // a city opened before is released
        QCOMPARE(files.streetCount(), 2);

        const CityFiles city = findCityFiles(m_dir.path(), kMestre);
        QCOMPARE(city.outcome, outcome);
        QCOMPARE(city.message, QString(message)
                                   .replace("{loc}", m_dir.path() + "/zone/mestre.loc")
                                   .replace("{lox}", m_dir.path() + "/zone/mestre.lox")
                                   .replace("{civ}", m_dir.path() + "/zone/mestre.civ"));
        QVERIFY(guardedOpen(files, city).isEmpty());
        const bool opened = outcome != CityOutcome::NotOpened;
        QCOMPARE(files.isOpen(), opened);
        QCOMPARE(files.notesAvailable(), outcome == CityOutcome::Opened);
        QCOMPARE(files.streetCount(), opened ? 8 : 0);
        QCOMPARE(m_prefixes, opened ? QStringList({"ADD", "ADI", "BAR", "GAR", "ROM", "ZAR"}) : QStringList());
        QCOMPARE(m_firsts, opened ? QStringList({"1", "2", "3", "4", "7", "8"}) : QStringList());
        if (!opened)
            return;
        QStringList notes;
        for (int i = 0; i < files.streetCount(); ++i)
            notes << files.note(files.readStreet(i));
        QCOMPARE(notes, outcome == CityOutcome::Opened
                            ? QStringList({"1-9", "TUTTI", "1-9", "", "", "2-40 PARI", "", ""})
                            : QStringList(8, QString()));
    }

    void readingANoteLeavesTheStreetFilePosition()
    {
        StreetFiles files(m_prefixes, m_firsts);
        open(files, kMestre);
        files.seek(4);
        const StreetRecord piazza = files.readNext();
        QCOMPARE(piazza.street + ' ' + piazza.designation, "GARIBALDI GIUSEPPE PIAZZA");
        QCOMPARE(files.note(files.readStreet(1)), "TUTTI");
        QCOMPARE(files.position(), 2);
        QCOMPARE(files.note(files.readStreet(5)), "2-40 PARI");
        QCOMPARE(files.position(), 6);
        QCOMPARE(files.readNext().street, "ROMA");
    }

    void noteNumberZeroOrNegativeHasNoNote_data()
    {
        QTest::addColumn<int>("noteNo");
        QTest::addColumn<bool>("withNotesFile");
        QTest::newRow("zero") << 0 << true;
        QTest::newRow("negative") << -2 << true;
        QTest::newRow("zero, no notes file") << 0 << false;
        QTest::newRow("negative, no notes file") << -32768 << false;
    }
    void noteNumberZeroOrNegativeHasNoNote()
    {
        QFETCH(int, noteNo);
        QFETCH(bool, withNotesFile);
        patch(zone("mestre.loc"), StreetRecord::kSize * 1 + StreetRecord::kNoteNoOffset, number(noteNo));
        if (!withNotesFile)
            QVERIFY(QFile::remove(zone("mestre.civ")));
        StreetFiles files(m_prefixes, m_firsts);
        open(files, kMestre);
        const StreetRecord adige = files.readStreet(1);
        QCOMPARE(adige.noteNo, noteNo);
        QCOMPARE(files.note(adige), QString());
        QCOMPARE(files.noteReads(), 0);
    }

    void groupOfASearchText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("first"); // 0: no group
        QTest::addColumn<int>("last");
        QTest::newRow("one character: the first group that begins with it") << "A" << 1 << 1;
        QTest::newRow("first group") << "ADD" << 1 << 1;
        QTest::newRow("inner group ends before the next") << "GA" << 4 << 6;
        QTest::newRow("a longer text looks up its first three characters") << "GARIBALDI" << 4 << 6;
        QTest::newRow("last group ends at the last street") << "Z" << 8 << 8;
        QTest::newRow("empty text matches nothing") << "" << 0 << 0;
        QTest::newRow("no group") << "GAX" << 0 << 0;
        QTest::newRow("inside a prefix is no match") << "DD" << 0 << 0;
    }
    void groupOfASearchText()
    {
        QFETCH(QString, text);
        QFETCH(int, first);
        QFETCH(int, last);
        StreetFiles files(m_prefixes, m_firsts);
        open(files, kMestre);
        const std::optional<Group> group = files.group(text);
        QCOMPARE(group.has_value(), first != 0);
        if (group)
            QCOMPARE(*group, (Group{first, last}));
    }

    void damagedIndexIsAnError_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<QByteArray>("bytes");
        const int first = PrefixIndexEntry::kFirstRecordOffset;
        QTest::newRow("last group beyond the street file") << 5 * 6 + first << number(9);
        QTest::newRow("first record zero") << 0 * 6 + first << number(0);
        QTest::newRow("first records not ascending") << 3 * 6 + first << number(3);
        QTest::newRow("prefixes not ascending") << 1 * 6 << QByteArray("\x03" "ACE");
        QTest::newRow("same prefix twice") << 1 * 6 << QByteArray("\x03" "ADD");
    }
    void damagedIndexIsAnError()
    {
        QFETCH(int, offset);
        QFETCH(QByteArray, bytes);
        patch(zone("mestre.lox"), offset, bytes);
        StreetFiles files(m_prefixes, m_firsts);
        QVERIFY(!guardedOpen(files, findCityFiles(m_dir.path(), kMestre)).isEmpty());
        QVERIFY(!files.isOpen());
        QVERIFY(m_prefixes.isEmpty() && m_firsts.isEmpty());
        QVERIFY(!files.group("A"));
    }

    void noteBeyondTheNotesFileIsAnError()
    {
        patch(zone("mestre.loc"), StreetRecord::kSize * 3 + StreetRecord::kNoteNoOffset, number(4));
        StreetFiles files(m_prefixes, m_firsts);
        open(files, kMestre);
        const StreetRecord garda = files.readStreet(3);
        QCOMPARE(garda.noteNo, 4);
        QVERIFY_THROWS_EXCEPTION(IoError, files.note(garda));
        QCOMPARE(files.noteReads(), 0);
    }

    void smallCityNeverReadsOutsideItsFile()
    {
        StreetFiles files(m_prefixes, m_firsts);
        open(files, kRegcal);
        files.seek(files.streetCount() - 7); // a page back from the end
        QCOMPARE(files.position(), 0);
        QStringList page;
        while (!files.atEnd())
            page << files.readNext().street;
        QCOMPARE(page, QStringList({"GARIBALDI GIUSEPPE", "ZARA"}));
        QVERIFY_THROWS_EXCEPTION(IoError, files.readNext());
        QVERIFY_THROWS_EXCEPTION(IoError, files.seek(3));
        QVERIFY_THROWS_EXCEPTION(IoError, files.readStreet(-1));
        QCOMPARE(files.streetReads(), 2);
    }
};

QTEST_GUILESS_MAIN(TestStreetFiles)
#include "tst_street_files.moc"
