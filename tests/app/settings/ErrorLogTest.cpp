#include "app/settings/Common.h"

#include "platform/runtime/ErrorRecord.h"
#include "tests/app/settings/SettingsFixture.h"
#include "tests/support/Privileges.h"

#include <QRegularExpression>

namespace
{
class ErrorLogTest : public SettingsFixture
{
protected:
    static void Fail(int number, const std::string& description, const std::string& source)
    {
        runtime::SetErr(runtime::ErrorRecord{number, description, source});
        LogError(true);
    }

    // The lines of a log, each ended by CR LF, the last one too.
    QList<QByteArray> Lines(const QString& path) const
    {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
        QByteArray all = file.readAll();
        EXPECT_TRUE(all.endsWith("\r\n")) << all.toStdString();
        EXPECT_EQ(all.count("\r\n"), all.count('\n')) << all.toStdString();
        return all.isEmpty() ? QList<QByteArray>() : all.replace("\r\n", "\n").chopped(1).split('\n');
    }

    // Everything after the date and time: "  Error <n>: <description> in module <source>".
    static QByteArray AfterTime(const QByteArray& line)
    {
        const qsizetype at = line.indexOf("  Error ");
        return at < 0 ? QByteArray() : line.mid(at);
    }
};
} // namespace

// Each line: the date, one blank, the time with its seconds, then "  Error <n>: <description> in
// module <source>", in the ANSI code page. Earlier content is kept; the record is cleared.
TEST_F(ErrorLogTest, EachErrorIsShownThenAppendedAsOneLine)
{
    Program.WriteFile(QStringLiteral("ERROR.LOG"), "earlier line\r\n");
    Fail(76, "Path not found", "Strandmoor");
    EXPECT_EQ(runtime::Err().Number, 0);
    EXPECT_TRUE(runtime::Err().Description.empty());
    Fail(-2147221164, "Class not registered", "Tarnhold");
    Fail(1001, "", "Strandmoor");
    Fail(5, "Caf\xC3\xA9 \xE2\x80\x93 \xE2\x82\xAC and \xE4\xB8\xAD", "Strandmoor");

    ASSERT_EQ(desktop::ShownMessages().size(), 4);
    EXPECT_EQ(desktop::ShownMessages()[0].Prompt, QStringLiteral("Path not found"));
    EXPECT_EQ(desktop::ShownMessages()[0].Style, 48);
    EXPECT_EQ(desktop::ShownMessages()[0].Title, QStringLiteral("Error 76"));
    EXPECT_EQ(desktop::ShownMessages()[1].Title, QStringLiteral("Error -2147221164"));
    const auto lines = Lines(Program.Sub(QStringLiteral("ERROR.LOG")));
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[0], QByteArray("earlier line"));
    EXPECT_EQ(AfterTime(lines[1]), QByteArray("  Error 76: Path not found in module Strandmoor"));
    EXPECT_EQ(AfterTime(lines[2]), QByteArray("  Error -2147221164: Class not registered in module Tarnhold"));
    EXPECT_EQ(AfterTime(lines[3]), QByteArray("  Error 1001:  in module Strandmoor"));
    EXPECT_EQ(AfterTime(lines[4]), QByteArray("  Error 5: Caf\xE9 \x96 \x80 and ? in module Strandmoor"));
    const QRegularExpression stamp(QStringLiteral("^\\S.* \\d{1,2}:\\d{2}:\\d{2}( ?[AaPp][Mm])?  Error "));
    EXPECT_TRUE(stamp.match(QString::fromLatin1(lines[1])).hasMatch()) << lines[1].toStdString();
}

// A program folder that cannot be written, or is missing, sends the line to the state folder.
TEST_F(ErrorLogTest, AProgramFolderThatCannotBeWrittenSendsTheLineToTheStateFolder)
{
    QFile::remove(ErrorLogFallbackPath());
    const QByteArray folder = QFile::encodeName(Program.Path());
    ASSERT_EQ(chmod(folder.constData(), 0555), 0);
    {
        ScopedFilePermissions asUser;
        Fail(70, "Permission denied", "Strandmoor");
    }
    chmod(folder.constData(), 0700);
    desktop::App::SetPath(Program.Sub(QStringLiteral("not/there")));
    Fail(53, "File not found", "Strandmoor");

    EXPECT_EQ(desktop::ShownMessages().size(), 2);
    EXPECT_FALSE(QFile::exists(Program.Sub(QStringLiteral("ERROR.LOG"))));
    EXPECT_TRUE(ErrorLogFallbackPath().endsWith(QStringLiteral("/Strandmoor/ERROR.LOG")));
    const auto lines = Lines(ErrorLogFallbackPath());
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(AfterTime(lines[0]), QByteArray("  Error 70: Permission denied in module Strandmoor"));
    EXPECT_EQ(AfterTime(lines[1]), QByteArray("  Error 53: File not found in module Strandmoor"));
    QFile::remove(ErrorLogFallbackPath());
}
