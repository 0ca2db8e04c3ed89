// Draws the program's own pictures (the tree's and the tool bar's) as PNG files for the help
// pages, so the help shows exactly what the program shows.
//
//     DrawPictures <folder>
#include "app/forms/Pictures.h"

#include <QDir>
#include <QImage>
#include <QPainter>

#include <cstdio>

namespace
{
struct NamedPicture
{
    int Index;
    const char* Name;
};

// The file name of each picture the help pages show.
const NamedPicture HelpPictures[] = {
    {Pictures::Help, "help"},
    {Pictures::OpenFolder, "folder-open"},
    {Pictures::LinkNotChecked, "link-not-checked"},
    {Pictures::LinkBroken, "link-broken"},
    {Pictures::LinkNoReply, "link-no-reply"},
    {Pictures::LinkAnswered, "link-answered"},
    {Pictures::Cut, "cut"},
    {Pictures::Copy, "copy"},
    {Pictures::Paste, "paste"},
    {Pictures::Delete, "delete"},
    {Pictures::Launch, "launch"},
    {Pictures::CheckAll, "check-all"},
    {Pictures::CheckOne, "check-one"},
    {Pictures::Stop, "stop"},
    {Pictures::ClosedFolder, "folder-closed"},
    {Pictures::Find, "find"},
    {Pictures::CheckFolder, "check-folder"},
};

// Twice the size the tree draws them, so they stay sharp on the help pages.
constexpr int Scale = 2;
} // namespace

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: DrawPictures <folder>\n");
        return 1;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "DrawPictures: %s cannot be created\n", argv[1]);
        return 1;
    }
    for (const NamedPicture& picture : HelpPictures) {
        QImage image(16 * Scale, 16 * Scale, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(Scale, Scale);
        Pictures::Draw(picture.Index, painter);
        painter.end();
        const QString path = folder.filePath(QString::fromLatin1(picture.Name) + QStringLiteral(".png"));
        if (!image.save(path, "PNG")) {
            std::fprintf(stderr, "DrawPictures: %s cannot be written\n", path.toLocal8Bit().constData());
            return 1;
        }
    }
    return 0;
}
