// Reading the locality files that the data compiler writes.
#include "common/io_error.h"
#include "common/locality_database.h"
#include "common/short_string.h"
#include "common/record_file.h"
#include "common/locality_files.h"
#include "support/fixtures.h"

#include <QTemporaryDir>
#include <QTest>

using namespace zelvora;

class TestLocalityFiles : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString path(const QString &name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase()
    {
        QVERIFY(test::buildDataFolder(
            m_dir.path(),
            {{.locality = "Trento", .province = "tn", .cap = "", .note = "CAP DA 38121 A 38123",
              .codes = {"38123", "38121", "38122"}},
             {.locality = "BOLZANO", .province = "BZ", .agency = "BOLZANO CENTRO", .cap = "39100",
              .bil = "BOZEN"},
             {.locality = "AGLIÈ", .province = "TO", .cap = "10011"}},
            {{.province = "TO", .name = "TORINO"}, {.province = "BZ", .name = "BOLZANO/BOZEN"}}));
    }

    void localitiesAreInNameOrderWithEveryField()
    {
        RecordFile loc;
        QVERIFY(loc.open(path(localityfiles::kLocalities), LocalityRecord::kSize));
        QCOMPARE(loc.count(), 3);
        const LocalityRecord bolzano = LocalityRecord::decode(loc.readAt(1));
        QCOMPARE(bolzano.locality, "BOLZANO");
        QCOMPARE(bolzano.pv, "BZ");
        QCOMPARE(bolzano.agency, "BOLZANO CENTRO");
        QCOMPARE(bolzano.cap, "39100");
        QCOMPARE(bolzano.bil, "BOZEN");
        QCOMPARE(bolzano.note, "");
        // Keys are stored upper case; È (0xC8) sorts after the plain letters.
        const LocalityRecord trento = LocalityRecord::decode(loc.readAt(2));
        QCOMPARE(trento.locality, "TRENTO");
        QCOMPARE(trento.pv, "TN");
        QCOMPARE(trento.cap, "");
        QCOMPARE(LocalityRecord::decode(loc.readAt(0)).locality, QString::fromUtf8("AGLIÈ"));
    }

    void orderEntriesResolveToTheirLocality()
    {
        RecordFile loc, cap, pv;
        QVERIFY(loc.open(path(localityfiles::kLocalities), LocalityRecord::kSize));
        QVERIFY(cap.open(path(localityfiles::kCapOrder), CapOrderEntry::kSize));
        QVERIFY(pv.open(path(localityfiles::kPvOrder), PvOrderEntry::kSize));
        QStringList caps;
        while (!cap.atEnd()) {
            const CapOrderEntry entry = CapOrderEntry::decode(cap.readNext());
            caps << entry.cap + "=" + readLocalityNo(loc, entry.localityNo).locality;
        }
        QCOMPARE(caps, QStringList({"10011=AGLIÈ", "38121=TRENTO", "38122=TRENTO", "38123=TRENTO",
                                    "39100=BOLZANO"}));
        QStringList provinces;
        while (!pv.atEnd())
            provinces << readLocalityNo(loc, PvOrderEntry::decode(pv.readNext()).localityNo).pv;
        QCOMPARE(provinces, QStringList({"BZ", "TN", "TO"}));
        // The unread key of a province entry holds the province and a zero byte.
        QCOMPARE(pv.readAt(0).left(4), QByteArray("\x02" "BZ\0", 4));
    }

    void localityNumberOutsideTheFileIsAnError_data()
    {
        QTest::addColumn<int>("localityNo");
        QTest::newRow("zero") << 0;
        QTest::newRow("negative") << -1;
        QTest::newRow("past the end") << 4;
        QTest::newRow("32768 stored") << -32768;
    }
    void localityNumberOutsideTheFileIsAnError()
    {
        QFETCH(int, localityNo);
        RecordFile loc;
        QVERIFY(loc.open(path(localityfiles::kLocalities), LocalityRecord::kSize));
        QVERIFY_THROWS_EXCEPTION(IoError, readLocalityNo(loc, localityNo));
        QCOMPARE(loc.readCount(), 0);
        QCOMPARE(readLocalityNo(loc, 3).locality, "TRENTO");
        LocalityDatabase db;
        QVERIFY(db.open(m_dir.path()));
        QVERIFY_THROWS_EXCEPTION(IoError, db.localityNo(localityNo));
        QCOMPARE(db.reads(), 0);
        QCOMPARE(db.localityNo(3).locality, "TRENTO");
    }

    // The first record of each search mode's order that a text finds, and the
    // longest beginning of the text some key has.
    void databaseFindsInEachOrder_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("matched");
        QTest::addColumn<QString>("locality"); // of the record found
        QTest::addColumn<QString>("key");
        const int locality = int(SearchMode::Locality), cap = int(SearchMode::Cap), pv = int(SearchMode::Province);
        QTest::newRow("name") << locality << "BOLZ" << "BOLZ" << "BOLZANO" << "BOLZANO";
        QTest::newRow("name taken back") << locality << "TRX" << "TR" << "TRENTO" << "TRENTO";
        QTest::newRow("a second code of a locality") << cap << "38122" << "38122" << "TRENTO" << "38122";
        QTest::newRow("code taken back") << cap << "3999" << "39" << "BOLZANO" << "39100";
        QTest::newRow("province, the key in the locality") << pv << "TO" << "TO" << QString::fromUtf8("AGLIÈ") << "TO";
        QTest::newRow("province not there") << pv << "MI" << "" << "" << "";
    }
    void databaseFindsInEachOrder()
    {
        QFETCH(int, mode);
        QFETCH(QString, text);
        QFETCH(QString, matched);
        QFETCH(QString, locality);
        QFETCH(QString, key);
        LocalityDatabase db;
        QVERIFY(db.open(m_dir.path()));
        const auto searchMode = SearchMode(mode);
        QCOMPARE(db.openMode(searchMode), QString());
        const Found found = db.find(searchMode, text);
        QCOMPARE(found.text, matched);
        if (matched.isEmpty())
            return;
        QCOMPARE(LocalityRecord::decode(db.inOrder(searchMode, found.start)).locality, locality);
        QCOMPARE(db.key(searchMode, found.start), key);
        // With the files kept open, as a window reads them, the same record.
        LocalityDatabase window;
        QVERIFY(window.openFiles(m_dir.path()));
        QCOMPARE(window.openMode(searchMode), QString());
        const Found kept = window.find(searchMode, text);
        QCOMPARE(kept.start, found.start);
        QCOMPARE(window.key(searchMode, kept.start), key);
        QVERIFY(window.orderFile(searchMode).isOpen());
    }

    void databaseWithoutAModeFileNamesIt()
    {
        QTemporaryDir dir;
        for (const QString &name : {localityfiles::kLocalities, localityfiles::kCapOrder})
            QVERIFY(QFile::copy(path(name), dir.filePath(name)));
        LocalityDatabase db;
        QVERIFY(db.open(dir.path()));
        QCOMPARE(db.openMode(SearchMode::Cap), localityfiles::kCapIndex);
        QCOMPARE(db.orderCount(SearchMode::Cap), 5); // the order is kept
        QCOMPARE(db.openMode(SearchMode::Province), localityfiles::kPvOrder);
        QVERIFY(!db.openProvinces());
        QVERIFY(!db.open(m_dir.filePath("nowhere")));
    }

    void provinceTableLoadsInFileOrder()
    {
        const ProvinceTable file = ProvinceTable::fromBytes(test::readAll(path(localityfiles::kProvinces)));
        QCOMPARE(file.provinceCodes, QStringList({"BZ", "TO"}));
        QCOMPARE(file.provinceNames, QStringList({"BOLZANO/BOZEN", "TORINO"}));
        // With a second entry for a code, the last wins.
        QByteArray turin(ProvinceRecord::kSize, '\0');
        writeShortString(turin.data() + ProvinceRecord::kPv.offset, ProvinceRecord::kPv.capacity, "TO");
        writeShortString(turin.data() + ProvinceRecord::kName.offset, ProvinceRecord::kName.capacity, "TURIN");
        const ProvinceTable table = ProvinceTable::fromBytes(test::readAll(path(localityfiles::kProvinces)) + turin);
        QCOMPARE(table.provinceCodes, QStringList({"BZ", "TO", "TO"}));
        QCOMPARE(table.nameOf("TO"), "TURIN");
        QCOMPARE(table.nameOf("B"), "BOLZANO/BOZEN");
        QCOMPARE(table.nameOf(""), "");
    }

    void damagedLengthByteStaysInsideItsField()
    {
        QByteArray record = test::readAll(path(localityfiles::kLocalities)).mid(LocalityRecord::kSize, LocalityRecord::kSize);
        record[LocalityRecord::kPv.offset] = char(200); // the province field says 200 characters
        const LocalityRecord damaged = LocalityRecord::decode(record);
        QCOMPARE(damaged.pv, "BZ");
        QCOMPARE(damaged.agency, "BOLZANO CENTRO");
    }
};

QTEST_GUILESS_MAIN(TestLocalityFiles)
#include "tst_locality_files.moc"
