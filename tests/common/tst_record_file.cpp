// Record files, short strings and stored record numbers on crafted bytes.
#include "common/io_error.h"
#include "common/record_file.h"
#include "common/short_string.h"
#include "support/fixtures.h"

#include <algorithm>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <limits>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

using namespace zelvora;

class TestRecordFile : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString craft(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(name);
        test::writeAll(path, bytes);
        return path;
    }

private slots:
    void partialLastRecordIsNeverRead()
    {
        RecordFile file;
        QVERIFY(file.open(craft("partial.dat", QByteArray("AAAABBBBCC")), 4));
        QCOMPARE(file.count(), 2);
        QCOMPARE(file.readNext(), QByteArray("AAAA"));
        QCOMPARE(file.readNext(), QByteArray("BBBB"));
        QVERIFY(file.atEnd());
        QVERIFY_THROWS_EXCEPTION(IoError, file.readNext());
    }

    void seekOutsideTheFileIsAnError()
    {
        RecordFile file;
        QVERIFY(file.open(craft("three.dat", QByteArray("aabbcc")), 2));
        QVERIFY_THROWS_EXCEPTION(IoError, file.seek(-1));
        QVERIFY_THROWS_EXCEPTION(IoError, file.seek(4));
        file.seek(3); // the end itself is a valid position
        QVERIFY(file.atEnd());
        QCOMPARE(file.readAt(1), QByteArray("bb"));
        QCOMPARE(file.position(), 2);
        QCOMPARE(file.readCount(), 1);
    }

    // A file of four records changes size while open: every answer and every
    // error is what its new size gives, at the first read after the change.
    void sizeChangeWhileOpenIsSeenAtTheNextRead_data()
    {
        QTest::addColumn<int>("records");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("result");
        const QString past = "Lettura oltre la fine del file live.dat";
        QTest::newRow("shrunk, inside") << 2 << "at:1" << "bb";
        QTest::newRow("shrunk, at the new end") << 2 << "at:2" << past;
        QTest::newRow("shrunk, past the new end") << 2 << "at:3" << "Record 4 fuori dal file live.dat (2 record)";
        QTest::newRow("shrunk, sought past the end") << 2 << "seek:3 end"
                                                     << "Record 4 fuori dal file live.dat (2 record)";
        QTest::newRow("shrunk, reading on") << 2 << "seek:1 next end next" << "bb end " + past;
        QTest::newRow("shrunk, own report") << 2 << "inside:1 inside:2 count" << "bb none 2";
        QTest::newRow("shrunk, by number") << 2 << "no:2 no:3" << "bb Nota 3 fuori dal file live.dat (2 record)";
        QTest::newRow("grown, by number") << 6 << "no:6 no:0" << "ff Nota 0 fuori dal file live.dat (6 record)";
        QTest::newRow("emptied") << 0 << "seek:0 end inside:0" << "end none";
        QTest::newRow("grown") << 6 << "at:5 end next" << "ff end " + past;
        QTest::newRow("grown, sought to the new end") << 6 << "seek:6 end inside:4" << "end ee";
    }
    void sizeChangeWhileOpenIsSeenAtTheNextRead()
    {
        QFETCH(int, records);
        QFETCH(QString, steps);
        QFETCH(QString, result);
        const QString path = craft("live.dat", "aabbccdd");
        RecordFile file;
        QVERIFY(file.open(path, 2));
        QVERIFY(file.readAt(3) == "dd" && file.atEnd());
        test::writeAll(path, QByteArray("aabbccddeeff").left(2 * records));
        QStringList seen;
        try {
            for (const QString &step : steps.split(' ')) {
                const int n = step.section(':', 1).toInt();
                if (step.startsWith("at:"))
                    seen << file.readAt(n);
                else if (step.startsWith("seek:"))
                    file.seek(n);
                else if (step.startsWith("no:"))
                    seen << file.number(n, QStringLiteral("Nota"));
                else if (step.startsWith("inside:"))
                    seen << file.readIfInside(n).value_or("none");
                else if (step == "next")
                    seen << file.readNext();
                else if (step == "end")
                    seen << (file.atEnd() ? "end" : "more");
                else if (step == "count")
                    seen << QString::number(file.count());
            }
        } catch (const IoError &e) {
            seen << e.message();
        }
        QCOMPARE(seen.join(' '), result);
    }

    // A whole file in one read: its whole records at its size when read (not
    // when opened), counted as read, the position at the end.
    void readAllGivesEveryWholeRecord_data()
    {
        QTest::addColumn<bool>("onDisk");
        QTest::addColumn<QByteArray>("opened");
        QTest::addColumn<QByteArray>("read");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("file, partial last record") << true << QByteArray("AAAABBBBCC") << QByteArray()
                                                   << QByteArray("AAAABBBB");
        QTest::newRow("file grown since opening") << true << QByteArray("AAAA") << QByteArray("AAAABBBBCCCCD")
                                                  << QByteArray("AAAABBBBCCCC");
        QTest::newRow("file emptied since opening") << true << QByteArray("AAAABBBB") << QByteArray("")
                                                    << QByteArray();
        QTest::newRow("memory") << false << QByteArray("AAAABBBBCC") << QByteArray() << QByteArray("AAAABBBB");
    }
    void readAllGivesEveryWholeRecord()
    {
        QFETCH(bool, onDisk);
        QFETCH(QByteArray, opened);
        QFETCH(QByteArray, read);
        QFETCH(QByteArray, expected);
        const QString path = craft("whole.dat", opened);
        RecordFile file;
        if (onDisk)
            QVERIFY(file.open(path, 4));
        else
            file.open(opened, 4, QStringLiteral("whole.dat"));
        file.seek(1);
        if (!read.isNull())
            test::writeAll(path, read);
        QCOMPARE(file.readAll(), expected);
        QCOMPARE(file.readCount(), expected.size() / 4);
        QCOMPARE(file.position(), expected.size() / 4);
        QVERIFY(file.atEnd());
    }

    void missingFileDoesNotOpen()
    {
        RecordFile file;
        QVERIFY(!file.open(m_dir.filePath("absent.dat"), 4));
        QVERIFY(!file.isOpen());
        QCOMPARE(file.count(), 0);
        QVERIFY_THROWS_EXCEPTION(IoError, file.readNext());
        // A folder with the file's name is no file either.
        QVERIFY(QDir(m_dir.path()).mkdir("folder.dat"));
        QVERIFY(!file.open(m_dir.filePath("folder.dat"), 4));
    }

    void dataFilesOpenReadOnly()
    {
        const QString path = craft("readonly.dat", QByteArray("xyzw"));
        QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
        RecordFile file;
        QVERIFY(file.open(path, 2));
        QCOMPARE(file.readAt(1), QByteArray("zw"));
        // Root may write anything, so check also that no write access was asked.
        if (geteuid() == 0) {
            QFile probe(path);
            QVERIFY(probe.open(QIODevice::ReadOnly));
        }
        QCOMPARE(test::readAll(path), QByteArray("xyzw"));
    }

    // The same records from bytes in memory as from a file: the count
    // rounded down, each record at its place, reads outside refused, the
    // bytes left as they were.
    void bufferReadsAsAFile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("recordSize");
        QTest::addColumn<int>("count");
        QTest::newRow("empty") << QByteArray() << 4 << 0;
        QTest::newRow("shorter than a record") << QByteArray("abc") << 4 << 0;
        QTest::newRow("partial last record") << QByteArray("AAAABBBBCC") << 4 << 2;
        QTest::newRow("whole records") << QByteArray("aabbcc") << 2 << 3;
        QTest::newRow("record size 0 is 1") << QByteArray("xyz") << 0 << 3;
    }
    void bufferReadsAsAFile()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, recordSize);
        QFETCH(int, count);
        const QByteArray original = bytes;
        RecordFile file;
        file.open(bytes, recordSize, QStringLiteral("memory.dat"));
        QCOMPARE(file.count(), count);
        const int step = std::max(recordSize, 1);
        for (int i = count - 1; i >= 0; --i)
            QCOMPARE(file.readAt(i), bytes.mid(i * step, step));
        QCOMPARE(file.readCount(), count);
        for (const int outside : {-1, count, count + 1, std::numeric_limits<int>::max()})
            QVERIFY_THROWS_EXCEPTION(IoError, file.readAt(outside));
        QCOMPARE(file.readCount(), count);
        QVERIFY(file.fileName() == QStringLiteral("memory.dat"));
        // By a stored 1-based number: 0, negative and past the end are outside.
        for (const int outside : {0, -1, count + 1})
            QVERIFY_THROWS_EXCEPTION(IoError, file.number(outside, QStringLiteral("Nota")));
        if (count > 0)
            QCOMPARE(file.number(count, QStringLiteral("Nota")), bytes.mid((count - 1) * step, step));
        QCOMPARE(bytes, original);
    }

    // A search reads the key it lands on, then the page from there: the page
    // comes from the file as it is then, each record counted once.
    void pageAfterTheRecordItStartsOnIsOneFreshRead()
    {
        QByteArray bytes("aabbccddeeffgghhiijjkkll");
        const QString path = craft("page.dat", bytes);
        RecordFile file;
        QVERIFY(file.open(path, 2));
        QCOMPARE(file.readAt(2), "cc");
        const qint64 before = file.readCount();
        test::writeAll(path, bytes.replace(4, 4, "CCDD"));
        file.seek(2);
        QStringList page;
        for (int i = 0; i < 8; ++i)
            page << file.readNext();
        QCOMPARE(page.join(' '), "CC DD ee ff gg hh ii jj");
        QCOMPARE(file.readCount() - before, 8);
    }

    // A pipe cannot be read as records: it is refused, as a missing file is.
    void deviceThatCannotSeekOrReadIsRefused()
    {
        const QString pipe = m_dir.filePath("pipe.dat");
        QCOMPARE(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        RecordFile file;
        QVERIFY(!file.open(pipe, 4));
        QVERIFY(!file.isOpen());
        QVERIFY_THROWS_EXCEPTION(IoError, file.readNext());
    }

    void shortStrings_data()
    {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<int>("capacity");
        QTest::addColumn<QString>("expected");
        QTest::newRow("length byte 0") << QByteArray("\x00XYZ", 4) << 3 << QString();
        QTest::newRow("garbage after the last character") << QByteArray("\x02" "ABZ", 4) << 3 << "AB";
        QTest::newRow("length byte over capacity is cut") << QByteArray("\xff" "ABC" "next", 8) << 3 << "ABC";
        QTest::newRow("full field") << QByteArray("\x05" "00144", 6) << 5 << "00144";
        QTest::newRow("code page 1252") << QByteArray("\x05" "AGLI\xc8", 6) << 5 << QString::fromUtf8("AGLIÈ");
        QTest::newRow("euro sign is 0x80") << QByteArray("\x01\x80", 2) << 1 << QString::fromUtf8("€");
    }
    void shortStrings()
    {
        QFETCH(QByteArray, field);
        QFETCH(int, capacity);
        QFETCH(QString, expected);
        QCOMPARE(readShortString(field.constData(), capacity), expected);
    }

    void shortStringWriteClearsThePadding()
    {
        QByteArray field(6, 'x');
        writeShortString(field.data(), 5, "AB");
        QCOMPARE(field, QByteArray("\x02" "AB\0\0\0", 6));
    }

    void encodingRefusesCharactersOutsideCodePage1252()
    {
        QCOMPARE(encodeCp1252(QString::fromUtf8("SÈN JAN €")), std::optional(QByteArray("S\xc8N JAN \x80")));
        QVERIFY(!encodeCp1252(QString::fromUtf8("SOČI")).has_value());
        QVERIFY(!encodeCp1252(QString::fromUtf8("名")).has_value());
    }

    // A text of every byte, in both orders, decodes as the conversion
    // library decodes it whole; every character of the basic plane encodes
    // or is refused exactly as the library's code page 1252 has it.
    void codePage1252AgreesWithTheConversionLibrary()
    {
        QStringDecoder decoder("windows-1252");
        QStringEncoder encoder("windows-1252");
        QVERIFY(decoder.isValid() && encoder.isValid());
        QByteArray everyByte;
        for (int byte = 0; byte < 256; ++byte)
            everyByte.append(char(byte));
        QByteArray backwards = everyByte;
        std::reverse(backwards.begin(), backwards.end());
        for (const QByteArray &bytes : {everyByte, backwards}) {
            decoder.resetState();
            QCOMPARE(decodeCp1252(bytes), decoder.decode(bytes));
        }
        for (char32_t u = 0; u < 0x10000; ++u) {
            if (u >= 0xD800 && u < 0xE000)
                continue;
            const QString text{QChar(char16_t(u))};
            encoder.resetState();
            decoder.resetState();
            const QByteArray bytes = encoder.encode(text);
            const std::optional<QByteArray> expected =
                decoder.decode(bytes) == text ? std::optional(bytes) : std::nullopt;
            if (encodeCp1252(text) != expected)
                QFAIL(qPrintable(QStringLiteral("U+%1").arg(quint32(u), 4, 16, QLatin1Char('0'))));
        }
    }

    void recordNumbers_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("number");
        QTest::newRow("one") << QByteArray("\x01\x00", 2) << 1;
        QTest::newRow("little-endian") << QByteArray("\x34\x12", 2) << 0x1234;
        QTest::newRow("largest") << QByteArray("\xff\x7f", 2) << 32767;
        QTest::newRow("32768 reads negative") << QByteArray("\x00\x80", 2) << -32768;
        QTest::newRow("minus one") << QByteArray("\xff\xff", 2) << -1;
    }
    void recordNumbers()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, number);
        QCOMPARE(readRecordNumber(bytes.constData()), number);
        QByteArray written(2, '\0');
        writeRecordNumber(written.data(), number);
        QCOMPARE(written, bytes);
    }
};

QTEST_GUILESS_MAIN(TestRecordFile)
#include "tst_record_file.moc"
