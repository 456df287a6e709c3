#include "street_directory.h"

#include "common/io_error.h"
#include "common/short_string.h"

#include <QFile>
#include <QFileInfo>

namespace zelvora {

namespace {

QByteArray readWhole(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw IoError(QStringLiteral("Impossibile aprire il file %1").arg(path));
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw IoError(QStringLiteral("Errore di lettura del file %1: %2")
                          .arg(QFileInfo(path).fileName(), file.errorString()));
    return bytes;
}

class StreetSource : public SearchSource
{
public:
    explicit StreetSource(const StreetDirectory &streets) : m_streets(streets) {}
    const PrefixIndex &prefixIndex() const override { return m_streets.prefixIndex(); }
    int recordCount() const override { return m_streets.count(); }
    int keyLength() const override { return streetfiles::kKeyLength; }
    QString key(int index) override { return m_streets.key(index); }

private:
    const StreetDirectory &m_streets;
};

} // namespace

void StreetDirectory::open(const CityFiles &city)
{
    *this = {};
    if (city.outcome == CityOutcome::NotOpened)
        return;
    std::optional<QByteArray> notes;
    if (city.outcome == CityOutcome::Opened)
        notes = readWhole(city.notes);
    open(readWhole(city.streets), readWhole(city.index), notes, QFileInfo(city.streets).completeBaseName());
}

void StreetDirectory::open(const QByteArray &streets, const QByteArray &index, const std::optional<QByteArray> &notes,
                           const QString &base)
{
    using namespace streetfiles;
    *this = {};
    m_streets = RecordTable(streets, StreetRecord::kSize, base + kStreetsSuffix);
    m_index = PrefixIndex(index);
    m_notesAvailable = notes.has_value();
    if (notes)
        m_notes = RecordTable(*notes, StreetNote::kSize, base + kNotesSuffix);
    checkStreetIndex(m_index, m_streets.count(), base + kIndexSuffix, m_streets.name());
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
    StreetSource source(*this);
    return findText(text, source);
}

} // namespace zelvora
