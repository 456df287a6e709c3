// The bundled data, compiled by the build next to the executable: every
// municipality and locality is there, and every postal code finds it; and
// every source the data come from is credited where users and distributions
// read it.
#include "common/address_check.h"
#include "common/address_rules.h"
#include "common/record_file.h"
#include "datacompiler/csv_reader.h"
#include "common/locality_files.h"
#include "common/street_files.h"

#include <QDir>
#include <QMap>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

#include <numeric>

using namespace zelvora;

namespace {

QString readText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// What a reader of the help sees: no tags or entities, one space for any run
// of white space.
QString helpText(const QString &html)
{
    QString text = html;
    text.remove(QRegularExpression(QStringLiteral("<[^>]*>")));
    text.replace("&lt;", "<").replace("&gt;", ">").replace("&nbsp;", " ").replace("&quot;", "\"");
    return text.replace("&amp;", "&").simplified();
}

// One source of data/README.md's tables of sources: its credits (bold, or
// quoted in a Credit column) and the licences it names.
struct Source
{
    QString name;
    QString usedFor;
    QString rights;        // the licence and credit cells
    bool creditColumn;     // its table has a Credit column
    QStringList credits;
    QStringList licences;
};

// The licences that data/README.md names for the shipped data.
const QStringList kLicences{"CC BY 4.0", "CC BY 3.0", "CC0", "ODbL", "IODL 2.0", "MIT"};

// The rows of the tables under the headings that list sources.
QList<Source> listedSources(const QString &readme, int &tables)
{
    QList<Source> sources;
    bool inSources = false, creditColumn = false;
    tables = 0;
    for (const QString &line : readme.split(u'\n')) {
        if (line.startsWith(u'#')) {
            inSources = line.contains(QRegularExpression(QStringLiteral("^#+ Sources\\b")));
            continue;
        }
        if (!inSources || !line.startsWith(QStringLiteral("| ")))
            continue;
        QStringList cells = line.split(u'|');
        cells = cells.mid(1, cells.size() - 2);
        for (QString &cell : cells)
            cell = cell.trimmed();
        if (cells.value(0) == QStringLiteral("Source")) { // a table's header
            creditColumn = cells.contains(QStringLiteral("Credit"));
            ++tables;
            continue;
        }
        const QString rights = cells.mid(2).join(u' ');
        Source source{cells.value(0), cells.value(1), rights, creditColumn, {}, {}};
        static const QRegularExpression credit(QStringLiteral("\\*\\*([^*]+)\\*\\*|\"([^\"]+)\""));
        for (const QRegularExpressionMatch &m : credit.globalMatch(creditColumn ? cells.value(3) : rights))
            source.credits << (m.captured(1).isEmpty() ? m.captured(2) : m.captured(1));
        for (const QString &licence : kLicences)
            if (rights.contains(licence))
                source.licences << licence;
        sources << source;
    }
    return sources;
}

} // namespace

class TestBundledData : public QObject
{
    Q_OBJECT

    QDir m_data{QStringLiteral(ZELVORA_DATA_FOLDER)};
    datac::CsvTable m_sources;

    // Every record of localita.loc with the given name, as "province cap note".
    QStringList recordsNamed(const QString &name)
    {
        RecordFile loc;
        if (!loc.open(m_data.filePath(localityfiles::kLocalities), LocalityRecord::kSize))
            return {"cannot open"};
        QStringList found;
        while (!loc.atEnd()) {
            const LocalityRecord r = LocalityRecord::decode(loc.readNext());
            if (r.locality == name)
                found.append(r.pv + ' ' + r.cap + ' ' + r.note);
        }
        return found;
    }

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
        // 7894 municipalities, 105 apostrophe spellings, 9881 localities, 751
        // rows under other names.
        QCOMPARE(loc.count(), 18631);
        QCOMPARE(m_sources.rows.size(), 18631);
        RecordFile provinces;
        QVERIFY(provinces.open(m_data.filePath(localityfiles::kProvinces), ProvinceRecord::kSize));
        QCOMPARE(provinces.count(), 110);
    }

    void namesFindTheirData_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("records");
        QTest::newRow("code changed in 2020") << "SEGRATE" << QStringList{"MI 20054 "};
        QTest::newRow("moved to Bergamo") << "TORRE DE' BUSI" << QStringList{"BG 24032 "};
        QTest::newRow("part of Venezia") << "MESTRE"
            << QStringList{"VE 30171 FRAZ. DI VENEZIA", "VE 30172 FRAZ. DI VENEZIA", "VE 30173 FRAZ. DI VENEZIA",
                           "VE 30174 FRAZ. DI VENEZIA", "VE 30175 FRAZ. DI VENEZIA"};
        QTest::newRow("locality with its own code") << "NAVACCHIO" << QStringList{"PI 56023 "};
        QTest::newRow("seaside locality") << "MARINA DI STRONGOLI" << QStringList{"KR 88815 "};
        QTest::newRow("apostrophe spelling") << "CANTU'" << QStringList{"CO 22063 NOME UFFICIALE: CANTÙ"};
        QTest::newRow("official spelling") << "CANTÙ" << QStringList{"CO 22063 "};
        QTest::newRow("province and code of 2021") << "MONTECOPIOLO" << QStringList{"RN 47868 "};
        QTest::newRow("Sardinia 2026") << "OLBIA" << QStringList{"OT 07026 "};
        QTest::newRow("its own code of 2024") << "ALTOFONTE" << QStringList{"PA 90072 "};
        QTest::newRow("merged in 2023") << "LIRIO" << QStringList{};
        QTest::newRow("merged in 2023, as offices still write it")
            << "MORANSENGO" << QStringList{"AT 14023 NOME UFFICIALE: MORANSENGO-TONENGO"};
        QTest::newRow("zone codes") << "RAVENNA" << QStringList{"RA  CAP DA 48121 A 48125"};
        QTest::newRow("a frazione whose catch-all was retired") << "MARINA DI RAVENNA" << QStringList{"RA  FRAZ. DI RAVENNA"};
        QTest::newRow("second-language name") << "BOZEN" << QStringList{"BZ 39100 NOME UFFICIALE: BOLZANO"};
        QTest::newRow("the register's spelling") << "AOSTE" << QStringList{"AO 11100 NOME UFFICIALE: AOSTA"};
        QTest::newRow("public offices' spelling") << "REGGIO EMILIA" << QStringList{"RE  NOME UFFICIALE: REGGIO NELL'EMILIA"};
        QTest::newRow("an everyday form of two localities")
            << "OSTIA" << QStringList{"RM 00121 VEDI LIDO DI OSTIA PONENTE", "RM 00122 VEDI LIDO DI OSTIA LEVANTE"};
    }

    void namesFindTheirData()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, records);
        QCOMPARE(recordsNamed(name), records);
    }

    // Addresses as lists write them, checked against the bundled data.
    void listsAreCheckedAsTheyAreWritten_data()
    {
        QTest::addColumn<QStringList>("row");     // locality, province, code
        QTest::addColumn<QStringList>("verdict"); // outcome, code proposed, locality, province
        const auto add = [](const char *what, const QStringList &row, const QStringList &verdict) {
            QTest::newRow(what) << row << verdict;
        };
        add("a zone code of Garda's and the offices'", {"Ravenna", "RA", "48122"}, {"OK", "", "RAVENNA", "RA"});
        add("a zone code GeoNames lacks", {"Modena", "MO", "41123"}, {"OK", "", "MODENA", "MO"});
        add("public offices' spelling", {"Reggio Emilia", "RE", "42121"}, {"OK", "", "REGGIO NELL'EMILIA", "RE"});
        add("second-language name", {"Bozen", "BZ", "39100"}, {"OK", "", "BOLZANO", "BZ"});
        add("words cut short", {"San Donato M.se", "MI", "20097"}, {"OK", "", "SAN DONATO MILANESE", "MI"});
        add("initials parted by a slash", {"Cernusco S/N", "", "20063"}, {"OK", "", "CERNUSCO SUL NAVIGLIO", "MI"});
        add("initials with dots", {"S.G. Milanese", "MI", "20098"}, {"OK", "", "SAN GIULIANO MILANESE", "MI"});
        add("a word cut short after a hyphen", {"Montecatini T.", "PT", "51016"}, {"OK", "", "MONTECATINI-TERME", "PT"});
        add("the code tells two names cut short apart", {"Paderno D.", "", "20037"},
            {"OK", "", "PADERNO DUGNANO", "MI"});
        add("a wrong code under a name cut short", {"Paderno D.", "MI", "20123"}, {"CAP ERRATO", "20037", "PADERNO DUGNANO", "MI"});
        add("a name cut short that fits several", {"Paderno D.", "", "20123"}, {"LOCALITÀ SCONOSCIUTA", "", "", ""});
        add("the register's spelling", {"Aoste", "AO", "11100"}, {"OK", "", "AOSTA", "AO"});
        add("an everyday form", {"Cassano allo Ionio", "CS", "87011"}, {"OK", "", "CASSANO ALL'IONIO", "CS"});
        add("a former name", {"Sannicandro Garganico", "FG", "71015"}, {"OK", "", "SAN NICANDRO GARGANICO", "FG"});
        add("a frazione without its municipality's name", {"Milano Marittima", "RA", "48015"},
            {"OK", "", "CERVIA MILANO MARITTIMA", "RA"});
        add("the Lido as Romans call it", {"Ostia", "RM", "00122"}, {"OK", "", "LIDO DI OSTIA LEVANTE", "RM"});
        add("a frazione's own code under its municipality", {"Sezze", "LT", "04010"}, {"OK", "", "SEZZE", "LT"});
        add("the catch-all beside zone codes", {"Modena", "MO", "41100"},
            {"CAP GENERICO", "41121 41122 41123 41124 41125 41126 41127", "MODENA", "MO"});
        add("Cesena's catch-all", {"Cesena", "FC", "47023"}, {"CAP GENERICO", "47521 47522", "CESENA", "FC"});
        add("the city's code without its zone, written by offices", {"Ferrara", "FE", "44120"},
            {"CAP GENERICO", "44121 44122 44123 44124", "FERRARA", "FE"});
        add("a frazione under a retired catch-all", {"Marina di Ravenna", "RA", "48100"},
            {"CAP GENERICO", "48121 48122 48123 48124 48125", "MARINA DI RAVENNA", "RA"});
        add("a frazione checked against its municipality's codes", {"Marina di Ravenna", "RA", "48122"},
            {"OK", "", "MARINA DI RAVENNA", "RA"});
        add("a province of before 2009", {"Lissone", "MI", "20851"}, {"PROVINCIA VARIATA", "", "LISSONE", "MB"});
        add("a province of before 2026", {"Olbia", "SS", "07026"}, {"PROVINCIA VARIATA", "", "OLBIA", "OT"});
        add("a province of before 2005", {"Carbonia", "CA", "09013"}, {"PROVINCIA VARIATA", "", "CARBONIA", "CI"});
        add("Nuoro's before Olbia-Tempio's", {"Budoni", "NU", "07051"}, {"PROVINCIA VARIATA", "", "BUDONI", "OT"});
        add("no source gives the code of before 2009", {"Lissone", "MB", "20035"}, {"CAP ERRATO", "20851", "LISSONE", "MB"});
        add("its own code since 2024", {"Altofonte", "PA", "90030"}, {"CAP VARIATO", "90072", "ALTOFONTE", "PA"});
        add("a change GeoNames misses", {"Barano d'Ischia", "NA", "80070"},
            {"CAP VARIATO", "80072", "BARANO D'ISCHIA", "NA"});
        add("merged: never a name of the municipality it merged into", {"Moransengo", "AT", "14023"},
            {"COMUNE NON PIÙ ESISTENTE", "14023", "MORANSENGO-TONENGO", "AT"});
    }

    void listsAreCheckedAsTheyAreWritten()
    {
        QFETCH(QStringList, row);
        QFETCH(QStringList, verdict);
        static AddressCheck check(m_data.path());
        const Verdict v = check.check(row.at(0), row.at(1), row.at(2), {});
        QCOMPARE((QStringList{Verdict::text(v.outcome), v.cap, v.locality, v.pv}), verdict);
    }

    void streetAddressesAreCheckedByTheirHouseNumber_data()
    {
        QTest::addColumn<QStringList>("row");     // locality, province, code, address
        QTest::addColumn<QStringList>("verdict"); // outcome, code proposed
        auto add = [](const char *name, const QStringList &row, const QStringList &verdict) {
            QTest::newRow(name) << row << verdict;
        };
        add("in a register's range of even numbers", {"Milano", "MI", "20132", "Via Padova 150"}, {"OK", ""});
        add("odd, so not in that range", {"Milano", "MI", "20132", "Via Padova 151"}, {"CAP ERRATO", "20127"});
        add("in a register's range", {"Milano", "MI", "20147", "Via Giambellino 140"}, {"OK", ""});
        add("a street of several codes", {"Bologna", "BO", "40128", "Via Stalingrado 40"}, {"OK", ""});
        add("a point of another code at another number", {"Roma", "RM", "00187", "Via del Corso 1"},
            {"CAP NON CONFERMATO", "00186"});
        add("a point at that number", {"Roma", "RM", "00185", "Via Tiburtina 113"}, {"OK", ""});
    }
    void streetAddressesAreCheckedByTheirHouseNumber()
    {
        QFETCH(QStringList, row);
        QFETCH(QStringList, verdict);
        static AddressCheck check(m_data.path());
        const Verdict v = check.check(row.at(0), row.at(1), row.at(2), row.at(3));
        QCOMPARE((QStringList{Verdict::text(v.outcome), v.cap}), verdict);
    }

    // House numbers of the Milano and Bologna registers and of the Città di
    // Torino's addresses drawn at random: each with its code is OK, each with
    // another of the city's codes is CAP ERRATO proposing its own.
    void registerHouseNumbersGetTheirCode()
    {
        struct Range
        {
            QString city, pv, street, designation;
            int first, last;
            QChar parity;
            QString cap;
        };
        QList<Range> ranges, all;
        QMap<QString, QStringList> codesOfCity;
        for (const auto &[base, city, pv] : {std::tuple{"milano", "Milano", "MI"}, std::tuple{"bologna", "Bologna", "BO"},
                                             std::tuple{"torino", "Torino", "TO"}}) {
            QList<datac::Fault> faults;
            const datac::CsvTable t = datac::readCsv(QStringLiteral(ZELVORA_DATA_SOURCES "/evidence/%1.csv").arg(base), faults);
            QVERIFY(faults.isEmpty() && t.header.size() == 8);
            for (const datac::CsvRow &r : t.rows) {
                all.append({city, pv, r.fields.at(0), r.fields.at(1), r.fields.at(2).toInt(), r.fields.at(3).toInt(),
                            r.fields.at(4).at(0), r.fields.at(5)});
                if (r.fields.at(7) == u"R" || r.fields.at(6).split(u'+').contains(u"torino_city"))
                    ranges.append(all.last());
                if (!codesOfCity[city].contains(r.fields.at(5)))
                    codesOfCity[city].append(r.fields.at(5));
            }
        }
        QVERIFY(ranges.size() > 15000);
        QRandomGenerator random(29);
        AddressCheck check(m_data.path());
        int ok = 0, corrected = 0;
        constexpr int kDrawn = 2000;
        for (int i = 0; i < kDrawn; ++i) {
            const Range &r = ranges.at(random.bounded(static_cast<int>(ranges.size())));
            int number = r.first + random.bounded(r.last - r.first + 1);
            if ((r.parity == u'D' && number % 2 == 0) || (r.parity == u'P' && number % 2 == 1))
                number = number < r.last ? number + 1 : number - 1;
            // The codes of every entry of the street at that number.
            QStringList right;
            for (const Range &o : std::as_const(all))
                if (o.city == r.city && o.street == r.street && o.designation == r.designation
                    && HouseEvidenceEntry{o.first, o.last, o.parity == u'D' ? Parity::Odd : o.parity == u'P' ? Parity::Even : Parity::All,
                                          o.cap, 1, true}.covers(number))
                    right << o.cap;
            const QString address = QStringLiteral("%1 %2 %3").arg(r.designation, r.street).arg(number);
            const Verdict v = check.check(r.city, r.pv, r.cap, address);
            QVERIFY2(v.outcome == Verdict::Ok, qPrintable(address + ' ' + r.cap + ": " + Verdict::text(v.outcome) + ' ' + v.note));
            ++ok;
            const QStringList &codes = codesOfCity[r.city];
            QString wrong = codes.at(random.bounded(static_cast<int>(codes.size())));
            while (right.contains(wrong))
                wrong = codes.at((codes.indexOf(wrong) + 1) % codes.size());
            const Verdict w = check.check(r.city, r.pv, wrong, address);
            QVERIFY2(w.outcome == Verdict::CapWrong && w.cap.split(u' ').contains(r.cap),
                     qPrintable(address + ' ' + wrong + ": " + Verdict::text(w.outcome) + ' ' + w.cap));
            ++corrected;
        }
        QCOMPARE(ok, kDrawn);
        QCOMPARE(corrected, kDrawn);
    }

    // A code that two sources give a municipality (the `sources` column: its
    // codes, then those it no longer has) is never called wrong.
    void noCodeOfTwoSourcesIsWrong()
    {
        AddressCheck check(m_data.path());
        const qsizetype name = m_sources.header.indexOf("locality");
        const qsizetype province = m_sources.header.indexOf("province");
        const qsizetype sources = m_sources.header.indexOf("sources");
        QVERIFY(sources >= 0);
        int checked = 0;
        for (const datac::CsvRow &row : std::as_const(m_sources.rows)) {
            for (const QString &entry : row.fields.at(sources).split(' ', Qt::SkipEmptyParts)) {
                const QStringList parts = entry.split(':');
                QVERIFY2(parts.size() == 2, qPrintable(entry));
                if (parts.at(1).section(u'/', 0, 0).count('+') < 1)
                    continue;
                const Verdict v = check.check(row.fields.at(name), row.fields.at(province), parts.at(0), {});
                QVERIFY2(v.outcome != Verdict::CapWrong, qPrintable(row.fields.at(name) + ' ' + entry));
                ++checked;
            }
        }
        QVERIFY2(checked > 7000, qPrintable(QString::number(checked)));
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
        QVERIFY(listed.contains("30100 VENEZIA VE")); // the generic code of a street-directory city
        QVERIFY(!listed.contains("00120 ROMA RM"));   // Vatican City's code
        QVERIFY(!listed.contains("00129 ROMA RM"));   // filled in from a range, never used
        QVERIFY(listed.contains("30173 MESTRE VE"));
        QVERIFY(listed.contains("22063 CANTU' CO"));
    }

    // Every city of the street directory opens with its notes, holds every
    // street of its source and every code of it (the sources carry a column
    // the compiler leaves out), and finds its first street through the index.
    void everyCityOfTheStreetDirectoryOpens()
    {
        int coded = 0;
        int aliases = 0;
        for (int row = 0; row < int(cityTable.size()); ++row) {
            const QString base = cityTable[row].fileBase.toString();
            const CityFiles files = findCityFiles(m_data.path(), row);
            QVERIFY2(files.outcome == CityOutcome::Opened, qPrintable(base + ": " + files.streets));
            StreetFiles city;
            city.open(files);
            QList<datac::Fault> faults;
            const datac::CsvTable source =
                datac::readCsv(QStringLiteral(ZELVORA_DATA_SOURCES "/streets/") + base + ".csv", faults);
            QVERIFY(faults.isEmpty());
            const qsizetype cap = source.header.indexOf("cap");
            const qsizetype name = source.header.indexOf("street");
            const qsizetype designation = source.header.indexOf("designation");
            QVERIFY(cap >= 0 && name >= 0 && designation >= 0);
            // Each street named with a number in words has records of its own
            // under the number as people write it.
            QMap<QString, int> sourceCodes, compiledCodes; // code -> streets
            QSet<std::pair<QString, QString>> writtenForms;
            for (const datac::CsvRow &row : std::as_const(source.rows)) {
                if (!row.fields.at(cap).isEmpty())
                    ++sourceCodes[row.fields.at(cap)];
                for (const QString &alias : addressrules::aliasNames(row.fields.at(name), StreetRecord::kStreet.capacity))
                    writtenForms.insert({alias, row.fields.at(designation)});
            }
            int forms = 0;
            while (!city.atEnd()) {
                const StreetRecord street = city.readNext();
                if (writtenForms.contains({street.street, street.designation}))
                    ++forms;
                else if (!street.cap.isEmpty())
                    ++compiledCodes[street.cap];
            }
            QCOMPARE(forms, int(writtenForms.size()));
            QCOMPARE(city.streetCount() - forms, int(source.rows.size()));
            QCOMPARE(compiledCodes, sourceCodes);
            aliases += forms;
            coded += int(std::accumulate(sourceCodes.cbegin(), sourceCodes.cend(), 0));
            const StreetRecord first = city.readStreet(0);
            QCOMPARE(city.group(first.street.left(3))->first, 1);
        }
        QVERIFY2(coded >= 11000, qPrintable(QString::number(coded))); // 9,575 before libraries and fuel stations
        QVERIFY2(aliases >= 200, qPrintable(QString::number(aliases)));
    }

    // Each source listed in data/README.md is credited with its licence in the
    // help's "Da dove vengono i dati" and in the package's copyright file, so
    // a source added there cannot ship uncredited.
    void everyListedSourceIsCreditedInTheHelpAndTheCopyrightFile()
    {
        int tables = 0;
        const QList<Source> sources = listedSources(readText(ZELVORA_DATA_SOURCES "/README.md"), tables);
        QCOMPARE(tables, 2); // the locality sources and the street sources
        const QString help = helpText(readText(ZELVORA_DATA_SOURCES "/help/tarnel.hlp"));
        const QString section = help.mid(help.lastIndexOf(QStringLiteral("Da dove vengono i dati")));
        const QString copyright = readText(ZELVORA_DATA_SOURCES "/../dist/copyright").simplified();
        QVERIFY(section.size() > 100 && copyright.size() > 100);
        int credited = 0;
        for (const Source &source : sources) {
            // Facts, and a source used only to confirm others, ship nothing
            // under a licence; every other source names a credit or a
            // licence, and in a table with a Credit column, a credit.
            if (source.rights.startsWith(QStringLiteral("facts"))
                || source.usedFor.startsWith(QStringLiteral("confirmation only"))) {
                QVERIFY(!source.creditColumn);
                continue;
            }
            QVERIFY2(!source.credits.isEmpty() || (!source.creditColumn && !source.licences.isEmpty()),
                     qPrintable("uncredited: " + source.name));
            ++credited;
            for (const QString &text : source.credits + source.licences) {
                QVERIFY2(section.contains(text), qPrintable("help lacks " + text + " (" + source.name + ")"));
                QVERIFY2(copyright.contains(text), qPrintable("copyright lacks " + text + " (" + source.name + ")"));
            }
        }
        QVERIFY(credited >= 10);
    }
};

QTEST_GUILESS_MAIN(TestBundledData)
#include "tst_bundled_data.moc"
