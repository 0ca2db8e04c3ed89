// Loading a large Favorites folder into the tree, next to a plain recursive walk of the same
// folder: the load should cost a small multiple of reading the directories themselves.
#include "app/favorites/FavoritesTree.h"
#include "app/window/frmMain.h"
#include "platform/controls/TreeView.h"
#include "platform/desktop/MessageBox.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <filesystem>

namespace
{
constexpr int TopFolders = 100;
constexpr int FoldersInEach = 9; // 100 + 100 * 9 = 1,000 folders
constexpr int LinksPerFolder = 10; // 10,000 links

const QString& Favorites()
{
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString root = dir.path() + QStringLiteral("/Favorites");
        const QByteArray body = "[InternetShortcut]\r\nURL=http://127.0.0.1/\r\n";
        auto fill = [&](const QString& folder) {
            QDir().mkpath(folder);
            for (int i = 0; i < LinksPerFolder; ++i) {
                QFile file(folder + QStringLiteral("/Link %1.url").arg(i));
                file.open(QIODevice::WriteOnly);
                file.write(body);
            }
        };
        for (int t = 0; t < TopFolders; ++t) {
            const QString top = root + QStringLiteral("/Folder %1").arg(t);
            fill(top);
            for (int s = 0; s < FoldersInEach; ++s)
                fill(top + QStringLiteral("/Sub %1").arg(s));
        }
        return root;
    }();
    return path;
}

void LoadIntoTree(benchmark::State& state)
{
    frmMain window;
    window.Favorites.FavoritesPath = Favorites();
    for (auto _ : state) {
        window.tvFolders->Nodes().Clear();
        window.Favorites.LinkCount = 0;
        window.Favorites.FolderCount = 1;
        LoadFavoritesTree(*window.tvFolders, window.Favorites);
        benchmark::DoNotOptimize(window.Favorites.LinkCount);
    }
    if (window.Favorites.LinkCount != TopFolders * (FoldersInEach + 1) * LinksPerFolder || window.Favorites.FolderCount != 1001)
        state.SkipWithError("the tree did not hold every link and folder");
    state.counters["links"] = window.Favorites.LinkCount;
    state.counters["folders"] = window.Favorites.FolderCount;
}

void PlainDirectoryWalk(benchmark::State& state)
{
    const std::filesystem::path root = Favorites().toStdString();
    int64_t links = 0;
    for (auto _ : state) {
        links = 0;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
            if (entry.is_regular_file() && entry.path().extension() == ".url")
                ++links;
        }
        benchmark::DoNotOptimize(links);
    }
    state.counters["links"] = static_cast<double>(links);
}
} // namespace

BENCHMARK(PlainDirectoryWalk)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadIntoTree)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    desktop::InterceptMessageBoxes(true);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
