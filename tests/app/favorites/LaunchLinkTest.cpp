#include "app/favorites/LaunchLink.h"

#include "tests/app/favorites/EditFixture.h"

namespace
{
class LaunchLinkTest : public EditFixture
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
