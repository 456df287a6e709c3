// Damaged data files, one damage per row: the locality files through the
// main window, a city's street files through the street window.
// Each damage ends in its exact message, through the message-box seam, or in
// none where it is harmless; the first row shown is checked, and the program
// goes on: the next search and page move work.
//
// Nothing is read outside a file: a record number outside its file ends in
// the message of the check that refuses it before reading (a read past the
// end would give another), a record cut short is never shown, and a length
// byte over its field's capacity shows the field's own bytes only. The
// sanitizer build runs the same table.
#include "streets/street_window.h"
#include "support/controls.h"
#include "support/main_window_fixture.h"

#include <QComboBox>
#include <QDir>

using namespace zelvora;
using namespace zelvora::test;

namespace {

// 40 localities P000..P039 in provinces AA, BB, CC and DD of ten each, with
// the postal codes 20000..20009, 21000..21009, ...: all three orders are the
// same, and each index has four groups, from records 1, 11, 21 and 31. Every
// fifth locality has a note.
QList<LocalitySource> localities()
{
    QList<LocalitySource> rows;
    for (int i = 0; i < 40; ++i)
        rows.append({.locality = QStringLiteral("P%1").arg(i, 3, 10, QLatin1Char('0')),
                     .province = QString(2, QChar('A' + i / 10)),
                     .cap = QString::number(20000 + i / 10 * 1000 + i % 10),
                     .note = i % 5 == 0 ? QStringLiteral("NOTA %1").arg(i) : QString()});
    return rows;
}

// 24 streets S000..S023, index groups from streets 1, 11 and 21; every third
// has a note of its own, so S000, S003, ... S021 have notes 1 to 8.
QList<StreetSource> streets()
{
    QList<StreetSource> rows;
    for (int i = 0; i < 24; ++i)
        rows.append({.street = QStringLiteral("S%1").arg(i, 3, 10, QLatin1Char('0')),
                     .designation = "VIA",
                     .note = i % 3 == 0 ? QStringLiteral("NOTA %1").arg(i) : QString()});
    return rows;
}

struct Damage
{
    enum Kind { Bytes, Size, Folder, Unreadable, Missing } kind = Bytes;
    qint64 at = 0; // where the bytes go, or the file's new size
    QByteArray bytes;
};

Damage put(qint64 at, const char *bytes, int size) { return {Damage::Bytes, at, QByteArray(bytes, size)}; }
Damage number(qint64 at, int n) // a stored record number: 16 bits, little-endian
{
    const char bytes[] = {char(n & 0xff), char((n >> 8) & 0xff)};
    return put(at, bytes, 2);
}
Damage cut(qint64 size) { return {Damage::Size, size, {}}; }
const Damage kFolder{Damage::Folder, 0, {}};
const Damage kUnreadable{Damage::Unreadable, 0, {}};
const Damage kMissing{Damage::Missing, 0, {}};

void apply(const QString &path, const Damage &damage)
{
    switch (damage.kind) {
    case Damage::Bytes:
        writeAll(path, readAll(path).replace(damage.at, damage.bytes.size(), damage.bytes));
        break;
    case Damage::Size:
        QFile::resize(path, damage.at);
        break;
    case Damage::Folder:
        QFile::remove(path);
        QDir().mkdir(path);
        break;
    case Damage::Unreadable:
        QFile::setPermissions(path, {});
        break;
    case Damage::Missing:
        QFile::remove(path);
        break;
    }
}

// The main window on the localities, and for a street file the street window
// in its place on Roma and Venezia-Mestre, driven by the commands of the
// table through their search field, grid and scroll bar.
class Session
{
public:
    bool open(const QString &file, const Damage &damage)
    {
        const bool built = m_fixture.open(localities(),
                                          {{.province = "AA", .name = "ALFA"}, {.province = "BB", .name = "BETA"},
                                           {.province = "CC", .name = "GAMMA"}, {.province = "DD", .name = "DELTA"}},
                                          [&](const QString &dir) {
                                              if (!buildCity(dir, "roma", streets())
                                                  || !buildCity(dir, "mestre", streets()))
                                                  qFatal("city fixtures");
                                              apply(dir + u'/' + file, damage);
                                          });
        if (!built || !file.startsWith("zone/"))
            return built;
        m_zone = std::make_unique<TZone>(m_fixture.window->settings(), m_fixture.window.get());
        m_fixture.window->hide();
        m_zone->show();
        m_zone->activateWindow();
        return QTest::qWaitFor([this] { return QApplication::activeWindow() == m_zone.get(); });
    }
    QString zone() const { return m_fixture.dir.filePath("zone"); }
    Edit *field() const { return m_zone ? test::control<Edit>(m_zone, "CercaZona") : m_fixture.cerca(); }
    StringGrid *grid() const { return m_zone ? test::control<StringGrid>(m_zone, "StringGrid2") : m_fixture.grid(); }
    ScrollBar *bar() const { return m_zone ? test::control<ScrollBar>(m_zone, "ScrollBar2") : m_fixture.scrollBar(); }
    const QList<MessageRequest> &messages() const { return m_fixture.boxes.requests; }

    void run(const QString &commands)
    {
        for (const QString &step : commands.split(u' ', Qt::SkipEmptyParts)) {
            if (step.startsWith("t:")) { // a new search text, typed
                field()->clear();
                QTest::keyClicks(field(), step.mid(2));
            } else if (step == "next") { // the page after, with Page Down
                grid()->setFocus();
                QTest::keyClick(grid(), Qt::Key_PageDown);
                QTest::keyClick(grid(), Qt::Key_PageDown);
            } else if (step.startsWith("thumb:")) {
                bar()->setSliderDown(true);
                bar()->setSliderPosition(step.mid(6).toInt());
                bar()->setSliderDown(false);
            } else if (step.startsWith("open:")) { // a city picked from the list with the keyboard
                test::control<QComboBox>(m_zone, "ComboBox1")->setCurrentIndex(*cityRowOfFileBase(step.mid(5)) - 1);
                QTest::keyClick(test::control<QComboBox>(m_zone, "ComboBox1"), Qt::Key_Down);
            } else { // a search mode
                TCapF &w = *m_fixture.window;
                test::control<QAction>(&w, step == "cap" ? "perCAP1" : step == "pv" ? "perProvincia1" : "perLocalit1")
                    ->trigger();
            }
        }
    }

    // The first row: its first cell, and its note when it has one.
    QString shown() const
    {
        const QString note = m_zone ? m_zone->rows().value(0).streetNotes : m_fixture.window->rows().value(0).note();
        return grid()->cell(0, 0) + (note.isEmpty() ? QString() : " / " + note);
    }

private:
    MainWindowFixture m_fixture;
    std::unique_ptr<TZone> m_zone; // destroyed before its owner, the main window
};

constexpr int kLoc = LocalityRecord::kSize;
constexpr int kCod = CapOrderEntry::kSize;
constexpr int kCodNo = CapOrderEntry::kLocalityNoOffset;
constexpr int kPvCod = PvOrderEntry::kSize;
constexpr int kPvCodNo = PvOrderEntry::kLocalityNoOffset;
constexpr int kIdx = PrefixIndexEntry::kSize;
constexpr int kIdxFirst = PrefixIndexEntry::kFirstRecordOffset;
constexpr int kStreet = StreetRecord::kSize;
constexpr int kNoteNo = StreetRecord::kNoteNoOffset;
constexpr int kNote = StreetNote::kSize;

QString nuls(int count) { return QString(count, QChar(0)); }

} // namespace

Q_DECLARE_METATYPE(Damage)

class TestDamagedData : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(giveUpRootFileAccess()); }

    void damagedFile_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<Damage>("damage");
        QTest::addColumn<QString>("actions");
        // Empty: none; {zone}: the street folder; "(i) " first: an information, not an error.
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("recovery"); // the next search; empty: the program has ended
        const QString database = QString::fromUtf8("Impossibile aprire il database delle località (localita.loc)");
        const QString noDatabase = QString::fromUtf8("Il database delle località\r(localita.loc)\rè mancante!\r"
                                                     "Applicazione non eseguibile.");
        const QString noProvinces = QString::fromUtf8("(i) Il database delle Provincie (cap.pv) è mancante!\r"
                                                      "L'applicazione può essere comunque eseguita.");
        const QString noLocalityIndex = QString::fromUtf8("L'indice delle località (localita.lox) è mancante!\r"
                                                          "Non è possibile eseguire la ricerca per Località");
        const QString beyondLoc = QString::fromUtf8("Numero di località %1 fuori dal file localita.loc (40 record)");
        const QString capMissing = QString::fromUtf8("L'indice delle località per C.A.P. (%1) è mancante!\r"
                                                     "Non è possibile eseguire la ricerca per C.A.P.");
        const QString cityMissing = "Il file {zone}/roma.loc\ro il file {zone}/roma.lox\rè mancante !";
        const QString entryOutside = QString::fromUtf8("Voce %1 dell'indice roma.lox: la via %2 è fuori dal file "
                                                       "roma.loc (%3 record)");
        auto row = [](const char *name, const QString &file, const Damage &damage, const QString &actions,
                       const QString &message, const QString &shown, const QString &recovery) {
            QTest::newRow(name) << file << damage << actions << message << shown << recovery;
        };

        row("localita.loc cut inside a record", "localita.loc", cut(35 * kLoc + 80), "t:P03 next", "", "P027",
            "loc t:P01");
        row("localita.loc name length over its capacity", "localita.loc", put(30 * kLoc, "\xff", 1), "t:P03", "",
            "P030" + nuls(35) + " / NOTA 30", "loc t:P01");
        row("localita.loc bytes outside code page 1252", "localita.loc", put(30 * kLoc + 1, "\x81\x8d", 2),
            "t:P03", "", QString::fromUtf8("\u0081\u008d30 / NOTA 30"), "loc t:P01");
        // Names out of order: the search halves the group of P01 and meets
        // "P019" where P012 was, so it finds no P013 and takes the 3 back,
        // where reading the group record by record would have found it.
        row("localita.loc names out of order", "localita.loc", put(12 * kLoc + 1, "P019", 4), "t:P013", "",
            "P010 / NOTA 10", "loc t:P01");
        row("localita.loc a folder", "localita.loc", kFolder, "", noDatabase, "", "");
        row("localita.loc unreadable", "localita.loc", kUnreadable, "", database, "", "");
        row("localita.lox empty", "localita.lox", cut(0), "t:P01", "", "P000 / NOTA 0", "cap t:210");
        // The group of P01 then starts before the file: its page starts at
        // the file's first record, and halving the group never comes down
        // to the records before it, which only names less than P01 would.
        row("localita.lox record number 0", "localita.lox", number(kIdx + kIdxFirst, 0), "t:P015", "",
            "P015 / NOTA 15", "cap t:210");
        row("localita.lox record number negative", "localita.lox", number(kIdx + kIdxFirst, -5), "t:P015", "",
            "P015 / NOTA 15", "cap t:210");
        row("localita.lox record number past the end", "localita.lox", number(3 * kIdx + kIdxFirst, 99), "t:P03",
            "Record 99 fuori dal file localita.loc (40 record)", "", "loc t:P01");
        row("localita.lox entries out of order", "localita.lox", put(kIdxFirst, "\x0b\0\x03P01\x01\0", 8),
            "t:P005", "", "P010 / NOTA 10", "cap t:210");
        row("localita.lox empty prefix", "localita.lox", put(kIdx, "\0", 1), "t:P01", "", "P000 / NOTA 0",
            "cap t:210");
        row("localita.lox prefix length over its capacity", "localita.lox", put(kIdx, "\xff", 1), "t:P01", "",
            "P010 / NOTA 10", "loc t:P01");
        row("localita.lox a folder", "localita.lox", kFolder, "next", noLocalityIndex, "P008", "cap t:210");
        row("localita.lox unreadable", "localita.lox", kUnreadable, "thumb:20", noLocalityIndex,
            "P020 / NOTA 20", "cap t:210");
        row("locacap.cod cut inside a record", "locacap.cod", cut(35 * kCod + 4), "cap t:230 next", "", "P027",
            "loc t:P01");
        row("locacap.cod empty", "locacap.cod", cut(0), "cap t:21",
            "Record 11 fuori dal file locacap.cod (0 record)", "", "loc t:P01");
        row("locacap.cod locality number 0", "locacap.cod", number(30 * kCod + kCodNo, 0), "cap t:23",
            beyondLoc.arg(0), "", "cap t:210");
        row("locacap.cod locality number negative", "locacap.cod", number(30 * kCod + kCodNo, -1), "cap t:23",
            beyondLoc.arg(-1), "", "cap t:210");
        row("locacap.cod locality number past the end", "locacap.cod", number(31 * kCod + kCodNo, 32767),
            "cap t:23", beyondLoc.arg(32767), "P030 / NOTA 30", "cap t:210");
        row("locacap.cod a folder", "locacap.cod", kFolder, "cap", capMissing.arg("locacap.cod"), "P000",
            "loc t:P01");
        row("locacap.cox entry past the end of locacap.cod", "locacap.cox", number(3 * kIdx + kIdxFirst, 50),
            "cap t:23", "Record 50 fuori dal file locacap.cod (40 record)", "", "cap t:210");
        row("locacap.cox unreadable", "locacap.cox", kUnreadable, "cap", capMissing.arg("locacap.cox"),
            "P000 / NOTA 0", "loc t:P01");
        row("locapv.cod locality number past the end", "locapv.cod", number(30 * kPvCod + kPvCodNo, 41), "pv t:D",
            beyondLoc.arg(41), "", "loc t:P01");
        row("locapv.cod cut inside a record", "locapv.cod", cut(35 * kPvCod + 3), "pv t:DD next", "", "P027",
            "cap t:210");
        row("locapv.cox prefix longer than the key", "locapv.cox", put(3 * kIdx, "\x03" "DDX", 4), "pv t:DD", "",
            "P030 / NOTA 30", "loc t:P01");
        row("locapv.cox record number past the end", "locapv.cox", number(3 * kIdx + kIdxFirst, 32767),
            "pv t:D", "Record 32767 fuori dal file locapv.cod (40 record)", "", "loc t:P01");
        row("cap.pv a folder", "cap.pv", kFolder, "", noProvinces, "P000 / NOTA 0", "loc t:P01");
        // Its message comes once, at start-up, whatever follows.
        row("cap.pv missing", "cap.pv", kMissing, "cap pv t:CC next thumb:30 loc t:P02", noProvinces,
            "P020 / NOTA 20",
            "cap t:210");
        row("cap.pv unreadable", "cap.pv", kUnreadable, "", "Impossibile aprire cap.pv", "P000 / NOTA 0",
            "loc t:P01");

        row("roma.loc cut inside a record", "zone/roma.loc", cut(22 * kStreet + 50), "open:roma t:S02 next", "",
            "S015 / NOTA 15", "t:S00");
        row("roma.loc empty", "zone/roma.loc", cut(0), "open:roma", entryOutside.arg(1).arg(1).arg(0), "",
            "open:mestre t:S00");
        row("roma.loc name length over its capacity", "zone/roma.loc", put(20 * kStreet, "\xff", 1),
            "open:roma t:S02", "", "S020" + nuls(36), "t:S00");
        row("roma.loc note number past roma.civ", "zone/roma.loc", number(21 * kStreet + kNoteNo, 99),
            "open:roma t:S02", "Nota 99 fuori dal file roma.civ (8 record)", "S020", "t:S00");
        row("roma.loc note number negative", "zone/roma.loc", number(21 * kStreet + kNoteNo, -7),
            "open:roma t:S021", "", "S021", "t:S00");
        row("roma.loc streets out of order", "zone/roma.loc", put(21 * kStreet + 1, "S029", 4),
            "open:roma t:S022", "", "S020", "t:S00");
        row("roma.loc a folder", "zone/roma.loc", kFolder, "open:roma", cityMissing, "", "open:mestre t:S00");
        row("roma.loc unreadable", "zone/roma.loc", kUnreadable, "open:roma",
            "Impossibile aprire il file {zone}/roma.loc", "", "open:mestre t:S00");
        row("roma.lox empty", "zone/roma.lox", cut(0), "open:roma t:S01", "", "S000 / NOTA 0", "open:mestre t:S00");
        row("roma.lox record number 0", "zone/roma.lox", number(kIdx + kIdxFirst, 0), "open:roma",
            entryOutside.arg(2).arg(0).arg(24), "", "open:mestre t:S00");
        row("roma.lox record number past the end", "zone/roma.lox", number(2 * kIdx + kIdxFirst, 25), "open:roma",
            entryOutside.arg(3).arg(25).arg(24), "", "open:mestre t:S00");
        row("roma.lox entries out of order", "zone/roma.lox", put(kIdx + kIdxFirst, "\x15\0\x03S02\x0b\0", 8),
            "open:roma", "Voce 3 dell'indice roma.lox fuori ordine", "", "open:mestre t:S00");
        row("roma.lox empty prefix", "zone/roma.lox", put(kIdx, "\0", 1), "open:roma",
            "Voce 2 dell'indice roma.lox fuori ordine", "", "open:mestre t:S00");
        row("roma.lox prefix length over its capacity", "zone/roma.lox", put(kIdx, "\xff", 1), "open:roma t:S01",
            "", "S010", "t:S00");
        row("roma.lox a folder", "zone/roma.lox", kFolder, "open:roma", cityMissing, "", "open:mestre t:S00");
        row("roma.civ cut inside a record", "zone/roma.civ", cut(7 * kNote + 30), "open:roma t:S02",
            "Nota 8 fuori dal file roma.civ (7 record)", "S020", "t:S00");
        row("roma.civ empty", "zone/roma.civ", cut(0), "open:roma", "Nota 1 fuori dal file roma.civ (0 record)", "",
            "open:mestre t:S00");
        row("roma.civ note length over its capacity", "zone/roma.civ", put(7 * kNote, "\xff", 1),
            "open:roma t:S021", "", "S021 / NOTA 21" + nuls(63), "t:S00");
        row("roma.civ bytes outside code page 1252", "zone/roma.civ", put(7 * kNote + 1, "\x90", 1),
            "open:roma t:S021", "", QString::fromUtf8("S021 / \u0090OTA 21"), "t:S00");
        row("roma.civ a folder", "zone/roma.civ", kFolder, "open:roma t:S021",
            QString::fromUtf8("Il file {zone}/roma.civ\rè mancante !\r"
                              "Non verranno visualizzati i numeri civici e le note."),
            "S021", "t:S00");
        row("roma.civ unreadable", "zone/roma.civ", kUnreadable, "open:roma",
            "Impossibile aprire il file {zone}/roma.civ", "", "open:mestre t:S00");
    }
    void damagedFile()
    {
        QFETCH(QString, file);
        QFETCH(Damage, damage);
        QFETCH(QString, actions);
        QFETCH(QString, message);
        QFETCH(QString, shown);
        QFETCH(QString, recovery);
        Session session;
        QVERIFY(session.open(file, damage));
        message.replace("{zone}", session.zone());
        session.run(actions);
        QStringList messages;
        for (const MessageRequest &request : session.messages())
            messages << (request.icon == MessageIcon::Information ? "(i) "
                         : request.icon == MessageIcon::Error     ? ""
                                                                  : "(warning) ")
                            + request.text;
        QCOMPARE(messages, message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(session.shown(), shown);

        if (recovery.isEmpty()) {
            QVERIFY(Application::instance().terminated());
            return;
        }
        const bool city = recovery.contains("t:S");
        session.run(recovery);
        QCOMPARE(session.grid()->cell(0, 0), city ? "S000" : "P010");
        session.run("next");
        QCOMPARE(session.grid()->cell(0, 0), city ? "S007" : "P018");
        QCOMPARE(session.messages().size(), messages.size());
    }
};

QTEST_MAIN(TestDamagedData)
#include "tst_damaged_data.moc"
