#include "data_location.h"

#include <QDir>
#include <QFileInfo>

namespace zelvora {

namespace {

// The locality database: the one file without which the program cannot run.
const QString kLocalityDatabase = QStringLiteral("localita.loc");

bool holdsLocalities(const QString &folder)
{
    return QFileInfo(QDir(folder), kLocalityDatabase).isFile();
}

} // namespace

QString findDataFolder(const QString &executableFolder)
{
    if (holdsLocalities(executableFolder))
        return executableFolder;
    // Where the installation puts the data, relative to the installed program
    // (set by the build from the install layout: ../share/zelvora).
    const QString installed =
        QDir::cleanPath(executableFolder + QLatin1Char('/') + QStringLiteral(ZELVORA_INSTALLED_DATA_DIR));
    if (holdsLocalities(installed))
        return installed;
    return executableFolder;
}

} // namespace zelvora
