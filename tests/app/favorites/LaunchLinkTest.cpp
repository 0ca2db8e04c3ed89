#include "app/favorites/LaunchLink.h"

#include "app/checking/CheckRuns.h"
#include "app/favorites/Clipboard.h"
#include "app/forms/Pictures.h"
#include "app/settings/Common.h"
#include "app/settings/frmOptions.h"
#include "tests/app/MainWindowFixture.h"

#include <QLineEdit>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
class LaunchLinkTest : public MainWindowFixture
{
protected:
    // The files opened through the shell, as the program handed them over.
    QStringList Opened() const
    {
        QStringList files;
        for (const win32::ShellRequest& request : win32::ShellRequests())
            files << QString::fromLatin1(request.File.c_str());
        return files;
    }
    void Launch(const QString& text)
    {
        Select(text);
        LaunchLink(*Main.tvFolders);
    }
};

QByteArray ShortcutTo(const QByteArray& url, const QByteArray& extra = QByteArray())
{
    return "[InternetShortcut]\r\nURL=" + url + "\r\n" + extra;
}
} // namespace

TEST(IsLaunchableAddress, OnlyAddressesWithASchemeAreOpened)
{
    const QStringList launchable{"http://a.test/", "HTTPS://A.TEST", "mailto:someone@a.test", "a+b-c.d:rest", "ab:"};
    for (const QString& address : launchable)
        EXPECT_TRUE(IsLaunchableAddress(address)) << address.toStdString();
    const QStringList refused{"",     "www.a.test",     "/usr/bin/xterm", "C:\\Windows\\notepad.exe",
                              "c:/x", "1http://a.test", ":rest",          "ht tp://a.test",
                              "-x:y"};
    for (const QString& address : refused)
        EXPECT_FALSE(IsLaunchableAddress(address)) << address.toStdString();
}

// A link's address is handed to the default handler as it is written, in the ANSI code page.
// Folders, links without an address and addresses that name no scheme (a path, a bare host)
// open nothing; a file:// address to a program neither. An option that is not a number does
// not keep the whole address from being opened.
TEST_F(LaunchLinkTest, NothingButAnAddressWithASchemeIsOpenedAndNothingIsRun)
{
    const QString program = Program.WriteFile(QStringLiteral("tool"), "#!/bin/sh\n");
    SetMode(program, 0755);
    const QString document = Program.WriteFile(QStringLiteral("page.html"), "<html></html>");
    const QByteArray longUrl = "http://long.test/" + QByteArray(600, 'x');
    const std::pair<const char*, QByteArray> files[] = {
        {"cafe", ShortcutTo("http://caf\xe9.test/path?x=1&y=2", "[Orrindale]\r\nTimeout=750\r\n")},
        {"News/n", ShortcutTo("http://n.test/")},
        {"nourl", "[InternetShortcut]\r\nIconIndex=1\r\n"},
        {"empty", ""},
        {"gone", ""},
        {"path", ShortcutTo(QFile::encodeName(program))},
        {"fileurl", ShortcutTo("file://" + QFile::encodeName(program))},
        {"host", ShortcutTo("www.a.test")},
        {"document", ShortcutTo("file://" + QFile::encodeName(document))},
        {"badtimeout", ShortcutTo("http://a.test/", "[Orrindale]\r\nTimeout=abc\r\n")},
        {"badrename", ShortcutTo(longUrl, "[Orrindale]\r\nTimeout=900\r\nRename=yes\r\n")},
    };
    for (const auto& [name, content] : files)
        Favorites.WriteFile(QString::fromLatin1(name) + QStringLiteral(".url"), content);
    Load();
    ASSERT_TRUE(QFile::remove(Favorites.Sub(QStringLiteral("gone.url"))));

    for (const char* text : {"cafe", "", "News", "nourl", "empty", "gone", "path", "fileurl", "host", "document",
                             "badtimeout", "badrename"})
        Launch(QString::fromLatin1(text));

    ASSERT_EQ(Opened(), (QStringList{QString::fromLatin1("http://caf\xe9.test/path?x=1&y=2"),
                                     QStringLiteral("file://") + document, QStringLiteral("http://a.test/"),
                                     QString::fromLatin1(longUrl)}));
    const win32::ShellRequest& request = win32::ShellRequests()[0];
    EXPECT_EQ(request.Operation, "");
    EXPECT_EQ(request.Parameters, "");
    EXPECT_EQ(request.Directory, "");
    EXPECT_EQ(request.ShowCmd, win32::SW_SHOWNORMAL);
    EXPECT_TRUE(desktop::ShownMessages().isEmpty());
    EXPECT_FALSE(Logged());
}

TEST_F(LaunchLinkTest, ANamedPipeOrAFolderNamedLikeAFavoriteNeverHoldsTheProgram)
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
    Launch(QStringLiteral("b-fifo"));
    EXPECT_TRUE(Opened().isEmpty());
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
