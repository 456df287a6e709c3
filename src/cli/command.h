#pragma once

#include "cli/lookup.h"
#include "cli/output.h"
#include "common/csv_list.h"

#include <QFile>
#include <QString>
#include <QStringList>
#include <optional>

namespace zelvora::cli {

// Exit statuses of zelvora-cerca.
enum ExitStatus {
    kFound = 0,     // found (in a batch: every line found)
    kNothing = 1,   // no record begins with the whole text (in a batch: some line)
    kFailure = 2,   // usage or data error, or a text that cannot be searched
};

// What the command line asks, once parsed and checked.
struct Options
{
    SearchKind kind = SearchMode::Locality;
    QString city;
    QString text; // the words of the command line, as one text
    int limit = 8; // -1: every record that begins with the text
    OutputFormat format = OutputFormat::Aligned;
    bool details = false;
    std::optional<QString> batch;
    std::optional<QString> verify;
    QStringList columns;
    std::optional<ListEncoding> encoding;
    QString output;
    QString dataFolder; // --dati, or found from the executable
};

// Standard output and error as devices, written through the C streams.
struct Streams
{
    QFile out;
    QFile err;
    Streams();
    // A message on standard error, after the program's name.
    void message(const QString &text);
};

// One thing zelvora-cerca does, over the core: it writes its answer and
// returns the exit status, or throws Error when it cannot go on.
class Command
{
public:
    virtual ~Command() = default;
    virtual int execute(const Options &options, Streams &io) = 0;
};

// The records from the first that begins with the text; when none does, the
// closest names.
class LookupCommand : public Command
{
public:
    int execute(const Options &options, Streams &io) override;
};

// One lookup for every line of a file or of standard input, each answered
// as soon as it is read.
class BatchCommand : public Command
{
public:
    int execute(const Options &options, Streams &io) override;
};

// An address list checked row by row and written again with every row's
// verdict beside it.
class VerifyCommand : public Command
{
public:
    int execute(const Options &options, Streams &io) override;
};

// The code of a house number of a street that `options.text` writes with
// its number ("tiburtina 113"), and the evidence for it; -1 when the text
// names no one street with a house number, and the lookup's answer stands.
int answerHouseNumber(const Options &options, Streams &io);

// The names closest to a text that no locality's or street's name begins
// with, as the list check suggests them; none without the files it reads.
QStringList closestNames(const Options &options);

// Runs zelvora-cerca with its arguments (without the program name): reads
// standard input for a batch or a list from "-", writes results to standard
// output and messages to standard error. Without --dati, the data folder is
// found from the folder of the executable, as the windows find it.
int run(const QStringList &arguments, const QString &executableFolder);

} // namespace zelvora::cli
