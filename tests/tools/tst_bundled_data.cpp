// The bundled data, compiled by the build next to the executable: every
// municipality is there, and every postal code finds its municipality.
#include "common/record_file.h"
#include "datacompiler/csv_reader.h"
#include "locality/locality_files.h"

#include <QDir>
#include <QSet>
#include <QTest>

using namespace zelvora;

class TestBundledData : public QObject
{
    Q_OBJECT

    QDir m_data{QStringLiteral(ZELVORA_DATA_FOLDER)};
    datac::CsvTable m_sources;

private slots:
    void initTestCase()
    {
        QList<datac::Fault> faults;
        m_sources = datac::readCsv(QStringLiteral(ZELVORA_DATA_SOURCES "/localities.csv"), faults);
        QVERIFY(faults.isEmpty());
    }

    void holdsEveryItalianMunicipality()
    {
        RecordFile loc;
        QVERIFY(loc.open(m_data.filePath(localityfiles::kLocalities), LocalityRecord::kSize));
        QCOMPARE(loc.count(), 7904);
        QCOMPARE(m_sources.rows.size(), 7904);
        RecordFile provinces;
        QVERIFY(provinces.open(m_data.filePath(localityfiles::kProvinces), ProvinceRecord::kSize));
        QCOMPARE(provinces.count(), 107);
    }

    void everyPostalCodeFindsItsMunicipality()
    {
        RecordFile loc, cap;
        QVERIFY(loc.open(m_data.filePath(localityfiles::kLocalities), LocalityRecord::kSize));
        QVERIFY(cap.open(m_data.filePath(localityfiles::kCapOrder), CapOrderEntry::kSize));
        QSet<QString> listed; // "code name province" of every entry of locacap.cod
        while (!cap.atEnd()) {
            const CapOrderEntry entry = CapOrderEntry::decode(cap.readNext());
            const LocalityRecord locality = readLocalityNo(loc, entry.localityNo);
            listed.insert(entry.cap + ' ' + locality.locality + ' ' + locality.pv);
        }
        const qsizetype name = m_sources.header.indexOf("locality");
        const qsizetype province = m_sources.header.indexOf("province");
        const qsizetype codes = m_sources.header.indexOf("codes");
        int checked = 0;
        for (const datac::CsvRow &row : std::as_const(m_sources.rows))
            for (const QString &code : row.fields.at(codes).split(' ', Qt::SkipEmptyParts)) {
                const QString key = code + ' ' + row.fields.at(name) + ' ' + row.fields.at(province);
                QVERIFY2(listed.contains(key), qPrintable(key));
                ++checked;
            }
        QVERIFY(checked > 8000);
        QVERIFY(listed.contains("00144 ROMA RM"));
        QVERIFY(listed.contains("00100 ROMA RM")); // the generic code of a street-directory city
    }
};

QTEST_GUILESS_MAIN(TestBundledData)
#include "tst_bundled_data.moc"
