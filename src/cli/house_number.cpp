// zelvora-cerca --via CITTÀ "VIA NUMERO": the code of one house number.
#include "cli/command.h"
#include "cli/output.h"

#include "common/address_check.h"
#include "common/error.h"

namespace zelvora::cli {

namespace {

const QString kParities[] = {QStringLiteral("tutti"), QStringLiteral("dispari"), QStringLiteral("pari")};

// What the evidence says of the number: its code, or the street's codes and
// why they cannot be told apart there.
struct NumberAnswer
{
    QStringList codes;
    QString outcome;  // how sure the answer is
    QString evidence; // the evidence it rests on, or the nearest
    bool known = false;
};

NumberAnswer answerFor(const StreetFound &found)
{
    const HouseNumber &house = found.match.houseNumber;
    const QList<HouseEvidenceEntry> at = evidenceAt(found.evidence, house);
    QStringList codes = entryCodes(found.evidence);
    if (!found.street.cap.isEmpty() && !codes.contains(found.street.cap))
        codes.prepend(found.street.cap);
    const auto described = [](const QList<HouseEvidenceEntry> &entries) {
        QStringList lines;
        for (const HouseEvidenceEntry &e : entries)
            lines << QStringLiteral("%1 al n. %2 (%3)").arg(e.cap, e.numbersText(), e.sourceLabels().join(u'+'));
        return lines.join(QStringLiteral("; "));
    };
    if (!at.isEmpty()) {
        const QStringList atCodes = entryCodes(at);
        return {atCodes, atCodes.size() == 1 ? QStringLiteral("C.A.P. DEL CIVICO") : QStringLiteral("FONTI DISCORDI"),
                described(at), atCodes.size() == 1};
    }
    if (codes.size() == 1 && fromRegister(found.evidence))
        return {codes, QStringLiteral("C.A.P. DELLA VIA NEL REGISTRO"), QString(), true};
    const QString why = codes.isEmpty() ? QStringLiteral("VIA SENZA CAP NEI DATI APERTI")
                        : house.red     ? QStringLiteral("NUMERO ROSSO, CIVICO NON VERIFICATO")
                                        : QStringLiteral("C.A.P. DELLA VIA, CIVICO NON VERIFICATO");
    const QString nearest = found.evidence.isEmpty() ? QString()
                                                     : QStringLiteral("il più vicino ") +
                                                           nearestEvidence(found.evidence, house.number);
    return {codes, why, nearest, false};
}

// The street's every range and point, for --json.
QString entriesJson(const QList<HouseEvidenceEntry> &entries)
{
    QStringList objects;
    for (const HouseEvidenceEntry &e : entries) {
        QStringList sources;
        for (const QString &label : e.sourceLabels())
            sources << jsonString(label);
        objects << QStringLiteral("{\"primo\":%1,\"ultimo\":%2,\"parita\":%3,\"cap\":%4,\"tipo\":%5,\"fonti\":[%6]}")
                       .arg(e.first)
                       .arg(e.last)
                       .arg(jsonString(kParities[static_cast<int>(e.parity)]), jsonString(e.cap),
                            jsonString(e.isRange ? QStringLiteral("intervallo") : QStringLiteral("civico")),
                            sources.join(u','));
    }
    return u'[' + objects.join(u',') + u']';
}

} // namespace

int answerHouseNumber(const Options &options, Streams &io)
{
    std::unique_ptr<AddressCheck> check;
    try {
        check = std::make_unique<AddressCheck>(options.dataFolder);
    } catch (const Error &) {
        return -1; // without the locality files the lookup's answer stands
    }
    // A street named without its designation may be several: each is answered.
    const QList<StreetFound> streets = check->findStreets(findCity(options.city), options.text);
    if (streets.isEmpty() || streets.first().match.houseNumber.text.isEmpty())
        return -1;
    QList<NumberAnswer> answers;
    qsizetype codesWidth = StreetRecord::kCap.capacity;
    for (const StreetFound &found : streets) {
        answers.append(answerFor(found));
        codesWidth = std::max(codesWidth, answers.last().codes.join(u' ').size());
    }
    const QList<Column> columns{{QStringLiteral("VIA / PIAZZA"), QStringLiteral("via"), StreetRecord::kStreet.capacity},
                                {QStringLiteral("DENOM. URBANISTICA"), QStringLiteral("denominazione"),
                                 StreetRecord::kDesignation.capacity},
                                {QStringLiteral("CIVICO"), QStringLiteral("civico"), 8},
                                {QStringLiteral("C.A.P."), QStringLiteral("cap"), int(codesWidth), true},
                                {QStringLiteral("ESITO"), QStringLiteral("esito"), 39},
                                {QStringLiteral("FONTI"), QStringLiteral("fonti"), 0}};
    OutputWriter writer(options.format, columns, false);
    io.out.write(writer.begin());
    bool known = streets.size() == 1;
    for (qsizetype i = 0; i < streets.size(); ++i) {
        const StreetFound &found = streets.at(i);
        const NumberAnswer &answer = answers.at(i);
        known = known && answer.known;
        QByteArray row = writer.row({found.street.name, found.street.designation, found.match.houseNumber.text,
                                     answer.codes.join(u' '), answer.outcome, answer.evidence});
        if (options.format == OutputFormat::Json) // the object gets the street's ranges and points
            row.insert(row.lastIndexOf('}'), ",\"civici\":" + entriesJson(found.evidence).toUtf8());
        io.out.write(row);
    }
    io.out.write(writer.end());
    io.out.flush();
    if (streets.size() > 1)
        io.message(QStringLiteral("più vie: scrivere anche la denominazione (VIA, PIAZZA...)"));
    return known ? kFound : kNothing;
}

} // namespace zelvora::cli
