#pragma once

#include <QString>

namespace zelvora {

// The folder the program reads its data files from, given the folder of its
// executable: that folder itself when it holds the locality database (a build
// tree, or a copy of the program beside its data), else the installed data
// folder (share/zelvora beside the executable's bin folder) when that holds
// it, else the executable's folder again, so the missing-database message
// names the program's own folder. The folder is only ever read.
QString findDataFolder(const QString &executableFolder);

} // namespace zelvora
