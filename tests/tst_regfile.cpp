// The registry export parser: what a file yields, and what a broken file
// leaves missing instead of bringing the program down.

#include "about/regfile.h"

#include <QTemporaryFile>
#include <QTest>

using namespace Registry;

namespace {

QByteArray utf16(const QString &text)
{
    return QByteArray("\xFF\xFE", 2) + QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
}

QByteArray sz(const char *text) { return QByteArray(text, int(qstrlen(text)) + 1); } // with its zero

const QByteArray H5 = "Windows Registry Editor Version 5.00\r\n\r\n";
const QByteArray Key = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\T]\r\n";
const QByteArray V = H5 + Key;
constexpr int Missing = -1;

void row(const char *name, const QByteArray &file, int type = Missing, const QByteArray &data = {})
{
    QTest::newRow(name) << file << type << data;
}

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
    void unreadableFilesReadEmpty();
};

void TestRegFile::values_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("type"); // Missing: the value is not there
    QTest::addColumn<QByteArray>("data");

    row("plain string", V + "\"V\"=\"abc\"\r\n", 1, sz("abc"));
    row("escaped backslash and quote", V + "\"V\"=\"a\\\\b\\\"c\"\r\n", 1, sz("a\\b\"c"));
    row("unknown escape is broken", V + "\"V\"=\"a\\qb\"\r\n");
    row("unterminated string is broken", V + "\"V\"=\"abc\r\n");
    row("comment after string", V + "\"V\"=\"abc\" ; note\r\n", 1, sz("abc"));
    row("dword in upper case, least significant byte first", V + "\"V\"=DWORD:ABCDEF01\r\n", 4,
        QByteArray("\x01\xef\xcd\xab", 4));
    row("binary over three lines with comments",
        V + "\"V\"=hex:01,ff,\\ ; first\r\n  03,04,\\\r\n  05\r\n\"W\"=\"after\"\r\n", 3, QByteArray("\x01\xff\x03\x04\x05", 5));
    row("continuation at end of file is broken", V + "\"V\"=hex:01,02,\\");
    row("hex(2) UTF-16 made narrow", V + "\"V\"=hex(2):25,00,41,00,25,00,00,00\r\n", 2, sz("%A%"));
    row("hex(1) odd UTF-16 bytes are broken", V + "\"V\"=hex(1):41,00,42\r\n");
    row("hex(1) lone surrogate replaced", V + "\"V\"=hex(1):00,d8,41,00\r\n", 1, "\xef\xbf\xbd" "A");
    row("REGEDIT4 hex(1) bytes kept", "REGEDIT4\r\n\r\n" + Key + "\"V\"=hex(1):41,00,42\r\n", 1, QByteArray("A\0B", 3));
    row("later line wins", V + "\"V\"=\"a\"\r\n\"V\"=\"b\"\r\n", 1, sz("b"));
    row("broken redefinition leaves it missing", V + "\"V\"=\"a\"\r\n\"V\"=dword:zz\r\n");
    row("value deleted", V + "\"V\"=\"a\"\r\n\"V\"=-\r\n");
    row("blanks around =, name in other case", V + "\"v\" = \"a\"\r\n", 1, sz("a"));
    row("LF line ends", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\T]\n\"V\"=\"a\"\n", 1, sz("a"));
    row("UTF-16 file", utf16(QString::fromUtf8(V + "\"V\"=\"ミ\"\r\n")), 1, sz("ミ"));
    row("UTF-8 file with BOM", "\xEF\xBB\xBF" + V + "\"V\"=\"a\"\r\n", 1, sz("a"));
    row("value under a broken section", H5 + "[HKEY_LOCAL_MACHINE\\SOFTWARE\\T\r\n\"V\"=\"a\"\r\n");
    row("deletion of the root", V + "[-HKEY_LOCAL_MACHINE]\r\n\"V\"=\"a\"\r\n");

    // Files with nothing in them to find, and nothing to crash on.
    row("empty file", QByteArray());
    row("no header", Key + "\"V\"=\"a\"\r\n");
    row("UTF-16 truncated mid unit", utf16(QString::fromLatin1(V)).chopped(1));
}

void TestRegFile::values()
{
    QFETCH(QByteArray, file);
    QFETCH(int, type);
    QFETCH(QByteArray, data);

    const Hive hive = Hive::parse(std::string_view(file.constData(), std::size_t(file.size())));
    const Value *value = hive.find("SOFTWARE\\T", "V");
    QCOMPARE(value ? int(value->type) : Missing, type);
    if (value)
        QCOMPARE(QByteArray::fromStdString(value->data), data);
}

void TestRegFile::keys_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("present");

    const QByteArray deep = H5 + "[HKEY_LOCAL_MACHINE\\A\\B\\C]\r\n";
    const QByteArray deleted = deep + "[HKEY_LOCAL_MACHINE\\A\\BB]\r\n[-HKEY_LOCAL_MACHINE\\A\\B]\r\n";
    QTest::newRow("declared key, other case") << deep << "a\\b\\c" << true;
    QTest::newRow("its parent exists too") << deep << "A\\B" << true;
    QTest::newRow("child that was never written") << deep << "A\\B\\C\\D" << false;
    QTest::newRow("doubled separator") << deep << "A\\\\B" << false;
    QTest::newRow("deleted with its children") << deleted << "A\\B\\C" << false;
    QTest::newRow("deletion leaves the parent") << deleted << "A" << true;
    QTest::newRow("deletion leaves a sibling with a longer name") << deleted << "A\\BB" << true;
    QTest::newRow("empty component in a section") << H5 + "[HKEY_LOCAL_MACHINE\\A\\\\B]\r\n" << "A" << false;
}

void TestRegFile::keys()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, path);
    QFETCH(bool, present);
    QCOMPARE(Hive::parse(file.toStdString()).hasKey(path.toStdString()), present);
}

void TestRegFile::queryContract()
{
    // As the Windows calls: too small a buffer gets the size and no bytes; a closed key is no key.
    FileRegistry registry{Hive::parse((V + "\"V\"=\"abcd\"\r\n").toStdString())};
    HKEY key = 0;
    QCOMPARE(registry.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "software\\t", 0, 0x2003F, &key), ERROR_SUCCESS);
    unsigned char buffer[8] = {};
    DWORD type = 0, size = 4; // one short of "abcd" and its zero
    QCOMPARE(registry.RegQueryValueExA(key, "V", nullptr, &type, buffer, &size), ERROR_MORE_DATA);
    QCOMPARE(size, DWORD(5));
    QCOMPARE(buffer[0], (unsigned char)0);
    QCOMPARE(registry.RegQueryValueExA(key, "V", nullptr, &type, buffer, &size), ERROR_SUCCESS);
    QCOMPARE(type, REG_SZ);
    QCOMPARE(QByteArray(reinterpret_cast<char *>(buffer), int(size)), sz("abcd"));
    QCOMPARE(registry.RegCloseKey(key), ERROR_SUCCESS);
    QCOMPARE(registry.RegQueryValueExA(key, "V", nullptr, &type, buffer, &size), ERROR_INVALID_HANDLE);
    QCOMPARE(registry.RegCloseKey(key), ERROR_INVALID_HANDLE);
    QCOMPARE(registry.openKeyCount(), std::size_t(0));
}

void TestRegFile::unreadableFilesReadEmpty()
{
    // Over the size limit, missing, or a folder: no keys at all.
    QTemporaryFile huge;
    QVERIFY(huge.open());
    huge.write(V + "\"V\"=\"a\"\r\n");
    const QByteArray filler(1024 * 1024, ';');
    for (std::size_t written = 0; written <= MaxFileBytes; written += std::size_t(filler.size()))
        huge.write(filler);
    huge.close();
    for (const QString &path : {huge.fileName(), QStringLiteral("/nonexistent/mirebo.reg"), QStringLiteral("/")}) {
        FileRegistry registry = FileRegistry::fromFile(path.toStdString());
        HKEY key = 0;
        QCOMPARE(registry.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, 0x2003F, &key), ERROR_FILE_NOT_FOUND);
    }
}

QTEST_GUILESS_MAIN(TestRegFile)
#include "tst_regfile.moc"
