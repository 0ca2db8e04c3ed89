#pragma once
#include "tests/support/TestFolder.h"

#include <QString>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// A private registry hive for one test, with the built Tarnhold library registered in it, as
// the README's run command registers it for a user.
class PrivateRegistry
{
public:
    PrivateRegistry();
    ~PrivateRegistry();
    PrivateRegistry(const PrivateRegistry&) = delete;
    PrivateRegistry& operator=(const PrivateRegistry&) = delete;

    const QString& HivePath() const { return hivePath_; }
    // Calls one of the library's exported entry points, as regsvr does; true on success.
    static bool CallEntryPoint(const char* name);

    // Raw access past the library, for arranging and inspecting what is stored.
    static void WriteValue(unsigned int root, const std::string& path, const std::string& name, unsigned int type,
                           const std::string& data);
    static void WriteDword(unsigned int root, const std::string& path, const std::string& name, uint32_t value);
    // The value's type and bytes; type 0 and no bytes when it is missing.
    static std::pair<unsigned int, std::string> ReadValue(unsigned int root, const std::string& path,
                                                          const std::string& name);
    static bool KeyExists(unsigned int root, const std::string& path);
    // The names of a key's values in the order they were created.
    static std::vector<std::string> ValueNames(unsigned int root, const std::string& path);
    // The names of a key's subkeys, sorted as the registry lists them.
    static std::vector<std::string> SubkeyNames(unsigned int root, const std::string& path);

private:
    TestFolder folder_;
    QString hivePath_;
};
