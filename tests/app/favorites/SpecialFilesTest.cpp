#include "app/checking/CheckRuns.h"
#include "app/favorites/Clipboard.h"
#include "app/favorites/LaunchLink.h"
#include "app/forms/Pictures.h"
#include "app/settings/Common.h"
#include "app/settings/frmOptions.h"
#include "platform/runtime/ErrorRecord.h"
#include "tests/app/favorites/EditFixture.h"

#include <QLineEdit>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
using SpecialFilesTest = EditFixture;
} // namespace

TEST_F(SpecialFilesTest, ANamedPipeOrAFolderNamedLikeAFavoriteNeverHoldsTheProgram)
{
    const QByteArray fifo = QFile::encodeName(Favorites.Sub(QStringLiteral("b-fifo.url")));
    ASSERT_EQ(mkfifo(fifo.constData(), 0600), 0);
    Favorites.MakeFolder(QStringLiteral("x.url"));
    Favorites.MakeFolder(QStringLiteral("Other"));
    const QByteArray log = QFile::encodeName(Program.Sub(QStringLiteral("ERROR.LOG")));
    ASSERT_EQ(mkfifo(log.constData(), 0600), 0);
    Load();
    // A call stuck on the pipe cannot be ended from inside: the alarm ends the test run, which
    // fails it rather than hanging it.
    signal(SIGALRM, [](int) {
        static const char text[] = "The program waited on a special file\n";
        (void)!write(2, text, sizeof text - 1);
        _exit(1);
    });
    alarm(20);

    // Checked, it is a favorite without an address.
    CheckAllLinks(Main.RunHost());
    EXPECT_EQ(Node(QStringLiteral("b-fifo"))->Image(), Pictures::LinkNoReply);
    EXPECT_NE(Node(QStringLiteral("x.url")), nullptr);

    // Opened, it opens nothing; its properties show nothing and write nothing.
    Select(QStringLiteral("b-fifo"));
    LaunchLink(*Main.tvFolders);
    EXPECT_TRUE(win32::ShellRequests().empty());
    {
        frmOptions properties(*Main.tvFolders, OptionsMode::Properties);
        properties.Form_Activate();
        EXPECT_TRUE(properties.txtURL()->text().isEmpty());
        properties.SaveLinkProperties();
    }
    struct stat info
    {
    };
    ASSERT_EQ(lstat(fifo.constData(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));

    // Copied elsewhere it is refused, and the log that is a pipe too gives way to the other one.
    CopyNode(*Main.tvFolders, Main.Clip);
    Select(QStringLiteral("Other"));
    PasteNode(*Main.tvFolders, Main.Clip, Main.Favorites);
    EXPECT_TRUE(ReportedErrors().endsWith(75));
    EXPECT_TRUE(Children(QStringLiteral("Other")).isEmpty());
    EXPECT_TRUE(QFile::exists(ErrorLogFallbackPath()));
    QFile::remove(ErrorLogFallbackPath());
    alarm(0);
}
