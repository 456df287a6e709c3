#include "workbook_parts.h"

#include <climits>
#include <minizip/unzip.h>

namespace zelvora {

namespace workbook {

namespace {

// minizip's file functions over a QIODevice.
voidpf openDevice(voidpf opaque, const void *, int)
{
    return opaque;
}
uLong readDevice(voidpf, voidpf stream, void *buffer, uLong size)
{
    const qint64 got = static_cast<QIODevice *>(stream)->read(static_cast<char *>(buffer), static_cast<qint64>(size));
    return got < 0 ? 0 : static_cast<uLong>(got);
}
uLong writeDevice(voidpf, voidpf, const void *, uLong)
{
    return 0;
}
ZPOS64_T tellDevice(voidpf, voidpf stream)
{
    return static_cast<ZPOS64_T>(static_cast<QIODevice *>(stream)->pos());
}
long seekDevice(voidpf, voidpf stream, ZPOS64_T offset, int origin)
{
    auto *device = static_cast<QIODevice *>(stream);
    const qint64 base = origin == ZLIB_FILEFUNC_SEEK_CUR   ? device->pos()
                        : origin == ZLIB_FILEFUNC_SEEK_END ? device->size()
                                                           : 0;
    const qint64 to = base + static_cast<qint64>(offset);
    return to >= 0 && to <= device->size() && device->seek(to) ? 0 : -1;
}
int closeDevice(voidpf, voidpf)
{
    return 0;
}
int deviceError(voidpf, voidpf)
{
    return 0;
}

} // namespace

Part::Part(Archive *archive, qint64 limit) : m_archive(archive), m_left(limit)
{
    QIODevice::open(QIODevice::ReadOnly);
}

Part::~Part()
{
    if (m_archive->m_open == this) {
        unzCloseCurrentFile(m_archive->m_zip);
        m_archive->m_open = nullptr;
    }
}

qint64 Part::readData(char *data, qint64 size)
{
    if (size <= 0)
        return 0;
    if (m_ended || m_archive->m_open != this)
        return m_exceeded ? -1 : 0;
    if (m_left <= 0) {
        // One byte more tells a part of exactly the limit from a longer one.
        char probe;
        m_exceeded = unzReadCurrentFile(m_archive->m_zip, &probe, 1) > 0;
        m_ended = true;
        return m_exceeded ? -1 : 0;
    }
    const int asked = static_cast<int>(std::min<qint64>({size, m_left, INT_MAX}));
    const int got = unzReadCurrentFile(m_archive->m_zip, data, static_cast<unsigned>(asked));
    if (got <= 0) {
        m_ended = true;
        // The checksum is checked once the part is read whole.
        if (got < 0 || unzCloseCurrentFile(m_archive->m_zip) != UNZ_OK) {
            m_archive->m_open = nullptr;
            return -1;
        }
        m_archive->m_open = nullptr;
        return 0;
    }
    m_left -= got;
    return got;
}

Archive::Archive(QIODevice *device) : m_device(device) {}

Archive::~Archive()
{
    if (m_zip)
        unzClose(m_zip);
}

bool Archive::open()
{
    zlib_filefunc64_def functions{openDevice, readDevice, writeDevice, tellDevice,
                                  seekDevice, closeDevice, deviceError, m_device};
    if (m_device->isSequential() || !m_device->seek(0)
        || !(m_zip = unzOpen2_64("", &functions))) {
        m_error = QStringLiteral("non è un file .xlsx o .ods valido (non è un archivio zip leggibile)");
        return false;
    }
    return true;
}

std::unique_ptr<Part> Archive::part(const QString &name, qint64 limit)
{
    if (!m_zip)
        return nullptr;
    if (m_open) {
        unzCloseCurrentFile(m_zip);
        m_open = nullptr;
    }
    if (unzLocateFile(m_zip, name.toUtf8().constData(), 1) != UNZ_OK || unzOpenCurrentFile(m_zip) != UNZ_OK)
        return nullptr;
    auto part = std::make_unique<Part>(this, limit);
    m_open = part.get();
    return part;
}

QString attribute(const QXmlStreamReader &xml, QStringView name)
{
    for (const QXmlStreamAttribute &a : xml.attributes())
        if (a.name() == name)
            return a.value().toString();
    return {};
}

} // namespace workbook

std::nullopt_t WorkbookReader::Format::fail(const QString &message)
{
    if (error.isEmpty())
        error = message;
    return std::nullopt;
}

bool WorkbookReader::Format::openPart(std::unique_ptr<workbook::Part> &part, QXmlStreamReader &xml,
                                      const QString &name, const QString &missing)
{
    part = archive.part(name, limits.sheetBytes);
    if (!part)
        return fail(missing), false;
    xml.setDevice(part.get());
    return true;
}

std::nullopt_t WorkbookReader::Format::endOfPart(const workbook::Part &part, const QXmlStreamReader &xml)
{
    if (part.exceeded())
        return fail(QStringLiteral("il foglio è troppo grande (oltre %1 MB decompresso)").arg(limits.sheetBytes >> 20));
    if (xml.hasError())
        return fail(QStringLiteral("il foglio è danneggiato (%1)").arg(xml.errorString()));
    return std::nullopt;
}

void WorkbookReader::Format::keepCell(WorkbookRow &row, QString &text)
{
    if (text.size() * 3 <= kLongestField)
        return;
    const QByteArray bytes = text.toUtf8();
    if (bytes.size() <= kLongestField)
        return;
    if (row.error.isEmpty())
        row.error = QStringLiteral("campo troppo lungo (oltre %1 byte)").arg(kLongestField);
    // Cut on a character's first byte, so that no character is split.
    qsizetype cut = kLongestField;
    while (cut > 0 && (static_cast<unsigned char>(bytes.at(cut)) & 0xC0) == 0x80)
        --cut;
    text = QString::fromUtf8(bytes.left(cut));
}

void WorkbookReader::Format::putCell(WorkbookRow &row, int column, QString text)
{
    if (column < 0 || column >= kMaxColumns) {
        if (row.error.isEmpty())
            row.error = QStringLiteral("oltre %1 colonne").arg(kMaxColumns);
        return;
    }
    keepCell(row, text);
    if (row.cells.size() > column) {
        row.cells[column] = text;
        return;
    }
    if (text.isEmpty())
        return; // an empty cell at the row's end adds nothing
    row.cells.resize(column);
    row.cells.append(text);
}

bool WorkbookReader::Format::hasText(const WorkbookRow &row)
{
    return std::any_of(row.cells.cbegin(), row.cells.cend(), [](const QString &c) { return !c.trimmed().isEmpty(); });
}

} // namespace zelvora
