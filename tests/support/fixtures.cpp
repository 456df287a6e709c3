#include "fixtures.h"

#include <minizip/zip.h>

#include "common/short_string.h"

#include <QFile>
#include <QProcess>
#include <QTest>

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

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
    return buildCity(dataFolder, base, city);
}

bool buildCity(const QString &dataFolder, const QString &base, const QList<StreetSource> &streets,
               const QList<EvidenceSource> &evidence)
{
    datac::CitySource city;
    city.streets = streets;
    city.hasEvidence = true;
    city.evidence = evidence;
    return buildCity(dataFolder, base, city);
}

bool buildCity(const QString &dataFolder, const QString &base, const datac::CitySource &city)
{
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

bool giveUpRootFileAccess()
{
    // Capabilities belong to each thread; only the effective set is lowered.
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {};
    if (syscall(SYS_capget, &header, data) != 0)
        return false;
    for (const int capability : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH})
        data[CAP_TO_INDEX(capability)].effective &= ~CAP_TO_MASK(capability);
    return syscall(SYS_capset, &header, data) == 0;
}

ProgramRun runProgram(const QString &program, const QStringList &arguments, const QByteArray &input)
{
    QProcess process;
    process.start(program, arguments);
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.readAllStandardOutput(), QString::fromUtf8(process.readAllStandardError()), process.exitCode()};
}

QByteArray indexFile(const QStringList &prefixes, const QList<int> &firstRecords)
{
    QByteArray bytes;
    for (qsizetype i = 0; i < prefixes.size(); ++i) {
        QByteArray entry(PrefixIndexEntry::kSize, '\0');
        writeShortString(entry.data(), PrefixIndexEntry::kPrefixCapacity, *encodeCp1252(prefixes.at(i)));
        writeRecordNumber(entry.data() + PrefixIndexEntry::kFirstRecordOffset, firstRecords.at(i));
        bytes += entry;
    }
    return bytes;
}

QStringList prefixesOf(const PrefixIndex &index)
{
    QStringList prefixes;
    for (int i = 0; i < index.size(); ++i)
        prefixes << index.at(i).prefix().toString();
    return prefixes;
}

QStringList firstRecordsOf(const PrefixIndex &index)
{
    QStringList firsts;
    for (int i = 0; i < index.size(); ++i)
        firsts << QString::number(index.at(i).firstRecord);
    return firsts;
}

bool writeZip(const QString &path, const QList<QPair<QByteArray, QByteArray>> &parts)
{
    zipFile zip = zipOpen64(QFile::encodeName(path).constData(), APPEND_STATUS_CREATE);
    bool ok = zip != nullptr;
    for (const auto &[name, bytes] : parts)
        ok = ok && zipOpenNewFileInZip64(zip, name.constData(), nullptr, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 6, 0) == ZIP_OK
             && zipWriteInFileInZip(zip, bytes.constData(), static_cast<unsigned>(bytes.size())) == ZIP_OK
             && zipCloseFileInZip(zip) == ZIP_OK;
    return zip && zipClose(zip, nullptr) == ZIP_OK && ok;
}

} // namespace zelvora::test
