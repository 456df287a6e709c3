#include "street_files.h"

#include "common/io_error.h"
#include "common/name_match.h"
#include "common/short_string.h"
#include "common/street_directory.h"

#include <QDir>
#include <QFileInfo>

namespace zelvora {

namespace {

QString text(const QByteArray &record, TextField field)
{
    return readText(record.constData(), field);
}

QString fileName(const RecordFile &file)
{
    return QFileInfo(file.fileName()).fileName();
}

} // namespace

std::optional<int> cityRowOfFileBase(QStringView fileBase)
{
    for (std::size_t row = 0; row < cityTable.size(); ++row)
        if (cityTable[row].fileBase == fileBase)
            return static_cast<int>(row);
    return std::nullopt;
}

StreetRecord StreetRecord::decode(const QByteArray &record)
{
    return {text(record, kStreet), text(record, kDesignation), text(record, kCityTag), text(record, kCap),
            text(record, kAgency), readRecordNumber(record.constData() + kNoteNoOffset)};
}

StreetNote StreetNote::decode(const QByteArray &record)
{
    return {readText(record.constData(), kText)};
}

int findCity(const QString &name)
{
    // Case, accents and punctuation set aside: "VENEZIA mestre" names
    // "Venezia-Mestre", "citta" names "Città".
    const QString wanted = nameKey(name, false);
    for (std::size_t row = 0; row < cityTable.size(); ++row) {
        const City &city = cityTable[row];
        if (nameKey(city.displayName.toString(), false) == wanted || nameKey(city.fileBase.toString(), false) == wanted)
            return static_cast<int>(row);
    }
    return -1;
}

QString missingCityFilesText(const CityFiles &files)
{
    if (files.outcome == CityOutcome::NotOpened)
        return QStringLiteral("Il file %1 o il file %2 è mancante !").arg(files.streets, files.index);
    if (files.outcome == CityOutcome::OpenedWithoutNotes)
        return QStringLiteral("Il file %1 è mancante ! Non verranno visualizzati i numeri civici e le note.")
            .arg(files.notes);
    return {};
}

CityFiles findCityFiles(const QString &dataFolder, int row)
{
    using namespace streetfiles;
    CityFiles files;
    if (row < 0 || row >= static_cast<int>(cityTable.size()))
        return files;
    // QDir joins without doubling the separator of a folder that ends in one
    // (the root: "/zone/roma.loc").
    const QString base = QDir(dataFolder).filePath(kZoneFolder + u'/' + cityTable[row].fileBase.toString());
    files.streets = base + kStreetsSuffix;
    files.index = base + kIndexSuffix;
    files.notes = base + kNotesSuffix;
    if (!QFileInfo(files.streets).isFile() || !QFileInfo(files.index).isFile())
        files.outcome = CityOutcome::NotOpened;
    else if (!QFileInfo(files.notes).isFile())
        files.outcome = CityOutcome::OpenedWithoutNotes;
    else
        files.outcome = CityOutcome::Opened;
    return files;
}

void StreetFiles::close()
{
    m_streets.close();
    m_indexFile.close();
    m_notes.close();
    m_notesAvailable = false;
    m_streetCount = 0;
    m_index = {};
}

void StreetFiles::open(const CityFiles &city)
{
    close();
    if (city.outcome == CityOutcome::NotOpened)
        return;
    const bool withNotes = city.outcome == CityOutcome::Opened;
    load([&](RecordFile &file, Role role, int recordSize) {
        if (role == Role::Notes && !withNotes)
            return false;
        const QString &path = role == Role::Streets ? city.streets : role == Role::Index ? city.index : city.notes;
        if (!file.open(path, recordSize))
            throw IoError(QStringLiteral("Impossibile aprire il file %1").arg(path));
        return true;
    });
}

void StreetFiles::open(QIODevice *streets, QIODevice *index, QIODevice *notes, const QString &base)
{
    close();
    load([&](RecordFile &file, Role role, int recordSize) {
        QIODevice *device = role == Role::Streets ? streets : role == Role::Index ? index : notes;
        const QString suffix = role == Role::Streets ? streetfiles::kStreetsSuffix
                               : role == Role::Index ? streetfiles::kIndexSuffix
                                                     : streetfiles::kNotesSuffix;
        if (role == Role::Notes && !device)
            return false;
        if (!file.open(device, recordSize, base + suffix))
            throw IoError(QStringLiteral("Impossibile aprire il file %1").arg(base + suffix));
        return true;
    });
}

void StreetFiles::load(const std::function<bool(RecordFile &, Role, int)> &openFile)
{
    try {
        openFile(m_streets, Role::Streets, StreetRecord::kSize);
        openFile(m_indexFile, Role::Index, PrefixIndexEntry::kSize);
        m_notesAvailable = openFile(m_notes, Role::Notes, StreetNote::kSize);
        m_streetCount = m_streets.count();
        m_index = PrefixIndex(m_indexFile.readAll());
        checkIndex();
    } catch (...) {
        close();
        throw;
    }
}

void StreetFiles::checkIndex() const
{
    checkStreetIndex(m_index, m_streetCount, fileName(m_indexFile), fileName(m_streets));
}

void StreetFiles::seek(int index)
{
    m_streets.seek(std::max(index, 0));
}

StreetRecord StreetFiles::readNext()
{
    return StreetRecord::decode(m_streets.readNext());
}

StreetRecord StreetFiles::readStreet(int index)
{
    return StreetRecord::decode(m_streets.readAt(index));
}

QString StreetFiles::note(int noteNo)
{
    if (!m_notesAvailable || noteNo <= 0)
        return {};
    const std::optional<QByteArray> record = m_notes.readIfInside(noteNo - 1);
    if (!record)
        throw IoError(QStringLiteral("Nota %1 fuori dal file %2 (%3 record)")
                          .arg(noteNo)
                          .arg(fileName(m_notes))
                          .arg(m_notes.count()));
    return StreetNote::decode(*record).text;
}

std::optional<Group> StreetFiles::group(const QString &text) const
{
    // The index was checked to ascend when the files were opened.
    return m_index.group(QStringView(text).left(streetfiles::kKeyLength), m_streetCount);
}

} // namespace zelvora
