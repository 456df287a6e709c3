// zelvora-datac: builds Zelvora's data files (the localities, or one city of
// the street directory) from CSV sources, or checks an existing data folder.
#include "data_compiler.h"
#include "data_verifier.h"
#include "match_command.h"

#include "common/street_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

using namespace zelvora::datac;

namespace {

int usage(QTextStream &err)
{
    err << "usage:\n"
           "  zelvora-datac compile LOCALITIES.csv PROVINCES.csv OUTPUT_FOLDER\n"
           "  zelvora-datac compile-city CITY.csv OUTPUT_FOLDER [BASE [EVIDENCE.csv]]\n"
           "  zelvora-datac compile-changes CHANGES.csv OUTPUT_FOLDER\n"
           "  zelvora-datac verify DATA_FOLDER\n"
           "  zelvora-datac match CITY STREETS.csv < ADDRESSES\n"
           "  zelvora-datac shorten LIMIT < NAMES\n"
           "  zelvora-datac cities\n";
    return 2;
}

void printFaults(QTextStream &err, const QList<Fault> &faults)
{
    for (const Fault &fault : faults)
        err << "error: " << fault.toString() << '\n';
}

// The faults found, and nothing written.
int refuse(QTextStream &err, const QList<Fault> &faults)
{
    printFaults(err, faults);
    err << faults.size() << " fault(s); no data written.\n";
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList args = app.arguments().mid(1);

    if (args.size() == 4 && args.at(0) == u"compile") {
        QList<Fault> faults;
        const Sources sources = readSources(args.at(1), args.at(2), faults);
        if (faults.isEmpty())
            compileDataFolder(sources, args.at(3), faults);
        if (!faults.isEmpty())
            return refuse(err, faults);
        out << "compiled " << sources.localities.size() << " localities and " << sources.provinces.size()
            << " provinces into " << args.at(3) << '\n';
        return 0;
    }
    if (args.size() >= 3 && args.size() <= 5 && args.at(0) == u"compile-city") {
        // The city's files are named after the CSV unless a base name is given.
        const QString base = args.size() >= 4 ? args.at(3) : QFileInfo(args.at(1)).completeBaseName();
        QList<Fault> faults;
        CitySource city = readCitySource(args.at(1), faults);
        if (args.size() == 5)
            readEvidenceSource(args.at(4), city, faults);
        if (faults.isEmpty())
            compileCityFolder(city, args.at(2), base, faults);
        if (!faults.isEmpty())
            return refuse(err, faults);
        if (!zelvora::cityRowOfFileBase(base))
            err << "warning: \"" << base << "\" is not a city of the street directory; the program never opens it\n";
        out << "compiled " << city.streets.size() << " streets";
        if (city.hasEvidence)
            out << " and " << city.evidence.size() << " house-number entries";
        out << " into " << QDir(args.at(2)).filePath(base) << (city.hasEvidence ? ".{loc,lox,civ,evi}\n" : ".{loc,lox,civ}\n");
        return 0;
    }
    if (args.size() == 3 && args.at(0) == u"compile-changes") {
        QList<Fault> faults;
        const ChangesSource changes = readChangesSource(args.at(1), faults);
        if (faults.isEmpty())
            compileChangesFolder(changes, args.at(2), faults);
        if (!faults.isEmpty())
            return refuse(err, faults);
        out << "compiled " << changes.changes.size() << " changes into " << args.at(2) << '\n';
        return 0;
    }
    if (!args.isEmpty() && args.at(0) == u"match") {
        QTextStream in(stdin);
        return matchAddresses(args.mid(1), in, out, err);
    }
    if (!args.isEmpty() && args.at(0) == u"shorten") {
        QTextStream in(stdin);
        return shortenNames(args.mid(1), in, out, err);
    }
    if (args.size() == 1 && args.at(0) == u"cities")
        return printCities(out);
    if (args.size() == 2 && args.at(0) == u"verify") {
        const VerifyReport report = verifyDataFolder(args.at(1));
        for (const QString &line : report.lines)
            out << line << '\n';
        out.flush();
        printFaults(err, report.faults);
        if (!report.ok()) {
            err << report.faults.size() << " fault(s) found.\n";
            return 1;
        }
        out << "no faults found\n";
        return 0;
    }
    return usage(err);
}
