#include "app/favorites/ShortcutFile.h"

#include "app/settings/AppSettings.h"
#include "tests/support/RaisedError.h"
#include "tests/support/TestFolder.h"

#include <gtest/gtest.h>

namespace
{
class ShortcutFileTest : public ::testing::Test
{
protected:
    ShortcutFileTest()
    {
        AppSettings.Timeout = 1500;
        AppSettings.ChangeName = true;
    }
    ~ShortcutFileTest() override { AppSettings = ApplicationSettings{}; }

    // Reads the favorite with this text in the Favorites folder itself.
    Shortcut Read(const QString& text) { return ReadShortcut(Favorites.Path(), text); }

    TestFolder Favorites;
};
} // namespace

TEST_F(ShortcutFileTest, TheLinksOwnSectionOverridesTheGlobalSettings)
{
    struct Case
    {
        const char* Orrindale; // the section's lines, or null for no section
        int16_t Timeout;
        bool Rename;
    };
    const Case cases[] = {
        {nullptr, 1500, true},
        {"Timeout=750\r\nRename=-1\r\n", 750, true},
        {"Timeout=750\r\nRename=0\r\n", 750, false},
        {"Timeout=500\r\nRename=1\r\n", 500, true},
        {"Timeout=2000\r\nRename=2\r\n", 2000, true},
        {"Timeout=12345\r\n", 1234, true}, // the four characters that fit the buffer
        {"Rename=-12\r\n", 1500, true},    // only the first two characters are read
        {"TIMEOUT = 600 \r\nrename=0\r\n", 600, false},
    };
    for (const Case& c : cases) {
        QByteArray content = "[InternetShortcut]\r\nURL=http://a.test/\r\n";
        if (c.Orrindale)
            content += QByteArray("[Orrindale]\r\n") + c.Orrindale;
        Favorites.WriteFile(QStringLiteral("Link.url"), content);
        const Shortcut shortcut = Read(QStringLiteral("Link"));
        EXPECT_EQ(shortcut.Url, QStringLiteral("http://a.test/"));
        EXPECT_EQ(shortcut.LinkTimeout, c.Timeout) << (c.Orrindale ? c.Orrindale : "no section");
        EXPECT_EQ(shortcut.LinkRename, c.Rename) << (c.Orrindale ? c.Orrindale : "no section");
    }
}

// A long address is read whole, nothing is trimmed inside, and it is decoded from the ANSI
// code page. A missing file gives an empty address and the global settings.
TEST_F(ShortcutFileTest, TheAddressIsReadWholeAndDecodedAndAMissingFileHasNone)
{
    const QString url = QStringLiteral("http://long.test/") + QString(600, QLatin1Char('x')) + QStringLiteral("?q=a b");
    Favorites.WriteFile(QStringLiteral("Long.URL"), "[InternetShortcut]\nURL=" + url.toLatin1() + "\n");
    EXPECT_EQ(Read(QStringLiteral("Long")).Url, url);
    Favorites.WriteFile(QStringLiteral("Caf\u00e9.url"), "[InternetShortcut]\r\nURL=http://caf\xE9.test/\x80\r\n");
    EXPECT_EQ(Read(QStringLiteral("Caf\u00e9")).Url, QStringLiteral("http://caf\u00e9.test/\u20ac"));

    AppSettings.ChangeName = false;
    const Shortcut shortcut = Read(QStringLiteral("Gone"));
    EXPECT_EQ(shortcut.Url, QString());
    EXPECT_EQ(shortcut.LinkTimeout, 1500);
    EXPECT_FALSE(shortcut.LinkRename);
}

TEST_F(ShortcutFileTest, ValuesThatAreNotNumbersRaiseAConversionError)
{
    for (const char* orrindale : {"Timeout=\r\nRename=1\r\n", "Timeout=abc\r\nRename=1\r\n", "Timeout=800\r\nRename=x\r\n"}) {
        Favorites.WriteFile(QStringLiteral("Bad.url"), QByteArray("[Orrindale]\r\n") + orrindale);
        EXPECT_EQ(ErrorNumberOf([this] { Read(QStringLiteral("Bad")); }), runtime::TypeMismatch) << orrindale;
    }
}

TEST_F(ShortcutFileTest, WritesRefuseLineBreaksAndNulsAndRemoveSections)
{
    const QString path = Favorites.WriteFile(QStringLiteral("W.url"), "[InternetShortcut]\r\nURL=http://a.test/\r\n");
    EXPECT_FALSE(WriteProfileString(QStringLiteral("InternetShortcut"), QStringLiteral("URL"),
                                    QStringLiteral("http://b.test/\r\nRename=1"), path));
    EXPECT_FALSE(WriteProfileString(QStringLiteral("InternetShortcut"), QStringLiteral("URL"),
                                    QStringLiteral("http://b.test/") + QChar(u'\0') + QStringLiteral("x"), path));
    EXPECT_TRUE(WriteProfileString(QStringLiteral("Orrindale"), QStringLiteral("Timeout"), QStringLiteral("900"), path));
    EXPECT_TRUE(WriteProfileString(QStringLiteral("Orrindale"), QString(), QString(), path));
    EXPECT_EQ(Favorites.ReadFile(QStringLiteral("W.url")), QByteArray("[InternetShortcut]\r\nURL=http://a.test/\r\n"));
    EXPECT_EQ(ReadProfileString(QStringLiteral("internetshortcut"), QStringLiteral("url"), QString(), 10, path),
              QStringLiteral("http://a."));
}
