#pragma once
#include "app/favorites/FavoritesTree.h"
#include "app/settings/AppSettings.h"
#include "app/window/frmMain.h"
#include "platform/controls/TreeView.h"
#include "platform/desktop/Application.h"
#include "platform/desktop/MessageBox.h"
#include "platform/win32/ShellExecute.h"
#include "tests/support/TestFolder.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>
#include <sys/stat.h>

// A main window over a Favorites folder of the test's own, with message boxes and shell
// requests recorded instead of shown or carried out.
class MainWindowFixture : public ::testing::Test
{
protected:
    MainWindowFixture()
    {
        desktop::App::SetPath(Program.Path());
        desktop::ClearShownMessages();
        win32::RecordShellRequests(true);
        win32::ClearShellRequests();
        AppSettings.Timeout = 1000;
        Main.Favorites.FavoritesPath = Favorites.Path();
        Main.Favorites.FolderCount = 1;
    }
    ~MainWindowFixture() override
    {
        win32::RecordShellRequests(false);
        win32::ClearShellRequests();
        AppSettings = ApplicationSettings{};
        desktop::ClearShownMessages();
        desktop::App::SetPath(QString());
    }

    void Load()
    {
        Main.tvFolders->Nodes().Clear();
        LoadFavoritesTree(*Main.tvFolders, Main.Favorites);
    }
    TreeNodes& Nodes() { return Main.tvFolders->Nodes(); }
    TreeNode* Root() { return Nodes().Item(1); }
    // The node with this text; folders may be given by their path below the Favorites folder.
    TreeNode* Node(const QString& text)
    {
        if (TreeNode* folder = Nodes().Find(Favorites.Sub(text)))
            return folder;
        for (int i = 1; i <= Nodes().Count(); ++i) {
            if (Nodes().Item(i)->Text() == text)
                return Nodes().Item(i);
        }
        return nullptr;
    }
    void Select(const QString& text)
    {
        TreeNode* node = text.isEmpty() ? Root() : Node(text);
        ASSERT_NE(node, nullptr) << text.toStdString();
        node->SetSelected(true);
    }
    // The texts of a folder node's children, in order.
    QStringList Children(const QString& folder)
    {
        TreeNode* node = folder.isEmpty() ? Root() : Node(folder);
        QStringList texts;
        for (int i = 0; node && i < node->Children(); ++i)
            texts << node->Child(i)->Text();
        return texts;
    }
    // What is in a folder below the Favorites folder, sorted by name.
    QStringList Entries(const QString& folder = QString()) const
    {
        return QDir(folder.isEmpty() ? Favorites.Path() : Favorites.Sub(folder))
            .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name | QDir::IgnoreCase);
    }
    // The error numbers of the error boxes shown, in order.
    QList<int> ReportedErrors() const
    {
        QList<int> numbers;
        for (const auto& shown : desktop::ShownMessages()) {
            if (shown.Title.startsWith(QStringLiteral("Error ")))
                numbers << shown.Title.mid(6).toInt();
        }
        return numbers;
    }
    bool Logged() const { return QFile::exists(Program.Sub(QStringLiteral("ERROR.LOG"))); }
    static void SetMode(const QString& path, mode_t mode)
    {
        ASSERT_EQ(chmod(QFile::encodeName(path).constData(), mode), 0);
    }

    TestFolder Program;
    TestFolder Favorites;
    frmMain Main;
};
