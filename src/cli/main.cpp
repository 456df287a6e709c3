// zelvora-cerca: the locality and street lookup of Zelvora without windows.
#include "cli/command.h"

#include <QCoreApplication>
#include <QHashSeed>

int main(int argc, char **argv)
{
    // With a random seed, Qt hashes strings with AES instructions that leave
    // the vector registers in a state which slows every later SSE instruction
    // of the process (a third of an address check's time; a sixth of a
    // batch's, whose only hashing is the option parser's). The tables hashed
    // hold the data files' names and are looked up with the user's own list,
    // so a random seed's defence against crafted collisions buys nothing.
    QHashSeed::setDeterministicGlobalSeed();
    QCoreApplication app(argc, argv);
    return zelvora::cli::run(QCoreApplication::arguments().mid(1), QCoreApplication::applicationDirPath());
}
