#include "fuzz_target.h"

#include <QApplication>
#include <QBuffer>

namespace zelvora::fuzz {

QList<Target> &targets()
{
    static QList<Target> all;
    return all;
}

bool registerTarget(const char *name, TargetFunction run)
{
    targets().append({name, run});
    return true;
}

QList<QByteArray> splitInput(const uint8_t *data, size_t size, int maxParts)
{
    const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char *>(data),
                                                     static_cast<qsizetype>(size));
    QList<QByteArray> parts;
    qsizetype from = 0;
    while (parts.size() + 1 < maxParts) {
        const qsizetype at = input.indexOf(kSeparator, from);
        if (at < 0)
            break;
        parts.append(QByteArray::fromRawData(input.constData() + from, at - from));
        from = at + kSeparator.size();
    }
    parts.append(QByteArray::fromRawData(input.constData() + from, input.size() - from));
    return parts;
}

QByteArray joinParts(const QList<QByteArray> &parts)
{
    return parts.join(kSeparator);
}

QString bundledData()
{
    return QStringLiteral(ZELVORA_BUNDLED_DATA);
}

void ensureApplication()
{
    if (QCoreApplication::instance())
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "zelvora-fuzz";
    static char *argv[] = {name, nullptr};
    // Never destroyed: at exit Qt's own globals go first, and the
    // application's input devices would be taken apart after them.
    static QApplication *app = new QApplication(argc, argv);
    Q_UNUSED(app);
}

void readWorkbook(const uint8_t *data, size_t size, WorkbookFormat format)
{
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    // Small limits keep a run fast; the reader's logic is the same.
    WorkbookReader reader(&buffer, format, WorkbookLimits{4 << 20, 4 << 20, 1 << 20});
    if (!reader.open()) {
        FUZZ_CHECK(!reader.error().isEmpty());
        return;
    }
    int line = 0;
    while (const std::optional<WorkbookRow> row = reader.next()) {
        FUZZ_CHECK(row->line > line);
        FUZZ_CHECK(row->line <= WorkbookReader::kMaxRows);
        FUZZ_CHECK(row->cells.size() <= WorkbookReader::kMaxColumns);
        for (const QString &cell : row->cells)
            FUZZ_CHECK(cell.toUtf8().size() <= WorkbookReader::kLongestField);
        line = row->line;
    }
    FUZZ_CHECK(!reader.next());
}

} // namespace zelvora::fuzz
