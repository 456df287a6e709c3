// Keystrokes and page moves of the main window, each measured side by side
// with its floor: the same number of records read with raw pread() from the
// same files, from the same place, plus the same rows written into the page
// of the same grid, nothing else. The two are run interleaved and the median of the
// repetitions is kept. Prints one CSV row per figure:
//   figure,ours_us,reference_us,goal
// Run: QT_QPA_PLATFORM=offscreen build-bench/bench/bench_ratios [REPETITIONS [DATA_FOLDER]]
#include "app/application.h"
#include "app/paged_list.h"
#include "app/toolkit/edit.h"
#include "app/toolkit/scroll_bar.h"
#include "app/toolkit/string_grid.h"
#include "tests/support/controls.h"
#include "common/short_string.h"
#include "common/locality_files.h"
#include "locality/locality_search.h"
#include "locality/main_window.h"
#include "common/street_files.h"
#include "streets/street_window.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <unistd.h>
#include <vector>

using namespace zelvora;

namespace {

constexpr int kRows = LocalitySearchState::rowsPerPage;

// What one operation of a window read: how many records of each file (the
// list's file first), and the record after the page it left on screen
// (where the list stands).
struct Step
{
    int reads = 0;
    int secondReads = 0;
    int pageEnd = 0;
};

// A data file read with raw pread(), nothing else.
class RawRecords
{
public:
    RawRecords(const QString &path, int recordSize)
        : m_file(::open(path.toLocal8Bit().constData(), O_RDONLY)), m_size(recordSize)
    {
        m_count = m_file < 0 ? 0 : int(::lseek(m_file, 0, SEEK_END) / recordSize);
    }
    ~RawRecords()
    {
        if (m_file >= 0)
            ::close(m_file);
    }
    RawRecords(const RawRecords &) = delete;
    RawRecords &operator=(const RawRecords &) = delete;

    int count() const { return m_count; }
    bool read(int index, char *record) const
    {
        return ::pread(m_file, record, size_t(m_size), off_t(index) * m_size) == m_size;
    }

private:
    int m_file;
    int m_size;
    int m_count = 0;
};

// A page's rows are written as the lists write theirs: into the page the
// grid shows, inside one refill of the grid, which shows them with one change
// notification at its end.
using GridRefill = StringGrid::Refill;

template <class Row>
PageModel<Row> &pageOf(StringGrid *grid)
{
    return *static_cast<PageModel<Row> *>(grid->page());
}

// The texts of a row fetched as texts, as the SQLite peer fetches them.
struct TextRow
{
    QStringList cells;
    QString cell(int column) const { return cells.value(column); }
    QStringList copied() const { return cells; }
    QString note() const { return {}; }
};

// The floor of the locality list: as many records as the step read from the
// mode's order file (and, through it, localita.loc), from the first record of
// the page it showed, kept inside the file, and the page's rows.
class LocalityFloor
{
public:
    explicit LocalityFloor(StringGrid *grid) : m_grid(grid) {}

    void run(SearchMode mode, const Step &step)
    {
        const bool direct = mode == SearchMode::Locality;
        const bool cap = mode == SearchMode::Cap;
        // In the other modes every row costs two reads: the order entry and
        // the locality it names.
        const int rows = direct ? step.reads : step.reads / 2;
        const RawRecords &order = direct ? m_localities : cap ? m_capOrder : m_pvOrder;
        const int start = std::max(0, std::min(step.pageEnd - kRows, order.count() - rows));
        const GridRefill refill(m_grid);
        PageModel<LocalityRow> &page = pageOf<LocalityRow>(m_grid);
        page.clearRows();
        int row = 0;
        for (int i = 0; i < rows; ++i) {
            char record[LocalityRecord::kSize];
            int number = start + i;
            if (!direct) {
                char entry[CapOrderEntry::kSize];
                if (!order.read(number, entry))
                    break;
                number = readRecordNumber(entry + (cap ? CapOrderEntry::kLocalityNoOffset
                                                       : PvOrderEntry::kLocalityNoOffset)) - 1;
            }
            if (!m_localities.read(number, record))
                break;
            if (row < kRows) {
                page.append(LocalityRow(QByteArrayView(record, LocalityRecord::kSize)));
                ++row;
            }
        }
    }

private:
    StringGrid *m_grid;
    RawRecords m_localities{localityfiles::kLocalities, LocalityRecord::kSize};
    RawRecords m_capOrder{localityfiles::kCapOrder, CapOrderEntry::kSize};
    RawRecords m_pvOrder{localityfiles::kPvOrder, PvOrderEntry::kSize};
};

// The floor of the street list: as many street records as the step read,
// from the first record of the page it showed, kept inside the file, as many
// notes as it read (those the page's streets name), and the cell writes.
class StreetFloor
{
public:
    StreetFloor(StringGrid *grid, const QString &base)
        : m_grid(grid), m_streets(base + streetfiles::kStreetsSuffix, StreetRecord::kSize),
          m_notes(base + streetfiles::kNotesSuffix, StreetNote::kSize)
    {
    }

    void run(const Step &step)
    {
        constexpr int rows = TZone::streetRowsPerPage;
        const int start = std::max(0, std::min(step.pageEnd - rows, m_streets.count() - step.reads));
        int notes = step.secondReads;
        const GridRefill refill(m_grid);
        PageModel<StreetRow> &page = pageOf<StreetRow>(m_grid);
        page.clearRows();
        for (int i = 0; i < step.reads; ++i) {
            char record[StreetRecord::kSize];
            if (!m_streets.read(start + i, record))
                break;
            if (i < rows) {
                const int noteNo = readRecordNumber(record + StreetRecord::kNoteNoOffset);
                char note[StreetNote::kSize];
                if (noteNo > 0 && notes > 0 && m_notes.read(noteNo - 1, note))
                    --notes;
                page.append({StreetRecord::decode(QByteArray::fromRawData(record, StreetRecord::kSize)), {}, start + i});
            }
        }
    }

private:
    StringGrid *m_grid;
    RawRecords m_streets;
    RawRecords m_notes;
};

// The peer a developer would pick instead: the localities in an SQLite table
// indexed on the name, the page fetched with one query into a page of texts.
class SqlitePeer
{
public:
    SqlitePeer(StringGrid *grid) : m_grid(grid)
    {
        const QByteArray path = m_folder.filePath(QStringLiteral("localities.db")).toLocal8Bit();
        sqlite3_open(path.constData(), &m_db);
        sqlite3_exec(m_db, "CREATE TABLE locality(key TEXT, pv TEXT, cap TEXT);", nullptr, nullptr, nullptr);
        sqlite3_exec(m_db, "BEGIN;", nullptr, nullptr, nullptr);
        sqlite3_stmt *insert = nullptr;
        sqlite3_prepare_v2(m_db, "INSERT INTO locality VALUES (?1, ?2, ?3);", -1, &insert, nullptr);
        const int file = ::open(localityfiles::kLocalities.toLocal8Bit().constData(), O_RDONLY);
        char record[LocalityRecord::kSize];
        for (off_t at = 0; ::pread(file, record, sizeof record, at) == LocalityRecord::kSize; at += sizeof record) {
            const TextField fields[] = {LocalityRecord::kLocality, LocalityRecord::kPv, LocalityRecord::kCap};
            for (int f = 0; f < 3; ++f) {
                const QByteArray text = readShortString(record + fields[f].offset, fields[f].capacity).toUtf8();
                sqlite3_bind_text(insert, f + 1, text.constData(), int(text.size()), SQLITE_TRANSIENT);
            }
            sqlite3_step(insert);
            sqlite3_reset(insert);
        }
        ::close(file);
        sqlite3_finalize(insert);
        sqlite3_exec(m_db, "COMMIT; CREATE INDEX locality_key ON locality(key);", nullptr, nullptr, nullptr);
        sqlite3_prepare_v2(m_db, "SELECT key, pv, cap FROM locality WHERE key >= ?1 ORDER BY key LIMIT 8;", -1,
                           &m_page, nullptr);
    }
    ~SqlitePeer()
    {
        sqlite3_finalize(m_page);
        sqlite3_close(m_db);
    }

    void run(const QString &text)
    {
        const QByteArray key = text.toUtf8();
        sqlite3_bind_text(m_page, 1, key.constData(), int(key.size()), SQLITE_TRANSIENT);
        const GridRefill refill(m_grid);
        m_rows.clearRows();
        while (sqlite3_step(m_page) == SQLITE_ROW) {
            TextRow row;
            for (int column = 0; column < 3; ++column)
                row.cells << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(m_page, column)),
                                               sqlite3_column_bytes(m_page, column));
            m_rows.append(std::move(row));
        }
        sqlite3_reset(m_page);
    }

    QString firstCell() const { return m_rows.cell(0, 0); }

private:
    StringGrid *m_grid;
    PageModel<TextRow> m_rows;
    QTemporaryDir m_folder;
    sqlite3 *m_db = nullptr;
    sqlite3_stmt *m_page = nullptr;
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Counts what an operation reads: records of the list's file and of a
// second file (the order file's localities are counted as one file with it),
// and where the list stands after it.
struct Counter
{
    std::function<qint64()> reads;
    std::function<qint64()> secondReads;
    std::function<int()> pageEnd;
};

class Bench
{
public:
    explicit Bench(const QString &folder) : m_window(folder)
    {
        m_window.show();
        QApplication::processEvents();
        m_floor = std::make_unique<LocalityFloor>(test::control<StringGrid>(&m_window, "StringGrid1"));
        m_localityCounter = {[this] { return m_window.search().recordReads(); }, [] { return qint64(0); },
                             [this] { return m_window.state().currentRecord; }};
    }

    QAction *action(const char *name) { return test::control<QAction>(&m_window, name); }

    void runAll(int repetitions)
    {
        keystrokes("keystroke, by locality", action("perLocalit1"), QStringLiteral("SAN GIOVANNI"), repetitions);
        keystrokes("keystroke, by postal code", action("perCAP1"), QStringLiteral("00144"), repetitions);
        keystrokes("keystroke, by province", action("perProvincia1"), QStringLiteral("RM"), repetitions);
        againstSqlite("keystroke, by locality, vs SQLite", QStringLiteral("SAN GIOVANNI"), repetitions);
        pageMoves("page down", SB_PAGEDOWN, repetitions);
        pageMoves("line down", SB_LINEDOWN, repetitions);
        pageMoves("thumb release", SB_THUMBPOSITION, repetitions);
        test::control<QAction>(&m_window, "perLocalit1")->trigger();
        streets(QStringLiteral("roma"), QStringLiteral("DELLE VIGNE"), repetitions);
    }

    // A keystroke: the field's text set to each longer prefix of `word`.
    void keystrokes(const char *figure, QAction *mode, const QString &word, int repetitions)
    {
        mode->trigger();
        const SearchMode modeName = m_window.state().mode;
        const std::vector<QString> texts = prefixes(word);
        compare(figure, repetitions, int(texts.size()), m_localityCounter,
                [&] { test::control<Edit>(&m_window, "Cerca")->setText(QString()); },
                [&](int i) { test::control<Edit>(&m_window, "Cerca")->setText(texts[size_t(i)]); },
                [&](const Step &step) { m_floor->run(modeName, step); });
        test::control<Edit>(&m_window, "Cerca")->setText(QString());
    }

    // A keystroke by locality against the same page fetched from SQLite.
    void againstSqlite(const char *figure, const QString &word, int repetitions)
    {
        test::control<QAction>(&m_window, "perLocalit1")->trigger();
        SqlitePeer peer(test::control<StringGrid>(&m_window, "StringGrid1"));
        const std::vector<QString> texts = prefixes(word);
        measure(figure, repetitions, int(texts.size()), [&] { test::control<Edit>(&m_window, "Cerca")->setText(QString()); },
                [&](int i) { test::control<Edit>(&m_window, "Cerca")->setText(texts[size_t(i)]); },
                [&](int i) { peer.run(texts[size_t(i)]); });
        peer.run(word);
        if (!peer.firstCell().startsWith(word))
            std::fprintf(stderr, "SQLite's page does not start with %s\n", qPrintable(word));
        test::control<Edit>(&m_window, "Cerca")->setText(QString());
    }

    // A page move from the top of the list, repeated `moves` times.
    void pageMoves(const char *figure, int code, int repetitions)
    {
        test::control<QAction>(&m_window, "perLocalit1")->trigger();
        test::control<Edit>(&m_window, "Cerca")->setText(QString());
        pageMoves(figure, code, repetitions, m_localityCounter, m_window.list(), m_window.state().recordCount, [&] {
            test::control<Edit>(&m_window, "Cerca")->setText(QStringLiteral("A"));
            test::control<Edit>(&m_window, "Cerca")->setText(QString());
        }, [&](const Step &step) { m_floor->run(SearchMode::Locality, step); });
    }

    // The street window on a city: keystrokes and page moves against their
    // floor.
    void streets(const QString &base, const QString &word, int repetitions)
    {
        // A data set without the city's files (the larger locality set) has no
        // street figures; opening the city would stop on an error message.
        if (!QFile::exists(QDir(streetfiles::kZoneFolder).filePath(base + streetfiles::kStreetsSuffix)))
            return;
        TZone zone(m_window.settings());
        zone.show();
        QApplication::processEvents();
        const int row = cityRowOfFileBase(base).value_or(-1);
        test::control<QComboBox>(&zone, "ComboBox1")->setCurrentIndex(row);
        zone.ComboBox1Change();
        if (!zone.files().isOpen()) {
            std::fprintf(stderr, "The street files of %s do not open\n", qPrintable(base));
            return;
        }
        StreetFloor floor(test::control<StringGrid>(&zone, "StringGrid2"), QDir(streetfiles::kZoneFolder).filePath(base));
        const Counter counter{[&] { return zone.files().streetReads(); }, [&] { return zone.files().noteReads(); },
                              [&] { return zone.files().position(); }};
        const auto floorRun = [&](const Step &step) { floor.run(step); };
        const QString city = cityTable[size_t(row)].displayName.toString();
        const std::vector<QString> texts = prefixes(word);
        compare(qPrintable("street keystroke, " + city), repetitions, int(texts.size()), counter,
                [&] { test::control<Edit>(&zone, "CercaZona")->setText(QString()); },
                [&](int i) { test::control<Edit>(&zone, "CercaZona")->setText(texts[size_t(i)]); }, floorRun);
        if (!test::control<StringGrid>(&zone, "StringGrid2")->cell(0, 0).startsWith(word))
            std::fprintf(stderr, "The street list does not start with %s\n", qPrintable(word));
        const int streetCount = zone.files().streetCount();
        const auto reset = [&] {
            test::control<Edit>(&zone, "CercaZona")->setText(QStringLiteral("A"));
            test::control<Edit>(&zone, "CercaZona")->setText(QString());
        };
        pageMoves(qPrintable("street page down, " + city), SB_PAGEDOWN, repetitions, counter, zone.list(), streetCount, reset,
                  floorRun);
        pageMoves(qPrintable("street line down, " + city), SB_LINEDOWN, repetitions, counter, zone.list(), streetCount, reset,
                  floorRun);
        pageMoves(qPrintable("street thumb release, " + city), SB_THUMBPOSITION, repetitions, counter, zone.list(),
                  streetCount, reset, floorRun);
        Application::instance().setOnActivate({});
    }

private:
    static std::vector<QString> prefixes(const QString &word)
    {
        std::vector<QString> texts;
        for (int i = 1; i <= word.size(); ++i)
            texts.push_back(word.left(i));
        return texts;
    }

    // A page move of `list` from the top, repeated `moves` times (thumb
    // releases spread over the list).
    void pageMoves(const char *figure, int code, int repetitions, const Counter &counter, PagedList &list,
                   int records, const std::function<void()> &reset, const std::function<void(const Step &)> &floor)
    {
        const int moves = 20;
        compare(figure, repetitions, moves, counter, reset,
                [&](int i) {
                    int position = code == SB_THUMBPOSITION ? (i * 997) % std::max(records, 1) : 0;
                    list.scroll(ScrollCode(code), position);
                },
                floor);
    }

    // Runs `op` over `count` steps for ours and for the floor, interleaved,
    // and prints the median time per step of each.
    void compare(const char *figure, int repetitions, int count, const Counter &counter,
                 const std::function<void()> &reset, const std::function<void(int)> &op,
                 const std::function<void(const Step &)> &floor)
    {
        // A first pass, untimed, learns what each step reads.
        std::vector<Step> steps;
        reset();
        for (int i = 0; i < count; ++i) {
            const qint64 reads = counter.reads();
            const qint64 secondReads = counter.secondReads();
            op(i);
            steps.push_back({int(counter.reads() - reads), int(counter.secondReads() - secondReads),
                             counter.pageEnd()});
        }
        // What was read, on standard error: the amount the figure depends on.
        int reads = 0;
        for (const Step &step : steps)
            reads += step.reads + step.secondReads;
        std::fprintf(stderr, "%s: %d records read in %d steps\n", figure, reads, count);
        measure(figure, repetitions, count, reset, op, [&](int i) { floor(steps[size_t(i)]); });
    }

    // Runs `op` and `reference` over `count` steps each, interleaved, and
    // prints the median time per step of each.
    void measure(const char *figure, int repetitions, int count, const std::function<void()> &reset,
                 const std::function<void(int)> &op, const std::function<void(int)> &reference)
    {
        std::vector<double> ours, floor;
        QElapsedTimer timer;
        for (int r = 0; r < repetitions; ++r) {
            reset();
            timer.start();
            for (int i = 0; i < count; ++i)
                op(i);
            ours.push_back(timer.nsecsElapsed() / 1000.0 / count);
            timer.start();
            for (int i = 0; i < count; ++i)
                reference(i);
            floor.push_back(timer.nsecsElapsed() / 1000.0 / count);
            QApplication::processEvents();
        }
        std::printf("%s,%.2f,%.2f\n", figure, median(ours), median(floor));
        std::fflush(stdout);
    }

    TCapF m_window;
    std::unique_ptr<LocalityFloor> m_floor;
    Counter m_localityCounter;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 41;
    Application::instance().reset();
    // Absolute, as the window is given the folder after it is made current.
    const QString folder =
        QDir(argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral(ZELVORA_DATA_FOLDER)).absolutePath();
    QDir::setCurrent(folder);
    Bench bench(folder);
    bench.runAll(repetitions);
    return 0;
}
