#include "data_files.h"

#include "common/prefix_index.h"
#include "common/short_string.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace zelvora::datac {

bool writeDataFiles(const DataFiles &files, const QString &folder, QList<Fault> &faults)
{
    if (files.isEmpty())
        return false;
    if (!QDir().mkpath(folder)) {
        faults.append({folder, 0, QStringLiteral("cannot create the folder")});
        return false;
    }
    const QDir dir(folder);
    for (auto it = files.cbegin(); it != files.cend(); ++it) {
        const QString path = dir.filePath(it.key());
        if (!QDir().mkpath(QFileInfo(path).path())) {
            faults.append({path, 0, QStringLiteral("cannot create the folder")});
            return false;
        }
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(it.value()) != it.value().size() || !file.commit()) {
            faults.append({path, 0, QStringLiteral("cannot write: %1").arg(file.errorString())});
            return false;
        }
    }
    return true;
}

QByteArray buildPrefixIndex(const QList<QByteArray> &keys, int keyLength)
{
    QByteArray index;
    QByteArray previous;
    for (qsizetype i = 0; i < keys.size(); ++i) {
        const QByteArray prefix = keys.at(i).left(keyLength);
        if (i > 0 && prefix == previous)
            continue;
        QByteArray entry(PrefixIndexEntry::kSize, '\0');
        writeShortString(entry.data(), PrefixIndexEntry::kPrefixCapacity, prefix);
        writeRecordNumber(entry.data() + PrefixIndexEntry::kFirstRecordOffset, static_cast<int>(i + 1));
        index.append(entry);
        previous = prefix;
    }
    return index;
}

} // namespace zelvora::datac
