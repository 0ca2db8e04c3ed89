#pragma once
#include "app/favorites/FavoritesTree.h"
#include "app/settings/AppSettings.h"
#include "app/window/frmMain.h"
#include "platform/controls/StatusBar.h"
#include "platform/controls/TreeView.h"
#include "platform/desktop/Application.h"
#include "platform/desktop/MessageBox.h"
#include "tests/app/checking/LoopbackServer.h"
#include "tests/support/TestFolder.h"

#include <QDirIterator>
#include <QFile>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

// A main window of the test's own for check runs to work in, with the helpers that read
// what a run left in the tree and on disk.
class RunWindowTest : public ::testing::Test
{
protected:
    RunWindowTest()
    {
        desktop::App::SetPath(Program.Path());
        desktop::ClearShownMessages();
    }
    ~RunWindowTest() override
    {
        AppSettings = ApplicationSettings{};
        desktop::App::SetPath(QString());
    }

    // Loads a Favorites folder into the window, afresh.
    void Load(const QString& folder)
    {
        Main.tvFolders->Nodes().Clear();
        Main.Favorites = FavoritesFolder{folder, 0, 1};
        LoadFavoritesTree(*Main.tvFolders, Main.Favorites);
    }
    TreeNode* Node(const QString& text) const
    {
        for (int i = 1; i <= Main.tvFolders->Nodes().Count(); ++i) {
            if (Main.tvFolders->Nodes().Item(i)->Text() == text)
                return Main.tvFolders->Nodes().Item(i);
        }
        ADD_FAILURE() << "no node " << text.toStdString();
        return nullptr;
    }
    // A link's picture, which it shows selected or not.
    int Picture(const QString& text) const
    {
        const TreeNode* node = Node(text);
        EXPECT_EQ(node->Image(), node->SelectedImage()) << text.toStdString();
        return node->Image();
    }
    // The text and picture of every node, in the tree's order.
    std::vector<std::pair<QString, int>> Nodes() const
    {
        std::vector<std::pair<QString, int>> nodes;
        const TreeNodes& all = Main.tvFolders->Nodes();
        for (int i = 1; i <= all.Count(); ++i)
            nodes.emplace_back(all.Item(i)->Text(), all.Item(i)->Image());
        return nodes;
    }
    // Every shortcut below a folder with its bytes, by its path below the folder.
    static std::map<QString, QByteArray> Files(const QString& folder)
    {
        std::map<QString, QByteArray> files;
        QDirIterator walk(folder, {QStringLiteral("*.url")}, QDir::Files, QDirIterator::Subdirectories);
        while (walk.hasNext()) {
            QFile file(walk.next());
            file.open(QIODevice::ReadOnly);
            files[file.fileName().mid(folder.size())] = file.readAll();
        }
        return files;
    }
    // The paths a server was asked for, in the order the requests came.
    static std::vector<std::string> RequestedPaths(const LoopbackServer& server)
    {
        std::vector<std::string> paths;
        for (const std::string& request : server.Requests())
            paths.push_back(LoopbackServer::RequestPath(request));
        return paths;
    }
    QString StatusText() const { return Main.sbStatus->PanelText(2); }
    void ExpectEndedInOrder() const
    {
        EXPECT_FALSE(Main.CheckRunning);
        EXPECT_TRUE(StatusText().isEmpty());
        EXPECT_TRUE(desktop::ShownMessages().isEmpty());
    }

    TestFolder Program;
    frmMain Main;
};
