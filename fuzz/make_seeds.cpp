// Writes the starting corpus of every fuzz target into FOLDER/<target>/.
#include "seeds.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const auto seeds = zelvora::fuzz::seedInputs();
    for (auto it = seeds.cbegin(); it != seeds.cend(); ++it) {
        const QDir dir(QDir(QString::fromLocal8Bit(argv[1])).filePath(it.key()));
        if (!QDir().mkpath(dir.path()))
            return 1;
        for (qsizetype i = 0; i < it.value().size(); ++i) {
            QFile file(dir.filePath(QStringLiteral("seed-%1").arg(i)));
            if (!file.open(QIODevice::WriteOnly) || file.write(it.value().at(i)) != it.value().at(i).size())
                return 1;
        }
    }
    return 0;
}
