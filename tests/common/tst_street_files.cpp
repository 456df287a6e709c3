// Opening a city of the street directory, reading its streets and notes, and
// the index group of a search text, on small cities made by the compiler.
#include "common/io_error.h"
#include "common/street_directory.h"
#include "common/street_files.h"
#include "streets/street_window.h"
#include "support/fixtures.h"

#include <QTemporaryDir>
#include <QTest>

using namespace zelvora;

namespace {
constexpr int kMestre = 25;
constexpr int kRegcal = 19;

// In file order ADDA, ADIGE, BARI, GARDA, GARIBALDI GIUSEPPE (PIAZZA, VIA),
// ROMA, ZARA; index groups ADD 1, ADI 2, BAR 3, GAR 4-6, ROM 7, ZAR 8.
const QList<test::StreetSource> kStreets{
    {.street = "ZARA", .designation = "VIA"},
    {.street = "GARIBALDI GIUSEPPE", .designation = "VIA", .note = "2-40 PARI"},
    {.street = "ADDA", .designation = "VIA", .note = "1-9"},
    {.street = "ROMA", .designation = "VIA"},
    {.street = "ADIGE", .designation = "VIA", .note = "TUTTI"},
    {.street = "GARIBALDI GIUSEPPE", .designation = "PIAZZA"},
    {.street = "BARI", .designation = "PIAZZA", .note = "1-9"},
    {.street = "GARDA", .designation = "VIA"},
};

// Writes a stored record number (signed 16-bit little-endian) into a file.
void patchNumber(const QString &path, int offset, int number)
{
    QByteArray data = test::readAll(path);
    data[offset] = char(number & 0xff);
    data[offset + 1] = char((number >> 8) & 0xff);
    test::writeAll(path, data);
}
} // namespace

class TestStreetFiles : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    StreetFiles m_files;

    QString zone(const QString &file) const { return m_dir.filePath("zone/" + file); }
    // Opens a city; the text of the error that ends it, empty when it opens.
    QString open(int row)
    {
        try {
            m_files.open(findCityFiles(m_dir.path(), row));
        } catch (const IoError &error) {
            return error.message();
        }
        return {};
    }

private slots:
    void init()
    {
        m_files.close();
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
        QTest::newRow("index missing, street file there") << QStringList{"mestre.lox"} << CityOutcome::NotOpened
                                                          << mainMissing;
        QTest::newRow("street file missing") << QStringList{"mestre.loc"} << CityOutcome::NotOpened << mainMissing;
    }
    void openingACity()
    {
        QFETCH(QStringList, removed);
        QFETCH(CityOutcome, outcome);
        QFETCH(QString, message);
        for (const QString &file : removed)
            QVERIFY(QFile::remove(zone(file)));
        QCOMPARE(open(kRegcal), QString()); // released by the next opening
        const CityFiles city = findCityFiles(m_dir.path(), kMestre);
        QCOMPARE(city.outcome, outcome);
        QCOMPARE(cityFilesMessage(city), message.replace("{loc}", zone("mestre.loc"))
                                   .replace("{lox}", zone("mestre.lox"))
                                   .replace("{civ}", zone("mestre.civ")));
        m_files.open(city);
        const bool opened = outcome != CityOutcome::NotOpened;
        QCOMPARE(m_files.isOpen(), opened);
        QCOMPARE(m_files.notesAvailable(), outcome == CityOutcome::Opened);
        QCOMPARE(m_files.streetCount(), opened ? 8 : 0);
        QCOMPARE(test::prefixesOf(m_files.prefixIndex()), opened ? QStringList({"ADD", "ADI", "BAR", "GAR", "ROM", "ZAR"}) : QStringList());
        QCOMPARE(test::firstRecordsOf(m_files.prefixIndex()), opened ? QStringList({"1", "2", "3", "4", "7", "8"}) : QStringList());
        // Read in sequence: a note read between two streets leaves the street
        // file's read position where it was.
        QStringList notes;
        while (opened && !m_files.atEnd() && notes.size() < 8)
            notes << m_files.note(m_files.readNext());
        if (opened)
            QCOMPARE(notes, outcome == CityOutcome::Opened
                                ? QStringList({"1-9", "TUTTI", "1-9", "", "", "2-40 PARI", "", ""})
                                : QStringList(8, QString()));
        // Read by number rather than in order, the same streets and notes.
        StreetDirectory directory;
        directory.open(city);
        QCOMPARE(directory.isOpen(), opened);
        QStringList wholeNotes;
        for (int i = 0; i < directory.count(); ++i)
            wholeNotes << directory.note(directory.record(i));
        QCOMPARE(wholeNotes, opened ? notes : QStringList());
        QCOMPARE(test::firstRecordsOf(directory.prefixIndex()), test::firstRecordsOf(m_files.prefixIndex()));
        // Read whole, the same again.
        directory.open(city, StreetDirectory::Reading::Whole);
        QCOMPARE(directory.isOpen(), opened);
        QCOMPARE(directory.notesAvailable(), outcome == CityOutcome::Opened);
        for (int i = 0; i < directory.count(); ++i)
            QCOMPARE(directory.note(directory.record(i)), wholeNotes.at(i));
        QCOMPARE(test::firstRecordsOf(directory.prefixIndex()), test::firstRecordsOf(m_files.prefixIndex()));
    }

    void aProgramInTheRootNamesItsCityFilesFromTheRoot()
    {
        if (QFileInfo::exists("/zone"))
            QSKIP("this machine has a street folder in its root");
        const CityFiles city = findCityFiles("/", *cityRowOfFileBase(u"roma"));
        QCOMPARE(city.outcome, CityOutcome::NotOpened);
        QCOMPARE(cityFilesMessage(city), QString::fromUtf8("Il file /zone/roma.loc\ro il file /zone/roma.lox\rè mancante !"));
    }

    void noteNumberZeroOrNegativeHasNoNote_data()
    {
        QTest::addColumn<int>("noteNo");
        QTest::addColumn<bool>("withNotesFile");
        QTest::newRow("zero") << 0 << true;
        QTest::newRow("negative") << -2 << true;
        QTest::newRow("negative, no notes file") << -32768 << false;
    }
    void noteNumberZeroOrNegativeHasNoNote()
    {
        QFETCH(int, noteNo);
        QFETCH(bool, withNotesFile);
        patchNumber(zone("mestre.loc"), StreetRecord::kSize * 1 + StreetRecord::kNoteNoOffset, noteNo);
        if (!withNotesFile)
            QVERIFY(QFile::remove(zone("mestre.civ")));
        QCOMPARE(open(kMestre), QString());
        const StreetRecord adige = m_files.readStreet(1);
        QCOMPARE(adige.noteNo, noteNo);
        QCOMPARE(m_files.note(adige), QString());
    }

    void groupOfASearchText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("first"); // 0: no group
        QTest::addColumn<int>("last");
        QTest::newRow("one character: the first group that begins with it") << "A" << 1 << 1;
        QTest::newRow("a longer text looks up its first three characters") << "GARIBALDI" << 4 << 6;
        QTest::newRow("last group ends at the last street") << "Z" << 8 << 8;
        QTest::newRow("empty text matches nothing") << "" << 0 << 0;
    }
    void groupOfASearchText()
    {
        QFETCH(QString, text);
        QFETCH(int, first);
        QFETCH(int, last);
        QCOMPARE(open(kMestre), QString());
        QCOMPARE(m_files.group(text), first ? std::optional(Group{first, last}) : std::nullopt);
        // The directory's search lands inside that group, on a street that
        // begins with the whole text.
        StreetDirectory directory;
        directory.open(findCityFiles(m_dir.path(), kMestre));
        const Found found = directory.find(text);
        if (first) {
            QCOMPARE(found.text, text);
            QVERIFY(found.start + 1 >= first && found.start + 1 <= last);
            QVERIFY(directory.key(found.start).startsWith(text));
        }
    }

    void damagedIndexIsAnError_data()
    {
        QTest::addColumn<int>("entry");
        QTest::addColumn<QByteArray>("prefix"); // empty: keep it
        QTest::addColumn<int>("firstRecord");
        QTest::newRow("last group beyond the street file") << 5 << QByteArray() << 9;
        QTest::newRow("first record zero") << 0 << QByteArray() << 0;
        QTest::newRow("first records not ascending") << 3 << QByteArray() << 3;
        QTest::newRow("prefixes not ascending") << 1 << QByteArray("ACE") << 2;
        QTest::newRow("same prefix twice") << 1 << QByteArray("ADD") << 2;
    }
    void damagedIndexIsAnError()
    {
        QFETCH(int, entry);
        QFETCH(QByteArray, prefix);
        QFETCH(int, firstRecord);
        const int at = entry * PrefixIndexEntry::kSize;
        patchNumber(zone("mestre.lox"), at + PrefixIndexEntry::kFirstRecordOffset, firstRecord);
        if (!prefix.isEmpty()) {
            QByteArray index = test::readAll(zone("mestre.lox"));
            test::writeAll(zone("mestre.lox"), index.replace(at + 1, prefix.size(), prefix));
        }
        QVERIFY(!open(kMestre).isEmpty());
        QVERIFY(!m_files.isOpen() && m_files.prefixIndex().isEmpty());
        StreetDirectory directory;
        QVERIFY_THROWS_EXCEPTION(IoError, directory.open(findCityFiles(m_dir.path(), kMestre)));
    }

    void neverReadsOutsideAFile()
    {
        patchNumber(zone("regcal.loc"), StreetRecord::kNoteNoOffset, 2); // past the one note
        QCOMPARE(open(kRegcal), QString());
        m_files.seek(m_files.streetCount() - 7); // a page back from the end of a short city
        QCOMPARE(m_files.position(), 0);
        const StreetRecord first = m_files.readNext();
        QCOMPARE(m_files.readNext().street, "ZARA");
        QVERIFY_THROWS_EXCEPTION(IoError, m_files.readNext());
        QVERIFY_THROWS_EXCEPTION(IoError, m_files.seek(3));
        QVERIFY_THROWS_EXCEPTION(IoError, m_files.readStreet(-1));
        QVERIFY_THROWS_EXCEPTION(IoError, m_files.note(first));
        QCOMPARE(m_files.streetReads() + m_files.noteReads(), 2);
        StreetDirectory directory;
        directory.open(findCityFiles(m_dir.path(), kRegcal));
        QVERIFY_THROWS_EXCEPTION(IoError, directory.record(2));
        QVERIFY_THROWS_EXCEPTION(IoError, directory.record(-1));
        QVERIFY_THROWS_EXCEPTION(IoError, directory.note(directory.record(0)));
        QCOMPARE(directory.streetReads() + directory.noteReads(), 1);
    }
};

QTEST_GUILESS_MAIN(TestStreetFiles)
#include "tst_street_files.moc"
