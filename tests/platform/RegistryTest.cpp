#include "platform/registry/Registry.h"
#include "platform/files/FaultyFileSystem.h"
#include "platform/files/FileSystem.h"
#include "tests/support/LumivoTest.h"

#include <QFile>

using namespace lumivo::registry;
using lumivo::test::LumivoTest;

namespace
{

QByteArray fileText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeText(const QString& path, const QByteArray& text)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

} // namespace

class RegistryTest : public LumivoTest
{
protected:
    QString folder() const { return tempPath("registry"); }
};

TEST_F(RegistryTest, RootNamesInLongAndShortFormsAndNoOthers)
{
    EXPECT_EQ(rootFromName("HKEY_CURRENT_USER"), Root::CurrentUser);
    EXPECT_EQ(rootFromName("HKCU"), Root::CurrentUser);
    EXPECT_EQ(rootFromName("hklm"), Root::LocalMachine);
    EXPECT_EQ(rootFromName("HKEY_USERS"), Root::Users);
    EXPECT_EQ(rootFromName("HKPD"), Root::PerformanceData);
    EXPECT_FALSE(rootFromName("HKU"));
    EXPECT_FALSE(rootFromName(""));
    EXPECT_EQ(rootName(Root::ClassesRoot), QStringLiteral("HKEY_CLASSES_ROOT"));
}

TEST_F(RegistryTest, KeysAndValuesAreFoundWithoutRegardToCaseAndKeepTheirOwnCase)
{
    Registry reg(folder());
    ASSERT_TRUE(reg.createKey(Root::CurrentUser, "Software\\Lumivo\\Settings"));
    EXPECT_TRUE(reg.keyExists(Root::CurrentUser, "SOFTWARE\\lumivo"));
    EXPECT_TRUE(reg.keyExists(Root::CurrentUser, ""));
    EXPECT_FALSE(reg.keyExists(Root::LocalMachine, "Software"));
    EXPECT_FALSE(reg.createKey(Root::CurrentUser, "a\\\\b"));

    ASSERT_TRUE(
        reg.writeValue(Root::CurrentUser, "software\\LUMIVO\\settings", "ScreenMode", Value::dword(5)));
    ASSERT_TRUE(
        reg.writeValue(Root::CurrentUser, "Software\\Lumivo\\Settings", "SCREENMODE", Value::dword(6)));
    EXPECT_EQ(reg.valueNames(Root::CurrentUser, "Software\\Lumivo\\Settings"), QStringList{"ScreenMode"});
    EXPECT_EQ(reg.readValue(Root::CurrentUser, "Software\\Lumivo\\Settings", "screenmode"), Value::dword(6));
    EXPECT_EQ(reg.subKeyNames(Root::CurrentUser, "software"), QStringList{"Lumivo"});
}

TEST_F(RegistryTest, WritingNeedsAnExistingKeyAndDeletingRefusesKeysWithSubKeys)
{
    Registry reg(folder());
    EXPECT_FALSE(reg.writeValue(Root::CurrentUser, "Missing", "x", Value::string("y")));
    ASSERT_TRUE(reg.createKey(Root::CurrentUser, "a\\b"));
    EXPECT_FALSE(reg.deleteKey(Root::CurrentUser, "a"));
    EXPECT_FALSE(reg.deleteKey(Root::CurrentUser, ""));
    EXPECT_TRUE(reg.deleteKey(Root::CurrentUser, "A\\B"));
    EXPECT_TRUE(reg.deleteKey(Root::CurrentUser, "a"));
    EXPECT_EQ(reg.subKeyNames(Root::CurrentUser, ""), QStringList{});
    EXPECT_FALSE(reg.subKeyNames(Root::CurrentUser, "a"));
    EXPECT_FALSE(reg.deleteValue(Root::CurrentUser, "", "nothing"));
}

TEST_F(RegistryTest, EveryKindOfValueSurvivesReopeningWithItsType)
{
    const QString awkward = QStringLiteral("line one\nline \"two\" \\ ¤ æøå");
    const QByteArray blob("\x00\x01\xfe\xff", 4);
    {
        Registry reg(folder());
        ASSERT_TRUE(reg.createKey(Root::CurrentUser, "Software\\Lumivo"));
        ASSERT_TRUE(reg.createKey(Root::LocalMachine, "Empty\\Key"));
        ASSERT_TRUE(reg.writeValue(Root::CurrentUser, "Software\\Lumivo", "Text", Value::string(awkward)));
        ASSERT_TRUE(
            reg.writeValue(Root::CurrentUser, "Software\\Lumivo", "Number", Value::dword(0xDEADBEEF)));
        ASSERT_TRUE(reg.writeValue(Root::CurrentUser, "Software\\Lumivo", "Blob", Value::binary(blob)));
        ASSERT_TRUE(reg.writeValue(Root::CurrentUser, "Software\\Lumivo", "", Value::string("default")));
        ASSERT_TRUE(reg.writeValue(Root::CurrentUser, "", "At the root", Value::binary({})));
        EXPECT_TRUE(reg.isDirty(Root::CurrentUser));
        ASSERT_TRUE(reg.flushAll());
        EXPECT_FALSE(reg.isDirty(Root::CurrentUser));
    }
    EXPECT_TRUE(fileText(folder() + "/HKEY_CURRENT_USER.txt").contains("\"Number\"=dword:deadbeef"));
    Registry reopened(folder());
    EXPECT_EQ(reopened.readValue(Root::CurrentUser, "Software\\Lumivo", "Text"), Value::string(awkward));
    EXPECT_EQ(reopened.readValue(Root::CurrentUser, "Software\\Lumivo", "Number"), Value::dword(0xDEADBEEF));
    EXPECT_EQ(reopened.readValue(Root::CurrentUser, "Software\\Lumivo", "Blob"), Value::binary(blob));
    EXPECT_EQ(reopened.readValue(Root::CurrentUser, "Software\\Lumivo", ""), Value::string("default"));
    EXPECT_EQ(reopened.readValue(Root::CurrentUser, "", "at the root"), Value::binary({}));
    EXPECT_EQ(reopened.valueNames(Root::CurrentUser, "Software\\Lumivo"),
              (QStringList{"Text", "Number", "Blob", ""}));
    EXPECT_TRUE(reopened.keyExists(Root::LocalMachine, "Empty\\Key"));
}

TEST_F(RegistryTest, ADamagedFileIsReadAsFarAsSoundAndKeptBeside)
{
    const QString path = folder() + "/HKEY_CURRENT_USER.txt";
    ASSERT_TRUE(lumivo::files::fileSystem().makeDirectories(folder()));
    const QByteArray damaged = "[Good]\n"
                               "\"a\"=dword:00000001\n"
                               "\"b\"=dword:zz\n"
                               "\"c\"=\"unterminated\n"
                               "[Broken\n"
                               "\"lost\"=dword:00000002\n"
                               "[Good\\Later]\n"
                               "\"d\"=hex:0a,0b\n"
                               "\"bad utf-8 \xff\"=dword:00000004\n"
                               "\x01\x02garbage";
    writeText(path, damaged);
    Registry reg(folder());
    EXPECT_EQ(reg.readValue(Root::CurrentUser, "Good", "a"), Value::dword(1));
    EXPECT_FALSE(reg.readValue(Root::CurrentUser, "Good", "b"));
    EXPECT_FALSE(reg.readValue(Root::CurrentUser, "Good", "lost"));
    EXPECT_EQ(reg.readValue(Root::CurrentUser, "Good\\Later", "d"), Value::binary("\x0a\x0b"));

    // Replacing the file keeps the damaged original beside it.
    ASSERT_TRUE(reg.writeValue(Root::CurrentUser, "Good", "e", Value::dword(3)));
    ASSERT_TRUE(reg.flush(Root::CurrentUser));
    EXPECT_EQ(fileText(path + ".damaged"), damaged);
    Registry reopened(folder());
    EXPECT_EQ(reopened.readValue(Root::CurrentUser, "Good", "e"), Value::dword(3));
}

TEST_F(RegistryTest, TypedBytesAreWrittenBackAsRead)
{
    const QString path = folder() + "/HKEY_CURRENT_USER.txt";
    ASSERT_TRUE(lumivo::files::fileSystem().makeDirectories(folder()));
    writeText(path, "[Key]\n"
                    "\"v\"=hex(1):61,62\n"
                    "\"w\"=hex(7):00\n");
    {
        Registry reg(folder());
        EXPECT_EQ(reg.readValue(Root::CurrentUser, "Key", "v"), (Value{REG_SZ, {}, "ab"}));
        ASSERT_TRUE(reg.writeValue(Root::CurrentUser, "Key", "x", Value::dword(1)));
        ASSERT_TRUE(reg.flush(Root::CurrentUser));
    }
    EXPECT_TRUE(fileText(path).contains("\"v\"=hex(1):61,62\n"));
    EXPECT_FALSE(QFile::exists(path + ".damaged")) << "every line was understood";
    Registry reopened(folder());
    EXPECT_EQ(reopened.readValue(Root::CurrentUser, "Key", "v"), (Value{REG_SZ, {}, "ab"}));
    EXPECT_EQ(reopened.readValue(Root::CurrentUser, "Key", "w"), (Value{7, {}, QByteArray(1, 0)}));
}

// Numbers this format never writes (signs, blanks, "0x") are not guessed at: the file is damaged.
TEST_F(RegistryTest, NumbersInAnotherNotationMarkTheFileDamaged)
{
    const QString path = folder() + "/HKEY_CURRENT_USER.txt";
    ASSERT_TRUE(lumivo::files::fileSystem().makeDirectories(folder()));
    for (const QByteArray line : {"\"n\"=dword:+0000001", "\"n\"=dword:0x000001", "\"n\"=hex:+1",
                                  "\"n\"=hex(+1):61", "\"n\"=hex(1 ):61"}) {
        SCOPED_TRACE(line.constData());
        const QByteArray text = "[Key]\n" + line + "\n";
        writeText(path, text);
        QFile::remove(path + ".damaged");
        Registry reg(folder());
        EXPECT_FALSE(reg.readValue(Root::CurrentUser, "Key", "n"));
        ASSERT_TRUE(reg.writeValue(Root::CurrentUser, "Key", "x", Value::dword(1)));
        ASSERT_TRUE(reg.flush(Root::CurrentUser));
        EXPECT_EQ(fileText(path + ".damaged"), text);
    }
}

TEST_F(RegistryTest, ASecondLineOfTheSameNameMarksTheFileDamaged)
{
    const QString path = folder() + "/HKEY_CURRENT_USER.txt";
    ASSERT_TRUE(lumivo::files::fileSystem().makeDirectories(folder()));
    const QByteArray text = "[Key]\n\"v\"=dword:00000001\n\"V\"=dword:00000002\n";
    writeText(path, text);
    Registry reg(folder());
    EXPECT_EQ(reg.readValue(Root::CurrentUser, "Key", "v"), Value::dword(2));
    ASSERT_TRUE(reg.writeValue(Root::CurrentUser, "Key", "x", Value::dword(1)));
    ASSERT_TRUE(reg.flush(Root::CurrentUser));
    EXPECT_EQ(fileText(path + ".damaged"), text);
}

TEST_F(RegistryTest, AFailedWriteLeavesTheOldFileWhole)
{
    {
        Registry reg(folder());
        ASSERT_TRUE(reg.writeValue(Root::CurrentUser, "", "v", Value::dword(1)));
        ASSERT_TRUE(reg.flush(Root::CurrentUser));
    }
    const QByteArray before = fileText(folder() + "/HKEY_CURRENT_USER.txt");
    lumivo::files::FaultyFileSystem faulty(lumivo::files::fileSystem());
    lumivo::files::ScopedFileSystem scoped(faulty);
    faulty.failAt(lumivo::files::FaultyFileSystem::Operation::Write, 1);
    Registry reg(folder());
    ASSERT_TRUE(reg.writeValue(Root::CurrentUser, "", "v", Value::dword(2)));
    EXPECT_FALSE(reg.flush(Root::CurrentUser));
    EXPECT_TRUE(reg.isDirty(Root::CurrentUser));
    EXPECT_EQ(fileText(folder() + "/HKEY_CURRENT_USER.txt"), before);
}

TEST_F(RegistryTest, TheProgramRegistryFollowsTheConfigurationFolder)
{
    ASSERT_TRUE(registry().writeValue(Root::CurrentUser, "", "x", Value::dword(1)));
    EXPECT_TRUE(registry().folder().endsWith("/config/Lumivo"));
    EXPECT_TRUE(registry().flush(Root::CurrentUser));
    EXPECT_TRUE(QFile::exists(tempPath("config/Lumivo/HKEY_CURRENT_USER.txt")));
}
