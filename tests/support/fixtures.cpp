#include "fixtures.h"

#include <QFile>
#include <QTest>

namespace zelvora::test {

bool buildDataFolder(const QString &folder, const QList<LocalitySource> &localities,
                     const QList<ProvinceSource> &provinces)
{
    datac::Sources sources;
    sources.localities = localities;
    sources.provinces = provinces;
    QList<datac::Fault> faults;
    if (datac::compileDataFolder(sources, folder, faults))
        return true;
    for (const datac::Fault &fault : faults)
        qWarning("%s", qPrintable(fault.toString()));
    return false;
}

bool buildCity(const QString &dataFolder, const QString &base, const QList<StreetSource> &streets)
{
    datac::CitySource city;
    city.streets = streets;
    QList<datac::Fault> faults;
    if (datac::compileCityFolder(city, dataFolder + QStringLiteral("/zone"), base, faults))
        return true;
    for (const datac::Fault &fault : faults)
        qWarning("%s", qPrintable(fault.toString()));
    return false;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

} // namespace zelvora::test
