#pragma once

#include <QString>
#include <QStringList>

namespace zelvora::cli {

// Exit statuses of zelvora-cerca.
enum ExitStatus {
    kFound = 0,     // found (in a batch: every line found)
    kNothing = 1,   // no record begins with the whole text (in a batch: some line)
    kFailure = 2,   // usage or data error, or a text that cannot be searched
};

// Runs zelvora-cerca with its arguments (without the program name): reads
// standard input for a batch from "-", writes results to standard output and
// messages to standard error. Without --dati, the data folder is found from
// the folder of the executable, as the windows find it.
int run(const QStringList &arguments, const QString &executableFolder);

} // namespace zelvora::cli
