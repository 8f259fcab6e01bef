// The registry export parser: what a file yields, and what a broken file
// leaves missing instead of bringing the program down.

#include "about/regfile.h"
#include "datatable.h"

#include <QTemporaryFile>

using namespace Registry;

namespace {

const QByteArray H5 = "Windows Registry Editor Version 5.00\r\n\r\n";
const QByteArray Key = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\T]\r\n";
const QByteArray V = H5 + Key;

// A file of the tables: the placeholders their header lines explain.
QByteArray fileOf(QByteArray text)
{
    text.replace("{V}", V).replace("{H5}", H5).replace("{KEY}", Key);
    if (!text.startsWith("{UTF-16}"))
        return text;
    const bool cut = text.contains("{CUT}");
    const QString wide = QString::fromUtf8(text.replace("{UTF-16}", "").replace("{CUT}", ""));
    const QByteArray utf16 =
        QByteArray("\xFF\xFE", 2) + QByteArray(reinterpret_cast<const char *>(wide.utf16()), wide.size() * 2);
    return cut ? utf16.chopped(1) : utf16;
}

} // namespace

class TestRegFile : public QObject
{
    Q_OBJECT

private slots:
    void values_data() { dataRows<QByteArray, QByteArray, QByteArray>("regfile_values.txt", {"type", "data", "file"}); }
    void values()
    {
        const QByteArray bytes = fileOf(field<QByteArray>("file"));
        const Hive hive = Hive::parse(std::string_view(bytes.constData(), std::size_t(bytes.size())));
        const Value *value = hive.find("SOFTWARE\\T", "V");
        QCOMPARE(value ? QByteArray::number(int(value->type)) + ' ' + QByteArray::fromStdString(value->data) : "- ",
                 field<QByteArray>("type") + ' ' + field<QByteArray>("data"));
    }

    void keys_data() { dataRows<QByteArray, bool, QByteArray>("regfile_keys.txt", {"path", "present", "file"}); }
    void keys()
    {
        const Hive hive = Hive::parse(fileOf(field<QByteArray>("file")).toStdString());
        QCOMPARE(hive.hasKey(field<QByteArray>("path").toStdString()), field<bool>("present"));
    }

    // Over the size limit, missing, or a folder: no keys at all.
    void unreadableFilesReadEmpty()
    {
        QTemporaryFile huge;
        QVERIFY(huge.open());
        huge.write(V + "\"V\"=\"a\"\r\n" + QByteArray(qsizetype(MaxFileBytes), ';'));
        huge.close();
        const auto opened = [](const QString &path) {
            HKEY key = 0;
            return FileRegistry::fromFile(path.toStdString())
                .RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, 0x2003F, &key);
        };
        QCOMPARE(opened(huge.fileName()), ERROR_FILE_NOT_FOUND);
        QCOMPARE(opened(QStringLiteral("/nonexistent/mirebo.reg")), ERROR_FILE_NOT_FOUND);
        QCOMPARE(opened(QStringLiteral("/")), ERROR_FILE_NOT_FOUND);
    }
};

QTEST_GUILESS_MAIN(TestRegFile)
#include "tst_regfile.moc"
