// The registry export parser: what a file yields, and what a broken file
// leaves missing instead of bringing the program down.

#include "about/regfile.h"

#include <QTemporaryFile>
#include <QTest>

using namespace Registry;

namespace {

QByteArray utf16(const QString &text)
{
    QByteArray bytes("\xFF\xFE", 2);
    bytes.append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    return bytes;
}

const QByteArray H5 = "Windows Registry Editor Version 5.00\r\n\r\n";
const QByteArray H4 = "REGEDIT4\r\n\r\n";
const QByteArray Key = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\T]\r\n";

} // namespace

class TestRegFile : public QObject
{
    Q_OBJECT

private slots:
    void values_data();
    void values();
    void keys_data();
    void keys();
    void queryContract();
    void oddFiles_data();
    void oddFiles();
    void hugeFileReadsEmpty();
};

void TestRegFile::values_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("present");
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("data");

    const QByteArray v = H5 + Key;
    QTest::newRow("plain string") << v + "\"V\"=\"abc\"\r\n" << true << 1 << QByteArray("abc\0", 4);
    QTest::newRow("escaped backslash and quote") << v + "\"V\"=\"a\\\\b\\\"c\"\r\n" << true << 1 << QByteArray("a\\b\"c\0", 6);
    QTest::newRow("string ending in a backslash is no continuation")
        << v + "\"V\"=\"C:\\\\\"\r\n\"W\"=\"x\"\r\n" << true << 1 << QByteArray("C:\\\0", 4);
    QTest::newRow("unknown escape is broken") << v + "\"V\"=\"a\\qb\"\r\n" << false << 0 << QByteArray();
    QTest::newRow("unterminated string is broken") << v + "\"V\"=\"abc\r\n" << false << 0 << QByteArray();
    QTest::newRow("junk after string is broken") << v + "\"V\"=\"abc\" junk\r\n" << false << 0 << QByteArray();
    QTest::newRow("comment after string") << v + "\"V\"=\"abc\" ; note\r\n" << true << 1 << QByteArray("abc\0", 4);
    QTest::newRow("dword") << v + "\"V\"=dword:0000001f\r\n" << true << 4 << QByteArray("\x1f\0\0\0", 4);
    QTest::newRow("dword upper case") << v + "\"V\"=DWORD:ABCDEF01\r\n" << true << 4 << QByteArray("\x01\xef\xcd\xab", 4);
    QTest::newRow("dword of nine digits is broken") << v + "\"V\"=dword:000000001\r\n" << false << 0 << QByteArray();
    QTest::newRow("dword without digits is broken") << v + "\"V\"=dword:\r\n" << false << 0 << QByteArray();
    QTest::newRow("dword not hex is broken") << v + "\"V\"=dword:12xz\r\n" << false << 0 << QByteArray();
    QTest::newRow("binary") << v + "\"V\"=hex:01,ff,0a\r\n" << true << 3 << QByteArray("\x01\xff\x0a", 3);
    QTest::newRow("binary over three lines with comments")
        << v + "\"V\"=hex:01,02,\\ ; first\r\n  03,04,\\\r\n  05\r\n\"W\"=\"after\"\r\n" << true << 3
        << QByteArray("\x01\x02\x03\x04\x05", 5);
    QTest::newRow("continuation at end of file is broken") << v + "\"V\"=hex:01,02,\\" << false << 0 << QByteArray();
    QTest::newRow("hex byte of three digits is broken") << v + "\"V\"=hex:123\r\n" << false << 0 << QByteArray();
    QTest::newRow("empty hex token is broken") << v + "\"V\"=hex:01,,02\r\n" << false << 0 << QByteArray();
    QTest::newRow("trailing comma allowed") << v + "\"V\"=hex:01,\r\n" << true << 3 << QByteArray("\x01", 1);
    QTest::newRow("no bytes at all") << v + "\"V\"=hex(1):\r\n" << true << 1 << QByteArray();
    QTest::newRow("hex(N) keeps its type") << v + "\"V\"=hex(b):01,02\r\n" << true << 11 << QByteArray("\x01\x02", 2);
    QTest::newRow("hex(N) without colon is broken") << v + "\"V\"=hex(1)01\r\n" << false << 0 << QByteArray();
    QTest::newRow("hex(2) UTF-16 made narrow") << v + "\"V\"=hex(2):25,00,41,00,25,00,00,00\r\n" << true << 2 << QByteArray("%A%\0", 4);
    QTest::newRow("hex(1) odd UTF-16 bytes are broken") << v + "\"V\"=hex(1):41,00,42\r\n" << false << 0 << QByteArray();
    QTest::newRow("hex(1) lone surrogate replaced")
        << v + "\"V\"=hex(1):00,d8,41,00\r\n" << true << 1 << QByteArray("\xef\xbf\xbd" "A", 4);
    QTest::newRow("hex(1) surrogate pair")
        << v + "\"V\"=hex(1):3d,d8,00,de\r\n" << true << 1 << QByteArray("\xf0\x9f\x98\x80", 4);
    QTest::newRow("REGEDIT4 hex(1) bytes kept") << H4 + Key + "\"V\"=hex(1):41,00,42\r\n" << true << 1 << QByteArray("A\0B", 3);
    QTest::newRow("later line wins") << v + "\"V\"=\"a\"\r\n\"V\"=\"b\"\r\n" << true << 1 << QByteArray("b\0", 2);
    QTest::newRow("broken redefinition leaves it missing") << v + "\"V\"=\"a\"\r\n\"V\"=dword:zz\r\n" << false << 0 << QByteArray();
    QTest::newRow("value deleted") << v + "\"V\"=\"a\"\r\n\"V\"=-\r\n" << false << 0 << QByteArray();
    QTest::newRow("blanks around =") << v + "\"V\" = \"a\"\r\n" << true << 1 << QByteArray("a\0", 2);
    QTest::newRow("name in other case") << v + "\"v\"=\"a\"\r\n" << true << 1 << QByteArray("a\0", 2);
    QTest::newRow("no = is ignored") << v + "\"V\" \"a\"\r\n" << false << 0 << QByteArray();
    QTest::newRow("commented-out value") << v + ";\"V\"=\"a\"\r\n" << false << 0 << QByteArray();
    QTest::newRow("LF line ends") << QByteArray("REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\T]\n\"V\"=\"a\"\n") << true << 1 << QByteArray("a\0", 2);
    QTest::newRow("UTF-16 file") << utf16(QString::fromUtf8(H5 + Key + "\"V\"=\"ミ\"\r\n")) << true << 1 << QByteArray("ミ\0", 4);
    QTest::newRow("UTF-8 file with BOM") << QByteArray("\xEF\xBB\xBF") + H5 + Key + "\"V\"=\"a\"\r\n" << true << 1 << QByteArray("a\0", 2);
    QTest::newRow("value of another root") << H5 + "[HKEY_CURRENT_USER\\SOFTWARE\\T]\r\n\"V\"=\"a\"\r\n" << false << 0 << QByteArray();
    QTest::newRow("value under a broken section") << H5 + "[HKEY_LOCAL_MACHINE\\SOFTWARE\\T\r\n\"V\"=\"a\"\r\n" << false << 0 << QByteArray();
    QTest::newRow("value before any section") << H5 + "\"V\"=\"a\"\r\n" + Key << false << 0 << QByteArray();
    QTest::newRow("invalid UTF-8 kept as bytes") << v + "\"V\"=\"\xff\xfe\"\r\n" << true << 1 << QByteArray("\xff\xfe\0", 3);
}

void TestRegFile::values()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, present);
    QFETCH(int, type);
    QFETCH(QByteArray, data);

    const Hive hive = Hive::parse(std::string_view(file.constData(), std::size_t(file.size())));
    const Value *value = hive.find("SOFTWARE\\T", "V");
    QCOMPARE(value != nullptr, present);
    if (value) {
        QCOMPARE(int(value->type), type);
        QCOMPARE(QByteArray::fromStdString(value->data), data);
    }
}

void TestRegFile::keys_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("present");

    const QByteArray deep = H5 + "[HKEY_LOCAL_MACHINE\\A\\B\\C]\r\n";
    QTest::newRow("declared key") << deep << "A\\B\\C" << true;
    QTest::newRow("its parent exists too") << deep << "A\\B" << true;
    QTest::newRow("other case") << deep << "a\\b\\c" << true;
    QTest::newRow("the root itself") << deep << "" << true;
    QTest::newRow("child that was never written") << deep << "A\\B\\C\\D" << false;
    QTest::newRow("doubled separator") << deep << "A\\\\B" << false;
    QTest::newRow("deleted with its children") << deep + "[-HKEY_LOCAL_MACHINE\\A\\B]\r\n" << "A\\B\\C" << false;
    QTest::newRow("deletion leaves the parent") << deep + "[-HKEY_LOCAL_MACHINE\\A\\B]\r\n" << "A" << true;
    QTest::newRow("deletion leaves a sibling with a longer name")
        << deep + "[HKEY_LOCAL_MACHINE\\A\\BB]\r\n[-HKEY_LOCAL_MACHINE\\A\\B]\r\n" << "A\\BB" << true;
    QTest::newRow("empty component in a section") << H5 + "[HKEY_LOCAL_MACHINE\\A\\\\B]\r\n" << "A" << false;
    QTest::newRow("root name run on") << H5 + "[HKEY_LOCAL_MACHINEX\\A]\r\n" << "A" << false;
    QTest::newRow("another root") << H5 + "[HKEY_USERS\\A]\r\n" << "A" << false;
}

void TestRegFile::keys()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, path);
    QFETCH(bool, present);
    const Hive hive = Hive::parse(file.toStdString());
    QCOMPARE(hive.hasKey(path.toStdString()), present);
}

void TestRegFile::queryContract()
{
    const QByteArray file = H5 + Key + "\"V\"=\"abcd\"\r\n";
    FileRegistry registry{Hive::parse(file.toStdString())};

    HKEY key = 0;
    QCOMPARE(registry.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, 0x2003F, &key), ERROR_SUCCESS);
    HKEY child = 0;
    // Opening below an opened key.
    QCOMPARE(registry.RegOpenKeyExA(key, "t", 0, 0x2003F, &child), ERROR_SUCCESS);
    QCOMPARE(registry.openKeyCount(), std::size_t(2));

    unsigned char buffer[8] = {};
    DWORD type = 0;
    DWORD size = 4; // one short of "abcd" and its zero
    QCOMPARE(registry.RegQueryValueExA(child, "V", nullptr, &type, buffer, &size), ERROR_MORE_DATA);
    QCOMPARE(size, DWORD(5));
    QCOMPARE(buffer[0], (unsigned char)0); // nothing copied
    size = 5;
    QCOMPARE(registry.RegQueryValueExA(child, "V", nullptr, &type, buffer, &size), ERROR_SUCCESS);
    QCOMPARE(type, REG_SZ);
    QCOMPARE(QByteArray(reinterpret_cast<char *>(buffer), int(size)), QByteArray("abcd\0", 5));
    size = 0;
    QCOMPARE(registry.RegQueryValueExA(child, "V", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    QCOMPARE(size, DWORD(5));
    QCOMPARE(registry.RegQueryValueExA(child, "W", nullptr, &type, buffer, &size), ERROR_FILE_NOT_FOUND);

    QCOMPARE(registry.RegCloseKey(child), ERROR_SUCCESS);
    QCOMPARE(registry.RegCloseKey(child), ERROR_INVALID_HANDLE);
    QCOMPARE(registry.RegQueryValueExA(child, "V", nullptr, &type, buffer, &size), ERROR_INVALID_HANDLE);
    QCOMPARE(registry.RegCloseKey(key), ERROR_SUCCESS);
    QCOMPARE(registry.openKeyCount(), std::size_t(0));
    QCOMPARE(registry.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Absent", 0, 0x2003F, &key), ERROR_FILE_NOT_FOUND);
    QCOMPARE(registry.openKeyCount(), std::size_t(0));
}

void TestRegFile::oddFiles_data()
{
    QTest::addColumn<QByteArray>("file");
    QByteArray junk;
    for (int i = 0; i < 4096; ++i)
        junk.append(char((i * 7919) & 0xFF));
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("no header") << QByteArray(Key + "\"V\"=\"a\"\r\n");
    QTest::newRow("header only, no line end") << QByteArray("REGEDIT4");
    QTest::newRow("UTF-16 BOM alone") << QByteArray("\xFF\xFE", 2);
    QTest::newRow("UTF-16 truncated mid unit") << utf16(QString::fromLatin1(H5 + Key)).chopped(1);
    QTest::newRow("big-endian UTF-16") << QByteArray("\xFE\xFF\0W", 4);
    QTest::newRow("binary junk") << junk;
    QTest::newRow("junk after header") << H5 + junk;
    QTest::newRow("zeros") << QByteArray(1000, '\0');
    QTest::newRow("only brackets") << H5 + "[\r\n]\r\n[-\r\n[]\r\n";
    QTest::newRow("lone quote and at") << H5 + Key + "\"\r\n@\r\n@=\r\n\"=\r\n";
    QTest::newRow("deletion of the root") << H5 + Key + "[-HKEY_LOCAL_MACHINE]\r\n\"V\"=\"a\"\r\n";
}

void TestRegFile::oddFiles()
{
    QFETCH(QByteArray, file);
    // Nothing to find and nothing to crash on.
    const Hive hive = Hive::parse(std::string_view(file.constData(), std::size_t(file.size())));
    QVERIFY(!hive.find("SOFTWARE\\T", "V"));
}

void TestRegFile::hugeFileReadsEmpty()
{
    QTemporaryFile file;
    QVERIFY(file.open());
    file.write(H5 + Key + "\"V\"=\"a\"\r\n");
    const QByteArray filler(1024 * 1024, ';');
    for (std::size_t written = 0; written <= MaxFileBytes; written += std::size_t(filler.size()))
        file.write(filler);
    file.close();
    FileRegistry registry = FileRegistry::fromFile(file.fileName().toStdString());
    HKEY key = 0;
    QCOMPARE(registry.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\T", 0, 0x2003F, &key), ERROR_FILE_NOT_FOUND);

    FileRegistry missing = FileRegistry::fromFile("/nonexistent/mirebo.reg");
    QCOMPARE(missing.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, 0x2003F, &key), ERROR_FILE_NOT_FOUND);
    FileRegistry folder = FileRegistry::fromFile("/");
    QCOMPARE(folder.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, 0x2003F, &key), ERROR_FILE_NOT_FOUND);
}

QTEST_GUILESS_MAIN(TestRegFile)
#include "tst_regfile.moc"
