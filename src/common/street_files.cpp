#include "street_files.h"

#include "common/house_evidence.h"
#include "common/io_error.h"
#include "common/name_match.h"
#include "common/short_string.h"

#include <QDir>
#include <QFileInfo>

namespace zelvora {

StreetRecord StreetRecord::decode(const QByteArray &record)
{
    StreetRecord street = readTexts<StreetRecord>(record.constData());
    street.noteNo = readRecordNumber(record.constData() + kNoteNoOffset);
    return street;
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
    files.evidence = base + evidencefile::kSuffix;
    if (!QFileInfo(files.streets).isFile() || !QFileInfo(files.index).isFile())
        files.outcome = CityOutcome::NotOpened;
    else if (!QFileInfo(files.notes).isFile())
        files.outcome = CityOutcome::OpenedWithoutNotes;
    else
        files.outcome = CityOutcome::Opened;
    return files;
}

void StreetFiles::seek(int index)
{
    if (!isOpen())
        throw IoError(QStringLiteral("Nessuna città aperta"));
    streetFile().seek(std::max(index, 0));
}

StreetRecord StreetFiles::readNext()
{
    if (!isOpen())
        throw IoError(QStringLiteral("Nessuna città aperta"));
    return StreetRecord::decode(streetFile().readNext());
}

std::optional<Group> StreetFiles::group(const QString &text) const
{
    // The index was checked to ascend when the files were opened.
    return prefixIndex().group(QStringView(text).left(streetfiles::kKeyLength), m_streetCount);
}

} // namespace zelvora
