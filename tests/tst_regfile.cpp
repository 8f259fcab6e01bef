// The registry export parser: what a file yields, and what a broken file
// leaves missing instead of bringing the program down.

#include "about/regfile.h"
#include "datatable.h"

#include <QTemporaryFile>
#include <QTest>

using namespace Registry;

namespace {

const QByteArray H5 = "Windows Registry Editor Version 5.00\r\n\r\n";
const QByteArray Key = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\T]\r\n";
const QByteArray V = H5 + Key;
const QByteArray Deep = H5 + "[HKEY_LOCAL_MACHINE\\A\\B\\C]\r\n";

// A file of the tables: the placeholders their header lines explain.
QByteArray file(QByteArray text)
{
    const QByteArray deleted = Deep + "[HKEY_LOCAL_MACHINE\\A\\BB]\r\n[-HKEY_LOCAL_MACHINE\\A\\B]\r\n";
    text.replace("{V}", V).replace("{H5}", H5).replace("{KEY}", Key).replace("{DEEP}", Deep).replace("{DELETED}", deleted);
    if (!text.startsWith("{UTF-16}"))
        return text;
    const bool cut = text.contains("{CUT}");
    const QString wide = QString::fromUtf8(text.replace("{UTF-16}", "").replace("{CUT}", ""));
    const QByteArray utf16 = QByteArray("\xFF\xFE", 2) + QByteArray(reinterpret_cast<const char *>(wide.utf16()), wide.size() * 2);
    return cut ? utf16.chopped(1) : utf16;
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
    for (const char *column : {"type", "data", "file"})
        QTest::addColumn<QByteArray>(column);
    for (const QByteArrayList &f : dataTable("regfile_values.txt"))
        QTest::newRow(f[0]) << f[1] << f[2] << file(f[3]);
}

void TestRegFile::values()
{
    QFETCH(QByteArray, type);
    QFETCH(QByteArray, data);
    QFETCH(QByteArray, file);
    const Value *value = Hive::parse(std::string_view(file.constData(), std::size_t(file.size()))).find("SOFTWARE\\T", "V");
    QCOMPARE(value ? QByteArray::number(int(value->type)) + ' ' + QByteArray::fromStdString(value->data) : "- ", type + ' ' + data);
}

void TestRegFile::keys_data()
{
    for (const char *column : {"path", "present", "file"})
        QTest::addColumn<QByteArray>(column);
    for (const QByteArrayList &f : dataTable("regfile_keys.txt"))
        QTest::newRow(f[0]) << f[1] << f[2] << file(f[3]);
}

void TestRegFile::keys()
{
    QFETCH(QByteArray, path);
    QFETCH(QByteArray, present);
    QFETCH(QByteArray, file);
    QCOMPARE(Hive::parse(file.toStdString()).hasKey(path.toStdString()), present == "yes");
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
    QCOMPARE(QByteArray(reinterpret_cast<char *>(buffer), int(size)), QByteArray("abcd", 5));
    QCOMPARE(registry.RegCloseKey(key), ERROR_SUCCESS);
    QCOMPARE(registry.RegQueryValueExA(key, "V", nullptr, &type, buffer, &size), ERROR_INVALID_HANDLE);
    QCOMPARE(registry.RegCloseKey(key), ERROR_INVALID_HANDLE);
}

void TestRegFile::unreadableFilesReadEmpty()
{
    // Over the size limit, missing, or a folder: no keys at all.
    QTemporaryFile huge;
    QVERIFY(huge.open());
    huge.write(V + "\"V\"=\"a\"\r\n" + QByteArray(qsizetype(MaxFileBytes), ';'));
    huge.close();
    for (const QString &path : {huge.fileName(), QStringLiteral("/nonexistent/mirebo.reg"), QStringLiteral("/")}) {
        HKEY key = 0;
        QCOMPARE(FileRegistry::fromFile(path.toStdString()).RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, 0x2003F, &key),
                 ERROR_FILE_NOT_FOUND);
    }
}

QTEST_GUILESS_MAIN(TestRegFile)
#include "tst_regfile.moc"
