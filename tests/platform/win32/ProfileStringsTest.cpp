#include "platform/win32/ProfileStrings.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>

using namespace win32;

namespace
{
class ProfileStringsTest : public ::testing::Test
{
protected:
    ProfileStringsTest()
    {
        char pattern[] = "/tmp/profileXXXXXX";
        folder_ = mkdtemp(pattern);
        path_ = folder_ + "/link.url";
    }
    ~ProfileStringsTest() override { std::filesystem::remove_all(folder_); }

    void Write(const std::string& content) const
    {
        std::ofstream(path_, std::ios::binary) << content;
    }
    std::string Content() const
    {
        std::ifstream in(path_, std::ios::binary);
        std::ostringstream all;
        all << in.rdbuf();
        return all.str();
    }
    std::string Get(const char* section, const char* key, const char* fallback = "", DWORD size = 512,
                    DWORD* count = nullptr) const
    {
        std::string buffer(size, '\x7F');
        const DWORD copied = GetPrivateProfileStringA(section, key, fallback, buffer.data(), size, path_.c_str());
        if (count)
            *count = copied;
        EXPECT_LT(copied, size == 0 ? 1 : size);
        if (size > 0) {
            EXPECT_EQ(buffer[copied], '\0');
        }
        return buffer.substr(0, copied);
    }
    bool Put(const char* section, const char* key, const char* value) const
    {
        return WritePrivateProfileStringA(section, key, value, path_.c_str()) != 0;
    }

    std::string folder_;
    std::string path_;
};
} // namespace

TEST_F(ProfileStringsTest, ValuesAreFoundIgnoringCaseAndTrimmedOfBlanksAndQuotes)
{
    Write("; a comment\r\n"
          "[InternetShortcut]\r\n"
          "URL=http://example.test/a b \r\n"
          "  IconIndex  =  3  \r\n"
          "Quoted=\"  kept inside  \"\r\n"
          "Single='x'\r\n"
          "Half=\"open\r\n"
          "Empty=\r\n"
          "[orrindale]\r\n"
          "Timeout=750\r\n");
    struct Case
    {
        const char* Section;
        const char* Key;
        const char* Expected;
    };
    const Case cases[] = {
        {"InternetShortcut", "URL", "http://example.test/a b"},
        {"INTERNETSHORTCUT", "url", "http://example.test/a b"},
        {"InternetShortcut", "IconIndex", "3"},
        {"InternetShortcut", "Quoted", "  kept inside  "},
        {"InternetShortcut", "Single", "x"},
        {"InternetShortcut", "Half", "\"open"},
        {"InternetShortcut", "Empty", ""},
        {"Orrindale", "TIMEOUT", "750"},
        {"InternetShortcut", "Timeout", "default"},
        {"Missing", "URL", "default"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Get(c.Section, c.Key, "default"), c.Expected) << c.Section << "/" << c.Key;
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

TEST_F(ProfileStringsTest, AMissingFileGivesTheDefaultWithoutItsTrailingBlanks)
{
    EXPECT_EQ(Get("InternetShortcut", "URL", "fallback  "), "fallback");
    EXPECT_EQ(Get("InternetShortcut", "URL", nullptr), "");
    EXPECT_FALSE(std::filesystem::exists(path_));
}

TEST_F(ProfileStringsTest, NullKeyAndNullSectionListNames)
{
    Write("[A]\nx=1\ny=2\n[B]\nz=3\n");
    std::string buffer(64, '\x7F');
    DWORD count = GetPrivateProfileStringA("a", nullptr, "", buffer.data(), 64, path_.c_str());
    EXPECT_EQ(buffer.substr(0, count + 1), std::string("x\0y\0", 4) + std::string(1, '\0'));
    count = GetPrivateProfileStringA(nullptr, nullptr, "", buffer.data(), 64, path_.c_str());
    EXPECT_EQ(buffer.substr(0, count + 1), std::string("A\0B\0\0", 5));
    count = GetPrivateProfileStringA(nullptr, nullptr, "", buffer.data(), 3, path_.c_str());
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(buffer.substr(0, 3), std::string("A\0\0", 3));
}

TEST_F(ProfileStringsTest, WritingKeepsEveryUntouchedLineByteForByte)
{
    const std::string before = "; browser's own comment\r\n"
                               "[DEFAULT]\r\n"
                               "BASEURL=http://old.test/\r\n"
                               "\r\n"
                               "[InternetShortcut]\r\n"
                               "url = http://old.test/\r\n"
                               "IconIndex=0\r\n"
                               "\r\n"
                               "[Other]\n"
                               "tabs\t=\tkept\n";
    Write(before);
    ASSERT_TRUE(Put("InternetShortcut", "URL", "http://new.test/"));
    std::string expected = before;
    expected.replace(expected.find("url = http://old.test/"), 22, "URL=http://new.test/");
    EXPECT_EQ(Content(), expected);
}

TEST_F(ProfileStringsTest, WritingCreatesTheFileTheSectionAndTheKeyAsNeeded)
{
    ASSERT_TRUE(Put("InternetShortcut", "URL", "http://a.test/"));
    EXPECT_EQ(Content(), "[InternetShortcut]\r\nURL=http://a.test/\r\n");

    ASSERT_TRUE(Put("Orrindale", "Timeout", "750"));
    ASSERT_TRUE(Put("orrindale", "Rename", "1"));
    EXPECT_EQ(Content(), "[InternetShortcut]\r\nURL=http://a.test/\r\n[Orrindale]\r\nTimeout=750\r\nRename=1\r\n");

    // A file with LF line ends and no final line end gets LF lines, and keeps its last line.
    Write("[InternetShortcut]\nURL=http://b.test/");
    ASSERT_TRUE(Put("InternetShortcut", "IconIndex", "1"));
    ASSERT_TRUE(Put("Orrindale", "Rename", "0"));
    EXPECT_EQ(Content(), "[InternetShortcut]\nURL=http://b.test/\nIconIndex=1\n[Orrindale]\nRename=0\n");
}

TEST_F(ProfileStringsTest, NewKeysGoAfterTheLastEntryOfTheirSection)
{
    Write("[Orrindale]\r\nTimeout=500\r\n\r\n[InternetShortcut]\r\nURL=x\r\n");
    ASSERT_TRUE(Put("Orrindale", "Rename", "1"));
    EXPECT_EQ(Content(), "[Orrindale]\r\nTimeout=500\r\nRename=1\r\n\r\n[InternetShortcut]\r\nURL=x\r\n");
}

TEST_F(ProfileStringsTest, NullValueRemovesTheKeyAndNullKeyTheWholeSection)
{
    Write("[InternetShortcut]\r\nURL=x\r\n[Orrindale]\r\nTimeout=500\r\nRename=1\r\n[Last]\r\nk=v\r\n");
    ASSERT_TRUE(Put("Orrindale", "Rename", nullptr));
    EXPECT_EQ(Content(), "[InternetShortcut]\r\nURL=x\r\n[Orrindale]\r\nTimeout=500\r\n[Last]\r\nk=v\r\n");
    ASSERT_TRUE(Put("ORRINDALE", nullptr, nullptr));
    EXPECT_EQ(Content(), "[InternetShortcut]\r\nURL=x\r\n[Last]\r\nk=v\r\n");
    EXPECT_EQ(Get("Orrindale", "Timeout", "global"), "global");
    // Removing what is not there changes nothing and creates nothing.
    ASSERT_TRUE(Put("Orrindale", nullptr, nullptr));
    EXPECT_EQ(Content(), "[InternetShortcut]\r\nURL=x\r\n[Last]\r\nk=v\r\n");
    std::filesystem::remove(path_);
    EXPECT_TRUE(Put("Orrindale", nullptr, nullptr));
    EXPECT_FALSE(std::filesystem::exists(path_));
}

TEST_F(ProfileStringsTest, LineBreaksInWhatIsWrittenAreRefusedAndTheFileStaysAsItWas)
{
    const std::string before = "[InternetShortcut]\r\nURL=http://safe.test/\r\n";
    Write(before);
    EXPECT_FALSE(Put("InternetShortcut", "URL", "http://evil.test/\r\n[Orrindale]\r\nRename=1"));
    EXPECT_FALSE(Put("InternetShortcut", "URL\nX", "1"));
    EXPECT_FALSE(Put("Internet\rShortcut", "URL", "1"));
    EXPECT_EQ(Content(), before);
}

TEST_F(ProfileStringsTest, AFailedWriteLeavesTheFileAsItWasAndNoTemporaryBehind)
{
    const std::string before = "[InternetShortcut]\r\nURL=http://safe.test/\r\n";
    Write(before);
    EXPECT_FALSE(WritePrivateProfileStringA("InternetShortcut", "URL", "x", (folder_ + "/no/such/file.url").c_str()));
    // A folder that cannot take the temporary file: the write fails as a whole. (Root ignores
    // permissions, so a missing file system entry stands in for a full or read-only disk.)
    std::filesystem::remove_all(folder_);
    EXPECT_FALSE(Put("InternetShortcut", "URL", "x"));
    std::filesystem::create_directories(folder_);
    Write(before);
    ASSERT_TRUE(Put("InternetShortcut", "URL", "http://new.test/"));
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder_))
        ++entries;
    EXPECT_EQ(entries, 1);
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
