#include "platform/win32/ProfileStrings.h"

#include "tests/support/TestFolder.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

using namespace win32;

namespace
{
class ProfileStringsTest : public ::testing::Test
{
protected:
    void Write(const std::string& content) const { dir.WriteFile(Name, QByteArray::fromStdString(content)); }
    std::string Content() const { return dir.ReadFile(Name).toStdString(); }
    std::string Get(const char* section, const char* key, const char* fallback = "", DWORD size = 512,
                    DWORD* count = nullptr) const
    {
        std::string buffer(size, '\x7F');
        const DWORD copied = GetPrivateProfileStringA(section, key, fallback, buffer.data(), size, path_.c_str());
        if (count)
            *count = copied;
        EXPECT_LT(copied, size);
        EXPECT_EQ(buffer[copied], '\0');
        return buffer.substr(0, copied);
    }
    bool Put(const char* section, const char* key, const char* value) const
    {
        return WritePrivateProfileStringA(section, key, value, path_.c_str()) != 0;
    }
    auto Entries() const
    {
        return std::distance(std::filesystem::directory_iterator(folder_), std::filesystem::directory_iterator());
    }

    const QString Name = QStringLiteral("link.url");
    TestFolder dir;
    const std::string folder_ = dir.Path().toStdString();
    const std::string path_ = dir.Sub(Name).toStdString();
};
} // namespace

TEST_F(ProfileStringsTest, ValuesAreFoundIgnoringCaseAndTrimmedOfBlanksAndQuotes)
{
    // Without a file, the default without its trailing blanks, and no file is made.
    EXPECT_EQ(Get("InternetShortcut", "URL", "fallback   "), "fallback");
    EXPECT_EQ(Get("InternetShortcut", "URL", nullptr), "");
    EXPECT_FALSE(std::filesystem::exists(path_));

    Write("; a comment\r\n"
          "[InternetShortcut]\r\n"
          "URL=http://example.test/a b \r\n"
          "  IconIndex  =  3  \r\n"
          "Quoted=\"  kept inside  \"\r\n"
          "Single='x'\r\n"
          "Half=\"open\r\n"
          "Quote=\"\r\n"
          "Empty=\r\n"
          "[orrindale]\r\n"
          "Timeout=750\r\n");
    // clang-format off
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"InternetShortcut", "URL", "http://example.test/a b"}, {"INTERNETSHORTCUT", "url", "http://example.test/a b"},
        {"InternetShortcut", "IconIndex", "3"}, {"InternetShortcut", "Quoted", "  kept inside  "},
        {"InternetShortcut", "Single", "x"}, {"InternetShortcut", "Half", "\"open"},
        // A lone quote is no pair of quotes.
        {"InternetShortcut", "Quote", "\""}, {"InternetShortcut", "Empty", ""}, {"Orrindale", "TIMEOUT", "750"},
        {"InternetShortcut", "Timeout", "default"}, {"Missing", "URL", "default"},
    };
    // clang-format on
    for (const auto& [section, key, expected] : cases)
        EXPECT_EQ(Get(section, key, "default"), expected) << section << "/" << key;
}

TEST_F(ProfileStringsTest, TheBufferCountsItsNulAndTheCountLeavesItOut)
{
    Write("[Orrindale]\nTimeout=12345\nRename=-1\n");
    DWORD count = 0;
    EXPECT_EQ(Get("Orrindale", "Timeout", "", 5, &count), "1234");
    EXPECT_EQ(count, 4u);
    EXPECT_EQ(Get("Orrindale", "Rename", "", 3, &count), "-1");
    EXPECT_EQ(Get("Orrindale", "Rename", "", 2, &count), "-");
    EXPECT_EQ(Get("Orrindale", "Missing", "1000", 3, &count), "10");
    EXPECT_EQ(count, 2u);
    char untouched = 'u';
    EXPECT_EQ(GetPrivateProfileStringA("Orrindale", "Timeout", "", &untouched, 0, path_.c_str()), 0u);
    EXPECT_EQ(untouched, 'u');
}

TEST_F(ProfileStringsTest, NullKeyAndNullSectionListNames)
{
    Write("[A]\nx=1\ny=2\n[B]\nz=3\n");
    std::string buffer(64, '\x7F');
    DWORD count = GetPrivateProfileStringA("a", nullptr, "", buffer.data(), 64, path_.c_str());
    EXPECT_EQ(buffer.substr(0, count + 1), std::string("x\0y\0\0", 5));
    count = GetPrivateProfileStringA(nullptr, nullptr, "", buffer.data(), 64, path_.c_str());
    EXPECT_EQ(buffer.substr(0, count + 1), std::string("A\0B\0\0", 5));
    count = GetPrivateProfileStringA(nullptr, nullptr, "", buffer.data(), 3, path_.c_str());
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(buffer.substr(0, 3), std::string("A\0\0", 3));
}

// Each write changes only the lines it must. A null "before" is no file, a null "after" none left.
TEST_F(ProfileStringsTest, WritesChangeOnlyTheirOwnLines)
{
    // The file before, the section, key and value written, and the file after.
    const std::tuple<const char*, const char*, const char*, const char*, const char*> cases[] = {
        {nullptr, "S", "k", "v", "[S]\r\nk=v\r\n"},
        {"; own\r\n[D]\r\nk=0\r\n\r\n[S]\r\nK = old\r\nj=0\r\n\r\n[T]\ntabs\t=\tkept\n", "s", "k", "new",
         "; own\r\n[D]\r\nk=0\r\n\r\n[S]\r\nk=new\r\nj=0\r\n\r\n[T]\ntabs\t=\tkept\n"},
        {"[S]\r\nk=v\r\n", "T", "j", "1", "[S]\r\nk=v\r\n[T]\r\nj=1\r\n"},
        // A new key goes after the last entry of its section, also of an empty one.
        {"[S]\r\nk=v\r\n\r\n[T]\r\nj=1\r\n", "s", "n", "2", "[S]\r\nk=v\r\nn=2\r\n\r\n[T]\r\nj=1\r\n"},
        {"[S]\r\nk=v\r\n[E]\r\n[T]\r\n", "E", "n", "2", "[S]\r\nk=v\r\n[E]\r\nn=2\r\n[T]\r\n"},
        // LF line ends are kept; a last line without one gets one before anything follows it.
        {"[S]\nk=v", "S", "n", "1", "[S]\nk=v\nn=1\n"},
        {"[S]\nk=v", "T", "n", "1", "[S]\nk=v\n[T]\nn=1\n"},
        {"[S]\r\nk=v\r\n[T]\r\nj=1\r\nn=2\r\n[U]\r\n", "T", "N", nullptr, "[S]\r\nk=v\r\n[T]\r\nj=1\r\n[U]\r\n"},
        {"[S]\r\nk=v\r\n[T]\r\nj=1\r\n[U]\r\nu=3\r\n", "t", nullptr, nullptr, "[S]\r\nk=v\r\n[U]\r\nu=3\r\n"},
        // Removing what is not there changes nothing and creates nothing.
        {"[S]\r\nk=v\r\n", "T", nullptr, nullptr, "[S]\r\nk=v\r\n"},
        {"[S]\r\nk=v\r\n", "S", "n", nullptr, "[S]\r\nk=v\r\n"},
        {nullptr, "S", nullptr, nullptr, nullptr},
        {nullptr, "S", "k", nullptr, nullptr},
    };
    for (const auto& [before, section, key, value, after] : cases) {
        SCOPED_TRACE(testing::Message() << (before ? before : "no file") << " + " << section << "/" << (key ? key : "-")
                                        << "=" << (value ? value : "-"));
        std::filesystem::remove(path_);
        if (before)
            Write(before);
        EXPECT_TRUE(Put(section, key, value));
        EXPECT_EQ(std::filesystem::exists(path_), after != nullptr);
        EXPECT_EQ(Content(), after ? after : "");
        EXPECT_EQ(Entries(), after ? 1 : 0) << "a temporary file was left behind";
    }
}

TEST_F(ProfileStringsTest, AFailedWriteLeavesTheFileAsItWasAndNoTemporaryBehind)
{
    const std::string before = "[InternetShortcut]\r\nURL=http://safe.test/\r\n";
    Write(before);
    EXPECT_FALSE(WritePrivateProfileStringA("InternetShortcut", "URL", "x", (folder_ + "/no/such/file.url").c_str()));
    // Line breaks in what is written are refused.
    EXPECT_FALSE(Put("InternetShortcut", "URL", "http://evil.test/\r\n[Orrindale]\r\nRename=1"));
    EXPECT_FALSE(Put("InternetShortcut", "URL\nX", "1"));
    EXPECT_FALSE(Put("Internet\rShortcut", "URL", "1"));
    EXPECT_EQ(Content(), before);

    // A disk that fills up half-way through the new file: the old one stays whole.
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const rlimit small{before.size(), old.rlim_max};
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = Put("InternetShortcut", "URL", "http://a.longer.address.test/");
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(written);
    EXPECT_EQ(Content(), before);
    EXPECT_EQ(Entries(), 1) << "a temporary file was left behind";

    // The temporary file is made beside the file, not in the working folder (here one that is
    // gone, so nothing can be made in it).
    const std::filesystem::path working = std::filesystem::current_path();
    const std::string gone = folder_ + "/gone";
    std::filesystem::create_directory(gone);
    ASSERT_EQ(chdir(gone.c_str()), 0);
    std::filesystem::remove(gone);
    EXPECT_TRUE(Put("InternetShortcut", "URL", "http://new.test/"));
    std::filesystem::current_path(working);
    EXPECT_EQ(Content(), "[InternetShortcut]\r\nURL=http://new.test/\r\n");

    // A folder that cannot take the temporary file: the write fails as a whole. (Root ignores
    // permissions, so a missing file system entry stands in for a read-only disk.)
    std::filesystem::remove_all(folder_);
    EXPECT_FALSE(Put("InternetShortcut", "URL", "x"));
    std::filesystem::create_directories(folder_);
}

TEST_F(ProfileStringsTest, WritesKeepTheFilesPermissionsAndGoThroughSymbolicLinks)
{
    Write("[InternetShortcut]\r\nURL=x\r\n");
    chmod(path_.c_str(), 0640);
    const std::string link = folder_ + "/alias.url";
    std::filesystem::create_symlink(path_, link);
    ASSERT_TRUE(WritePrivateProfileStringA("InternetShortcut", "URL", "y", link.c_str()));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(Content(), "[InternetShortcut]\r\nURL=y\r\n");
    struct stat info
    {
    };
    ASSERT_EQ(stat(path_.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}
