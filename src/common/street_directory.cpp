#include "street_directory.h"

#include "common/io_error.h"
#include "common/short_string.h"

namespace zelvora {

void StreetDirectory::open(const CityFiles &city, Reading reading)
{
    *this = {};
    if (city.outcome == CityOutcome::NotOpened)
        return;
    const auto open = [reading](const QString &path, int recordSize) {
        RecordFile file;
        std::optional<QByteArray> bytes;
        if (reading == Reading::Whole ? !(bytes = readWholeFile(path)) : !file.open(path, recordSize))
            throw IoError(QStringLiteral("Impossibile aprire il file %1").arg(path));
        if (bytes)
            file.open(std::move(*bytes), recordSize, path);
        return file;
    };
    RecordFile streets = open(city.streets, StreetRecord::kSize);
    RecordFile index = open(city.index, PrefixIndexEntry::kSize);
    std::optional<RecordFile> notes;
    if (city.outcome == CityOutcome::Opened)
        notes = open(city.notes, StreetNote::kSize);
    set(std::move(streets), std::move(index), std::move(notes));
}

void StreetDirectory::open(QByteArray streets, QByteArray index, std::optional<QByteArray> notes, const QString &base)
{
    using namespace streetfiles;
    *this = {};
    const auto open = [&](QByteArray bytes, int recordSize, const QString &suffix) {
        RecordFile file;
        file.open(std::move(bytes), recordSize, base + suffix);
        return file;
    };
    std::optional<RecordFile> noteFile;
    if (notes)
        noteFile = open(std::move(*notes), StreetNote::kSize, kNotesSuffix);
    set(open(std::move(streets), StreetRecord::kSize, kStreetsSuffix),
        open(std::move(index), PrefixIndexEntry::kSize, kIndexSuffix), std::move(noteFile));
}

// Takes the files once the index is read and checked: nothing is open when
// that throws.
void StreetDirectory::set(RecordFile streets, RecordFile index, std::optional<RecordFile> notes)
{
    PrefixIndex prefixes(index.readAll());
    checkStreetIndex(prefixes, streets.count(), index.name(), streets.name());
    m_streets = std::move(streets);
    m_indexFile = std::move(index);
    m_index = std::move(prefixes);
    m_notesAvailable = notes.has_value();
    if (notes)
        m_notes = std::move(*notes);
    m_open = true;
}

// The search trusts the index to name groups inside the street file, in
// order: entries whose prefixes do not ascend, or whose first streets do not
// ascend inside the file, are a damaged index.
void checkStreetIndex(const PrefixIndex &index, int streets, const QString &indexName, const QString &streetsName)
{
    for (int i = 0; i < index.size(); ++i) {
        const int first = index.at(i).firstRecord;
        if (first < 1 || first > streets)
            throw IoError(QStringLiteral("Voce %1 dell'indice %2: la via %3 è fuori dal file %4 (%5 record)")
                              .arg(i + 1)
                              .arg(indexName)
                              .arg(first)
                              .arg(streetsName)
                              .arg(streets));
        if (i > 0 && (first <= index.at(i - 1).firstRecord
                      || compareCp1252(index.at(i - 1).prefix(), index.at(i).prefix()) >= 0))
            throw IoError(QStringLiteral("Voce %1 dell'indice %2 fuori ordine").arg(i + 1).arg(indexName));
    }
}

QString StreetDirectory::key(int index) const
{
    return readText(m_streets.at(index).constData(), StreetRecord::kStreet);
}

QString StreetDirectory::note(int noteNo) const
{
    if (!m_notesAvailable || noteNo <= 0)
        return {};
    return StreetNote::decode(m_notes.number(noteNo, QStringLiteral("Nota"))).text;
}

Found StreetDirectory::find(const QString &text) const
{
    return findText(text, m_index, count(), streetfiles::kKeyLength, [this](int index) { return key(index); });
}

} // namespace zelvora
