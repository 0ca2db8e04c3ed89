#include "platform/win32/ShellExecute.h"

#include "tests/support/ScopedVariable.h"
#include "tests/support/TestFolder.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

namespace
{
std::string Local(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

class RecordedShell : public ::testing::Test
{
protected:
    RecordedShell()
    {
        win32::RecordShellRequests(true);
        win32::ClearShellRequests();
    }
    ~RecordedShell() override
    {
        win32::RecordShellRequests(false);
        win32::ClearShellRequests();
    }
    TestFolder Dir;
};

// A stand-in opener on PATH that writes the arguments and working folder it got into a
// file, so the real start of a process can be watched without a desktop.
class FakeOpener : public ::testing::Test
{
protected:
    FakeOpener() { win32::RecordShellRequests(false); }

    // Installs the opener; false when scripts cannot be run from the test folder.
    bool Install()
    {
        // Written to a temporary name and renamed, so the test never reads half a file.
        const QByteArray tmp = QFile::encodeName(Output.Sub(QStringLiteral("tmp")));
        const QByteArray args = QFile::encodeName(Output.Sub(QStringLiteral("args")));
        const QString script =
            Bin.WriteFile(QStringLiteral("xdg-open"), "#!/bin/sh\n{ echo \"$#\"; printf '%s\\n' \"$1\"; pwd; } > \"" +
                                                          tmp + "\"\nmv \"" + tmp + "\" \"" + args + "\"\n");
        chmod(QFile::encodeName(script).constData(), 0755);
        setenv("PATH", (Local(Bin.Path()) + ":" + SavedPath).c_str(), 1);
        return access(QFile::encodeName(script).constData(), X_OK) == 0;
    }

    // What the opener wrote, once it has run.
    QByteArray WaitForArguments()
    {
        const QDeadlineTimer deadline(10000);
        while (!deadline.hasExpired()) {
            if (QFileInfo::exists(Output.Sub(QStringLiteral("args"))))
                return Output.ReadFile(QStringLiteral("args"));
            QThread::msleep(10);
        }
        return {};
    }

    TestFolder Bin;
    TestFolder Output;
    TestFolder Work;
    // Whatever a test sets PATH to is put back.
    const std::string SavedPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    const ScopedVariable Path{"PATH", SavedPath.c_str()};
};
} // namespace

// What starts is recorded as given; programs are refused.
TEST_F(RecordedShell, AddressesDocumentsAndFoldersOpenButProgramsAreRefused)
{
    const QString program = Dir.WriteFile(QStringLiteral("run me"), "#!/bin/sh\n");
    chmod(QFile::encodeName(program).constData(), 0755);
    const QString document = Dir.WriteFile(QStringLiteral("Strandmoor.chm"), "help");
    const QString entry = Dir.WriteFile(QStringLiteral("app.DESKTOP"), "[Desktop Entry]\n");
    const std::string folder = Local(Dir.Path());

    // The operation, file and working folder asked for, and the answer.
    // clang-format off
    const std::tuple<std::string, std::string, std::string, win32::HINSTANCE> cases[] = {
        {"", "http://example.test/a?b=1&c=\xe9", "", win32::ShellExecuteStarted},
        {"", Local(document), "", win32::ShellExecuteStarted},
        {"open", "file://" + Local(document), "", win32::ShellExecuteStarted},
        {"OPEN", folder, "", win32::ShellExecuteStarted},
        {"", "mailto:someone@example.test", "", win32::ShellExecuteStarted},
        {"", Local(program), "", win32::SE_ERR_ACCESSDENIED},
        {"", "file://" + folder + "/run%20me", "", win32::SE_ERR_ACCESSDENIED},
        {"", "FILE://localhost" + folder + "/run%20me?x#y", "", win32::SE_ERR_ACCESSDENIED},
        {"", "file:" + folder + "/run me", "", win32::SE_ERR_ACCESSDENIED},
        {"", "run me", folder, win32::SE_ERR_ACCESSDENIED}, {"", Local(entry), "", win32::SE_ERR_ACCESSDENIED},
        {"", "--help", "", win32::SE_ERR_ACCESSDENIED}, {"", "", "", win32::SE_ERR_FNF},
        {"print", Local(document), "", win32::SE_ERR_NOASSOC},
    };
    // clang-format on
    size_t started = 0;
    for (const auto& [operation, file, directory, expected] : cases) {
        const win32::HINSTANCE result =
            win32::ShellExecuteA(0, operation.empty() ? nullptr : operation.c_str(), file.c_str(), nullptr,
                                 directory.empty() ? nullptr : directory.c_str(), win32::SW_SHOWNORMAL);
        EXPECT_EQ(result, expected) << file;
        if (result > 32)
            ++started;
    }
    ASSERT_EQ(win32::ShellRequests().size(), started);
    const win32::ShellRequest& request = win32::ShellRequests()[0];
    EXPECT_EQ(request.Operation, "");
    EXPECT_EQ(request.File, "http://example.test/a?b=1&c=\xe9");
    EXPECT_EQ(request.Parameters, "");
    EXPECT_EQ(request.Directory, "");
    EXPECT_EQ(request.ShowCmd, win32::SW_SHOWNORMAL);
    EXPECT_EQ(win32::ShellExecuteA(0, nullptr, nullptr, nullptr, nullptr, win32::SW_SHOWNORMAL), win32::SE_ERR_FNF);
}

TEST_F(FakeOpener, TheOpenerGetsTheAddressAsOneArgumentWithoutAShell)
{
    if (!Install())
        GTEST_SKIP() << "scripts cannot run from the temporary folder";
    // The address is given in the ANSI code page and arrives as UTF-8.
    const std::string address = "http://caf\xe9.test/?a=1;touch pwned&b=$(id) `id` \"q\" 'r'";
    const QByteArray arrived = "http://caf\xc3\xa9.test/?a=1;touch pwned&b=$(id) `id` \"q\" 'r'";
    const std::string folder = Local(Work.Path());

    const win32::HINSTANCE result =
        win32::ShellExecuteA(0, nullptr, address.c_str(), "ignored", folder.c_str(), win32::SW_SHOWNORMAL);

    EXPECT_GT(result, 32);
    const QByteArray written = WaitForArguments();
    EXPECT_EQ(written, "1\n" + arrived + "\n" + QFile::encodeName(Work.Path()) + "\n");
    EXPECT_FALSE(QFileInfo::exists(Work.Sub(QStringLiteral("pwned"))));
}

TEST_F(FakeOpener, WithoutAnOpenerNothingStarts)
{
    setenv("PATH", Local(Bin.Path()).c_str(), 1);
    EXPECT_EQ(win32::ShellExecuteA(0, nullptr, "http://example.test/", nullptr, nullptr, win32::SW_SHOWNORMAL),
              win32::SE_ERR_NOASSOC);
}
