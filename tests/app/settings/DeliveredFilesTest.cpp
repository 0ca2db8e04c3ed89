// The help file and the toolbar icon that the build puts beside the program.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace
{
// Every page, picture and style sheet the help sources name.
QStringList FilesTheHelpNames()
{
    const QDir sources(QStringLiteral(STRANDMOOR_HELP_SOURCES));
    const QRegularExpression reference(QStringLiteral("(?:src|href|value)=\"([^\"#:]+\\.(?:html|png|css))\""),
                                       QRegularExpression::CaseInsensitiveOption);
    QStringList names;
    for (const QString& page :
         sources.entryList({QStringLiteral("*.html"), QStringLiteral("*.hhc"), QStringLiteral("*.hhk")})) {
        QFile file(sources.filePath(page));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        for (const QRegularExpressionMatch& match : reference.globalMatch(text))
            names << match.captured(1);
    }
    names.removeDuplicates();
    return names;
}
} // namespace

TEST(DeliveredFilesTest, TheIconHoldsTheCheckMarkAtSixteenAndThirtyTwoPixels)
{
    QFile file(QStringLiteral(STRANDMOOR_DELIVERED_DIR "/checkmrk.ico"));
    QImageReader reader(&file, "ico");
    ASSERT_EQ(reader.imageCount(), 2);
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(reader.jumpToImage(i));
        const QImage image = reader.read().convertToFormat(QImage::Format_ARGB32);
        ASSERT_FALSE(image.isNull()) << reader.errorString().toStdString();
        const int side = image.width();
        EXPECT_EQ(side, i == 0 ? 16 : 32);
        const auto at = [&](double x, double y) { return image.pixel(int(x * side / 32), int(y * side / 32)); };
        for (const auto& corner :
             {std::pair{0.5, 0.5}, std::pair{31.0, 31.0}, std::pair{0.5, 31.0}, std::pair{31.0, 0.5}})
            EXPECT_EQ(qAlpha(at(corner.first, corner.second)), 0) << side;
        for (const auto& inside : {std::pair{12.5, 22.0}, std::pair{26.5, 6.5}, std::pair{6.0, 15.0}}) {
            const QRgb pixel = at(inside.first, inside.second);
            EXPECT_GT(qAlpha(pixel), 200) << side << " at " << inside.first << "," << inside.second;
            EXPECT_GT(qGreen(pixel), qRed(pixel)) << side;
            EXPECT_GT(qGreen(pixel), qBlue(pixel)) << side;
        }
    }
}

TEST(DeliveredFilesTest, TheHelpFileHoldsEveryPageAndPictureItsPagesName)
{
    QFile file(QStringLiteral(STRANDMOOR_DELIVERED_DIR "/Strandmoor.chm"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
    const QByteArray help = file.readAll();
    ASSERT_TRUE(help.startsWith("ITSF"));
    const QStringList names = FilesTheHelpNames();
    for (const char* page :
         {"index.html", "tree.html", "checking.html", "editing.html", "commands.html", "options.html",
          "properties.html", "settings.html", "pictures/checkmrk.png", "pictures/link-broken.png"})
        EXPECT_TRUE(names.contains(QString::fromLatin1(page))) << page;
    for (const QString& name : names)
        EXPECT_TRUE(help.contains("/" + name.toLatin1())) << name.toStdString() << " is missing from the help file";
}
