#include "seeds.h"

#include "fuzz_target.h"

#include "datacompiler/city_compiler.h"
#include "datacompiler/locality_compiler.h"
#include "locality/locality_files.h"

#include <cstdlib>

namespace zelvora::fuzz {

namespace {

const QByteArray kLocalitiesCsv =
    "locality,province,agency,cap,bil,note,codes\n"
    "ROMA,RM,,00100,,,00118 00199\n"
    "ROCCA DI PAPA,RM,,00040,,,\n"
    "ROCCAGORGA,LT,,04010,,,\n"
    "AGLI\xc3\x88,TO,,10011,,,\n"
    "MESTRE,VE,VENEZIA,30170,,\"Frazione di VENEZIA\",30171 30172\n"
    "MILANO,MI,,20100,,,20121\n"
    "MILANO MARITTIMA,RA,CERVIA,48015,CERVIA,,\n"
    "ZUBIENA,BI,,13888,,,\n"
    "ZUCCARELLO,SV,,17039,,Nota,\n";
const QByteArray kProvincesCsv =
    "province,name\n"
    "RM,Roma\nLT,Latina\nTO,Torino\nVE,Venezia\nMI,Milano\nRA,Ravenna\nBI,Biella\nSV,Savona\n";
const QByteArray kCityCsv =
    "street,designation,city_tag,cap,agency,note\n"
    "GARIBALDI GIUSEPPE,VIA,,00153,,\"1-25, 2-30\"\n"
    "GARIBALDI GIUSEPPE,PIAZZA,,00165,,\n"
    "APPIA NUOVA,VIA,,00179,,\"1-99\"\n"
    "APPIA ANTICA,VIA,,00178,ROMA 83,\"1-99\"\n"
    "ZANARDELLI,VIA,,00186,,\n"
    "CORSO,VIA DEL,,00186,,\"N. 1\"\n";

datac::DataFiles compiled()
{
    QList<datac::Fault> faults;
    const datac::CsvTable localities = datac::parseCsv(kLocalitiesCsv, QStringLiteral("localities.csv"), faults);
    const datac::CsvTable provinces = datac::parseCsv(kProvincesCsv, QStringLiteral("provinces.csv"), faults);
    const datac::Sources sources = datac::sourcesFromTables(localities, QStringLiteral("localities.csv"), provinces,
                                                            QStringLiteral("provinces.csv"), faults);
    const datac::DataFiles files = datac::compileLocalities(sources, faults);
    const datac::CitySource city =
        datac::citySourceFromTable(datac::parseCsv(kCityCsv, QStringLiteral("roma.csv"), faults),
                                   QStringLiteral("roma.csv"), faults);
    datac::DataFiles all = files;
    const datac::DataFiles streets = datac::compileCity(city, QStringLiteral("roma"), faults);
    for (auto it = streets.cbegin(); it != streets.cend(); ++it)
        all.insert(it.key(), it.value());
    FUZZ_CHECK(faults.isEmpty());
    return all;
}

} // namespace

QMap<QString, QList<QByteArray>> seedInputs()
{
    using namespace localityfiles;
    const datac::DataFiles f = compiled();
    QMap<QString, QList<QByteArray>> seeds;

    // Record sizes and a short string's capacity, then a file.
    seeds["record_file"] = {QByteArray(1, char(LocalityRecord::kSize)) + char(39) + f.value(kLocalities),
                            QByteArray(1, char(6)) + char(3) + f.value(kLocalityIndex),
                            QByteArray(1, char(104)) + char(40) + f.value(QStringLiteral("roma.loc")),
                            QByteArray(1, char(24)) + char(2) + f.value(kProvinces)};
    seeds["locality_files"] = {
        joinParts({f.value(kLocalities), f.value(kCapOrder), f.value(kPvOrder), f.value(kProvinces)})};
    seeds["prefix_index"] = {
        QByteArray(1, '\0') + joinParts({f.value(kLocalityIndex), f.value(kLocalities), "R\nRO\nROC\nROCCAG\nMIL\nZZ\n"})};
    seeds["street_files"] = {joinParts({f.value(QStringLiteral("roma.loc")), f.value(QStringLiteral("roma.lox")),
                                        f.value(QStringLiteral("roma.civ"))}),
                             joinParts({f.value(QStringLiteral("roma.loc")), f.value(QStringLiteral("roma.lox"))})};
    seeds["csv"] = {kLocalitiesCsv, kProvincesCsv, kCityCsv};
    seeds["compile"] = {QByteArray(1, '\0') + joinParts({kLocalitiesCsv, kProvincesCsv}),
                        QByteArray(1, '\1') + kCityCsv};
    // Type "ROC", page down and up, thumb to the end, click, switch to the
    // postal codes and type "00", switch to the provinces and type "RM".
    static const char steps[] = "\x00R\x00O\x00" "C" "\x04\x02\x04\x03\x05\x01\x07\xff\x08\x03"
                            "\x09\x01\x00" "0\x00" "0\x04\x00\x09\x02\x00R\x00M\x05\x03\x03\x00" "A";
    const QByteArray script(steps, sizeof steps - 1);
    seeds["session"] = {joinParts({script, f.value(kLocalities), f.value(kLocalityIndex), f.value(kCapOrder),
                                   f.value(kCapIndex), f.value(kPvOrder), f.value(kPvIndex)})};
    return seeds;
}

} // namespace zelvora::fuzz
