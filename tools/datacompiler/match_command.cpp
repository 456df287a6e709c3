#include "match_command.h"

#include "csv_reader.h"
#include "field_encoder.h"

#include "common/address_rules.h"
#include "common/street_match.h"
#include "common/street_files.h"

namespace zelvora::datac {

namespace {

QString rows(const QList<int> &streets)
{
    QStringList numbers;
    for (const int i : streets)
        numbers << QString::number(i + 1);
    return numbers.join(u' ');
}

QString matchLine(const StreetMatcher &matcher, const QString &line)
{
    const QStringList parts = line.split(u'\t');
    const bool cut = parts.value(2).split(u',').contains(u"cut");
    const StreetMatcher::Match m = parts.size() >= 2 ? matcher.find(parts.at(0), parts.at(1), cut)
                                                     : matcher.find(QString(), line, false);
    QString outcome = QStringLiteral("none");
    QList<int> streets = m.otherDesignations;
    if (m.street >= 0) {
        outcome = QStringLiteral("found");
        streets = {m.street};
    } else if (!m.alternatives.isEmpty()) {
        outcome = QStringLiteral("ambiguous");
        streets = m.alternatives;
    }
    const HouseNumber &h = m.houseNumber;
    return QStringList{outcome,
                       rows(streets),
                       m.writtenDesignation,
                       QString::number(h.number),
                       QString::number(h.last),
                       h.suffix,
                       h.red ? QStringLiteral("1") : QStringLiteral("0"),
                       h.sameSide ? QStringLiteral("1") : QStringLiteral("0")}
        .join(u'\t');
}

} // namespace

int matchAddresses(const QStringList &args, QTextStream &in, QTextStream &out, QTextStream &err)
{
    const int row = cityRowOfFileBase(args.value(0)).value_or(-1);
    if (args.size() != 2 || row < 0) {
        err << "usage: zelvora-datac match CITY STREETS.csv (CITY: the file base of a city, e.g. roma)\n";
        return 2;
    }
    QList<Fault> faults;
    const CsvTable table = readCsv(args.at(1), faults);
    const QList<qsizetype> c = columns(table, {"street", "designation"}, args.at(1), faults);
    if (!faults.isEmpty()) {
        for (const Fault &f : faults)
            err << "error: " << f.toString() << '\n';
        return 1;
    }
    std::vector<StreetMatcher::Street> streets;
    streets.reserve(table.rows.size());
    for (const CsvRow &r : table.rows)
        streets.push_back({field(r, c[0]), field(r, c[1]), {}, {}});
    const StreetMatcher matcher(std::move(streets), row);
    QString line;
    while (in.readLineInto(&line)) {
        out << matchLine(matcher, line) << '\n';
        out.flush();
    }
    return 0;
}

int shortenNames(const QStringList &args, QTextStream &in, QTextStream &out, QTextStream &err)
{
    bool ok = false;
    const int limit = args.value(0).toInt(&ok);
    if (args.size() != 1 || !ok || limit < 1) {
        err << "usage: zelvora-datac shorten LIMIT < NAMES\n";
        return 2;
    }
    QString line;
    while (in.readLineInto(&line))
        out << addressrules::shortenedName(line, limit) << '\n';
    return 0;
}

int printCities(QTextStream &out)
{
    out << "display_name,file_base,generic_cap,cadastral_code,province,other_names\n";
    for (const City &city : cityTable) {
        QStringList others;
        for (const QStringView name : city.otherNames)
            if (!name.isEmpty())
                others << name.toString();
        out << city.displayName << ',' << city.fileBase << ',' << city.genericCap << ',' << city.cadastralCode << ','
            << city.province << ',' << others.join(u'|') << '\n';
    }
    return 0;
}

} // namespace zelvora::datac
