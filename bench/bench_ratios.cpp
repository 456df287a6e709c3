// Keystrokes and page moves of the main window, each measured side by side
// with its floor: the same number of records read with raw pread() from the
// same files, from the same place, plus the same cell writes into the same
// grid, nothing else. The two are run interleaved and the median of the
// repetitions is kept. Prints one CSV row per figure:
//   figure,ours_us,reference_us,goal
// Run: QT_QPA_PLATFORM=offscreen build-bench/bench/bench_ratios [REPETITIONS [DATA_FOLDER]]
#include "app/application.h"
#include "app/paged_list.h"
#include "app/shared_state.h"
#include "app/toolkit/edit.h"
#include "app/toolkit/scroll_bar.h"
#include "app/toolkit/string_grid.h"
#include "common/short_string.h"
#include "locality/locality_files.h"
#include "locality/locality_search.h"
#include "locality/main_window.h"
#include "locality/search_state.h"

#include <QAction>
#include <QApplication>
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

// What one operation of the window read: how many records, and the record
// after the page it left on screen (where the list stands).
struct Step
{
    int reads = 0;
    int pageEnd = 0;
};

// The floor: raw reads of fixed-size records and the cell writes.
class Floor
{
public:
    explicit Floor(StringGrid *grid) : m_grid(grid)
    {
        m_localities = ::open(localityfiles::kLocalities.toLocal8Bit().constData(), O_RDONLY);
        m_capOrder = ::open(localityfiles::kCapOrder.toLocal8Bit().constData(), O_RDONLY);
        m_pvOrder = ::open(localityfiles::kPvOrder.toLocal8Bit().constData(), O_RDONLY);
        m_counts[0] = int(::lseek(m_localities, 0, SEEK_END) / LocalityRecord::kSize);
        m_counts[1] = int(::lseek(m_capOrder, 0, SEEK_END) / CapOrderEntry::kSize);
        m_counts[2] = int(::lseek(m_pvOrder, 0, SEEK_END) / PvOrderEntry::kSize);
    }
    ~Floor()
    {
        ::close(m_localities);
        ::close(m_capOrder);
        ::close(m_pvOrder);
    }

    // Reads as many records as the step did from the mode's order file (and,
    // through it, localita.loc), from the first record of the page it showed
    // on, kept inside the file, and writes the page's cells.
    void run(const QString &mode, const Step &step)
    {
        const bool direct = mode == kModeLocality;
        // In the other modes every row costs two reads: the order entry and
        // the locality it names.
        const int rows = direct ? step.reads : step.reads / 2;
        const int count = m_counts[direct ? 0 : mode == kModeCap ? 1 : 2];
        const int start = std::max(0, std::min(step.pageEnd - kRows, count - rows));
        int row = 0;
        for (int i = 0; i < rows; ++i) {
            char record[LocalityRecord::kSize];
            int number = start + i;
            if (!direct) {
                char entry[CapOrderEntry::kSize];
                const bool cap = mode == kModeCap;
                const int size = cap ? CapOrderEntry::kSize : PvOrderEntry::kSize;
                if (::pread(cap ? m_capOrder : m_pvOrder, entry, size, off_t(number) * size) != size)
                    break;
                number = readRecordNumber(entry + (cap ? CapOrderEntry::kLocalityNoOffset
                                                       : PvOrderEntry::kLocalityNoOffset)) - 1;
            }
            if (::pread(m_localities, record, sizeof record, off_t(number) * LocalityRecord::kSize)
                != LocalityRecord::kSize)
                break;
            if (row < kRows) {
                m_grid->setCell(0, row, readShortString(record + LocalityRecord::kLocality.offset,
                                                        LocalityRecord::kLocality.capacity));
                m_grid->setCell(1, row, readShortString(record + LocalityRecord::kPv.offset,
                                                        LocalityRecord::kPv.capacity));
                m_grid->setCell(2, row, readShortString(record + LocalityRecord::kCap.offset,
                                                        LocalityRecord::kCap.capacity));
                ++row;
            }
        }
    }

private:
    StringGrid *m_grid;
    int m_localities = -1;
    int m_capOrder = -1;
    int m_pvOrder = -1;
    int m_counts[3] = {};
};

// The peer a developer would pick instead: the localities in an SQLite table
// indexed on the name, the page fetched with one query, the same cell writes.
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
        for (int row = 0; sqlite3_step(m_page) == SQLITE_ROW; ++row) {
            for (int column = 0; column < 3; ++column)
                m_grid->setCell(column, row,
                                QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(m_page, column)),
                                                  sqlite3_column_bytes(m_page, column)));
        }
        sqlite3_reset(m_page);
    }

private:
    StringGrid *m_grid;
    QTemporaryDir m_folder;
    sqlite3 *m_db = nullptr;
    sqlite3_stmt *m_page = nullptr;
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

class Bench
{
public:
    Bench() : m_floor(nullptr)
    {
        m_window.show();
        QApplication::processEvents();
        m_floor = std::make_unique<Floor>(m_window.StringGrid1);
    }

    void runAll(int repetitions)
    {
        keystrokes("keystroke, by locality", m_window.perLocalit1, QStringLiteral("SAN GIOVANNI"), repetitions);
        keystrokes("keystroke, by postal code", m_window.perCAP1, QStringLiteral("00144"), repetitions);
        keystrokes("keystroke, by province", m_window.perProvincia1, QStringLiteral("RM"), repetitions);
        againstSqlite("keystroke, by locality, vs SQLite", QStringLiteral("SAN GIOVANNI"), repetitions);
        pageMoves("page down", SB_PAGEDOWN, repetitions);
        pageMoves("line down", SB_LINEDOWN, repetitions);
        pageMoves("thumb release", SB_THUMBPOSITION, repetitions);
        m_window.perLocalit1->trigger();
    }

    // A keystroke: the field's text set to each longer prefix of `word`.
    void keystrokes(const char *figure, QAction *mode, const QString &word, int repetitions)
    {
        mode->trigger();
        const QString modeName = searchState().searchMode;
        std::vector<QString> texts;
        for (int i = 1; i <= word.size(); ++i)
            texts.push_back(word.left(i));
        compare(figure, modeName, repetitions, int(texts.size()),
                [&] { m_window.Cerca->setText(QString()); },
                [&](int i) { m_window.Cerca->setText(texts[size_t(i)]); });
        m_window.Cerca->setText(QString());
    }

    // A keystroke by locality against the same page fetched from SQLite.
    void againstSqlite(const char *figure, const QString &word, int repetitions)
    {
        m_window.perLocalit1->trigger();
        SqlitePeer peer(m_window.StringGrid1);
        std::vector<QString> texts;
        for (int i = 1; i <= word.size(); ++i)
            texts.push_back(word.left(i));
        measure(figure, repetitions, int(texts.size()), [&] { m_window.Cerca->setText(QString()); },
                [&](int i) { m_window.Cerca->setText(texts[size_t(i)]); },
                [&](int i) { peer.run(texts[size_t(i)]); });
        peer.run(word);
        if (!m_window.StringGrid1->cell(0, 0).startsWith(word))
            std::fprintf(stderr, "SQLite's page does not start with %s\n", qPrintable(word));
        m_window.Cerca->setText(QString());
    }

    // A page move from the top of the list, repeated `moves` times.
    void pageMoves(const char *figure, int code, int repetitions)
    {
        m_window.perLocalit1->trigger();
        m_window.Cerca->setText(QString());
        const int moves = 20;
        compare(figure, kModeLocality, repetitions, moves,
                [&] {
                    m_window.Cerca->setText(QStringLiteral("A"));
                    m_window.Cerca->setText(QString());
                },
                [&](int i) {
                    int position = code == SB_THUMBPOSITION ? (i * 997) % searchState().recordCount : 0;
                    m_window.list().scroll(ScrollCode(code), position);
                });
    }

private:
    // Runs `op` over `count` steps for ours and for the floor, interleaved,
    // and prints the median time per step of each.
    void compare(const char *figure, const QString &mode, int repetitions, int count,
                 const std::function<void()> &reset, const std::function<void(int)> &op)
    {
        // A first pass, untimed, learns what each step reads.
        std::vector<Step> steps;
        reset();
        for (int i = 0; i < count; ++i) {
            const qint64 before = m_window.search().recordReads();
            op(i);
            steps.push_back({int(m_window.search().recordReads() - before), searchState().currentRecord});
        }
        measure(figure, repetitions, count, reset, op, [&](int i) { m_floor->run(mode, steps[size_t(i)]); });
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
    std::unique_ptr<Floor> m_floor;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 41;
    Application::instance().reset();
    const QString folder = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral(ZELVORA_DATA_FOLDER);
    resetSharedState(folder);
    QDir::setCurrent(folder);
    Bench bench;
    bench.runAll(repetitions);
    return 0;
}
