#include "app/checking/CheckRuns.h"
#include "app/favorites/Clipboard.h"
#include "app/favorites/LaunchLink.h"
#include "app/forms/Pictures.h"
#include "app/settings/Common.h"
#include "app/settings/frmOptions.h"
#include "platform/runtime/ErrorRecord.h"
#include "tests/app/favorites/EditFixture.h"

#include <QLineEdit>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <sys/stat.h>
#include <thread>

namespace
{
// Ends the test process when what it guards has not returned in time: a call stuck in the
// kernel cannot be ended any other way, and a hang must fail the test, not the whole run.
class Watchdog
{
public:
    explicit Watchdog(std::chrono::seconds limit)
        : thread_([this, limit] {
              std::unique_lock lock(mutex_);
              if (!done_.wait_for(lock, limit, [this] { return finished_; })) {
                  std::fputs("Watchdog: the program waited on a special file\n", stderr);
                  std::abort();
              }
          })
    {
    }
    ~Watchdog()
    {
        {
            std::lock_guard lock(mutex_);
            finished_ = true;
        }
        done_.notify_one();
        thread_.join();
    }

private:
    std::mutex mutex_;
    std::condition_variable done_;
    bool finished_ = false;
    std::thread thread_;
};

using SpecialFilesTest = EditFixture;
} // namespace

TEST_F(SpecialFilesTest, ANamedPipeOrAFolderNamedLikeAFavoriteNeverHoldsTheProgram)
{
    const QByteArray fifo = QFile::encodeName(Favorites.Sub(QStringLiteral("b-fifo.url")));
    ASSERT_EQ(mkfifo(fifo.constData(), 0600), 0);
    Favorites.MakeFolder(QStringLiteral("x.url"));
    Favorites.MakeFolder(QStringLiteral("Other"));
    const QByteArray log = QFile::encodeName(Program.Sub(QStringLiteral("ERROR.LOG")));
    ASSERT_EQ(mkfifo(log.constData(), 0600), 0);
    Load();
    const Watchdog watchdog(std::chrono::seconds(20));

    // Checked, it is a favorite without an address.
    CheckAllLinks(Main.RunHost());
    EXPECT_EQ(Node(QStringLiteral("b-fifo"))->Image(), Pictures::LinkNoReply);
    EXPECT_NE(Node(QStringLiteral("x.url")), nullptr);

    // Opened, it opens nothing; its properties show nothing and write nothing.
    Select(QStringLiteral("b-fifo"));
    LaunchLink(*Main.tvFolders);
    EXPECT_TRUE(win32::ShellRequests().empty());
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
}
