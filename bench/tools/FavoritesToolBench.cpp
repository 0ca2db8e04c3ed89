// The favorites tool on a bookmark file of 100,000 bookmarks in 5,000 folders: the parser
// alone, the import (creating every folder and shortcut file) and the export, next to plain
// file writes of the same number of files, the floor any import stands on.
#include "tools/favorites/BookmarkExport.h"
#include "tools/favorites/BookmarkImport.h"
#include "tools/favorites/BookmarkParser.h"
#include "tools/favorites/BookmarkWriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <string>

namespace
{
constexpr int TopFolders = 100;
constexpr int FoldersInEach = 49;      // 100 + 100 * 49 = 5,000 folders
constexpr int BookmarksPerFolder = 20; // 100,000 bookmarks

QTemporaryDir& Scratch()
{
    static QTemporaryDir dir;
    return dir;
}

const QByteArray& LargeFile()
{
    static const QByteArray file = [] {
        std::string text = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
                           "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
                           "<TITLE>Bookmarks</TITLE>\n<H1>Bookmarks</H1>\n<DL><p>\n";
        int number = 0;
        const auto bookmarks = [&](const std::string& indent) {
            for (int i = 0; i < BookmarksPerFolder; ++i, ++number) {
                const std::string n = std::to_string(number);
                text += indent + "<DT><A HREF=\"https://site" + std::to_string(number % 977) + ".example/page/" + n +
                        "?q=" + n + "&amp;s=1\" ADD_DATE=\"1600000000\" LAST_MODIFIED=\"1600000000\">Bookmark " + n +
                        " &amp; notes</A>\n";
            }
        };
        for (int t = 0; t < TopFolders; ++t) {
            text += "    <DT><H3 ADD_DATE=\"1600000000\">Folder " + std::to_string(t) + "</H3>\n    <DL><p>\n";
            bookmarks("        ");
            for (int s = 0; s < FoldersInEach; ++s) {
                text += "        <DT><H3>Sub " + std::to_string(s) + "</H3>\n        <DL><p>\n";
                bookmarks("            ");
                text += "        </DL><p>\n";
            }
            text += "    </DL><p>\n";
        }
        text += "</DL><p>\n";
        return QByteArray::fromStdString(text);
    }();
    return file;
}

void Parse(benchmark::State& state)
{
    size_t items = 0;
    for (auto _ : state) {
        const BookmarkFile file = ParseBookmarkFile(LargeFile());
        items = file.Items.size();
        benchmark::DoNotOptimize(items);
    }
    state.counters["items"] = static_cast<double>(items);
    state.counters["MB"] = static_cast<double>(LargeFile().size()) / 1e6;
}

// A folder holding one import, made once for the export.
const QString& ImportedOnce()
{
    static const QString path = [] {
        const QString target = Scratch().path() + QStringLiteral("/exported");
        QDir().mkpath(target);
        const DeferredSync sync(target);
        ImportBookmarks(ParseBookmarkFile(LargeFile()), target);
        return target;
    }();
    return path;
}

void Import(benchmark::State& state)
{
    const BookmarkFile file = ParseBookmarkFile(LargeFile());
    ImportReport report;
    int run = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QString target = Scratch().path() + QStringLiteral("/import-%1").arg(++run);
        QDir().mkpath(target);
        state.ResumeTiming();
        {
            const DeferredSync sync(target); // as the command does: the sync is part of the import
            report = ImportBookmarks(file, target);
        }
        state.PauseTiming();
        QDir(target).removeRecursively();
        state.ResumeTiming();
    }
    if (report.Favorites != TopFolders * (FoldersInEach + 1) * BookmarksPerFolder)
        state.SkipWithError("not every bookmark was imported");
    state.counters["favorites"] = report.Favorites;
    state.counters["folders"] = report.Folders;
}

void Export(benchmark::State& state)
{
    const QString folder = ImportedOnce();
    ExportReport report;
    size_t bytes = 0;
    for (auto _ : state) {
        bytes = 0;
        BookmarkWriter writer([&](std::string_view piece) {
            bytes += piece.size();
            return true;
        });
        report = ExportFavorites(folder, QStringLiteral("Favorites"), writer);
        writer.End();
    }
    if (report.Favorites != TopFolders * (FoldersInEach + 1) * BookmarksPerFolder || !report.Skipped.isEmpty())
        state.SkipWithError("not every favorite was exported");
    state.counters["favorites"] = report.Favorites;
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
}

// The same folders and files written plainly: open, write, close, no sync.
void PlainFileWrites(benchmark::State& state)
{
    const QByteArray body = "[InternetShortcut]\r\nURL=https://site1.example/page/1?q=1&s=1\r\n";
    int run = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QString root = Scratch().path() + QStringLiteral("/plain-%1").arg(++run);
        state.ResumeTiming();
        for (int t = 0; t < TopFolders * (FoldersInEach + 1); ++t) {
            const QString folder = root + QStringLiteral("/%1/%2").arg(t / (FoldersInEach + 1)).arg(t);
            QDir().mkpath(folder);
            for (int i = 0; i < BookmarksPerFolder; ++i) {
                QFile file(folder + QStringLiteral("/Bookmark %1.url").arg(i));
                file.open(QIODevice::WriteOnly);
                file.write(body);
            }
        }
        state.PauseTiming();
        QDir(root).removeRecursively();
        state.ResumeTiming();
    }
}
} // namespace

BENCHMARK(Parse)->Unit(benchmark::kMillisecond);
BENCHMARK(PlainFileWrites)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(Import)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(Export)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
