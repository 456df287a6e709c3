// Makes the largest locality set the files can number (32,767 localities)
// with the data compiler: the bundled sources, then copies of their first
// localities under a changed name until the set is full.
// Run: bench_make_large_set SOURCE_FOLDER OUTPUT_FOLDER
#include "datacompiler/data_compiler.h"
#include "common/short_string.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdio>

using namespace zelvora;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s SOURCE_FOLDER OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    const QString source = QString::fromLocal8Bit(argv[1]);
    const QString output = QString::fromLocal8Bit(argv[2]);
    QList<datac::Fault> faults;
    datac::Sources sources = datac::readSources(source + QStringLiteral("/localities.csv"),
                                                source + QStringLiteral("/provinces.csv"), faults);
    const qsizetype bundled = sources.localities.size();
    // locacap.cod numbers its entries too, one for each of a locality's codes
    // and its own code: a copy keeps its postal code while that order has
    // room, and goes without one after.
    qsizetype capEntries = 0;
    for (const datac::LocalitySource &locality : sources.localities)
        capEntries += locality.codes.size() + (!locality.cap.isEmpty() && !locality.codes.contains(locality.cap));
    for (qsizetype i = 0; sources.localities.size() < kMaxRecordNumber && bundled > 0; ++i) {
        datac::LocalitySource copy = sources.localities[i % bundled];
        // A name of its own, as long as the field allows.
        copy.locality = copy.locality.left(30) + QStringLiteral(" BIS %1").arg(i / bundled + 1);
        if (!copy.cap.isEmpty() && capEntries < kMaxRecordNumber) {
            copy.codes = QStringList{copy.cap};
            ++capEntries;
        } else {
            copy.cap.clear();
            copy.codes.clear();
        }
        sources.localities.append(copy);
    }
    QDir().mkpath(output);
    if (faults.isEmpty() && datac::compileDataFolder(sources, output, faults)) {
        std::printf("%lld localities in %s\n", static_cast<long long>(sources.localities.size()),
                    qPrintable(output));
        return 0;
    }
    for (const datac::Fault &fault : faults)
        std::fprintf(stderr, "%s\n", qPrintable(fault.toString()));
    return 1;
}
