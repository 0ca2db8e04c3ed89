#pragma once
#include "platform/win32/WinTypes.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// The registry's store: one SQLite file per user holding the predefined roots, their keys
// and values. Names and data cross this interface as ANSI bytes; the file keeps names and
// string data as text so it can be read with ordinary tools.
namespace hive
{

// A key's row in the hive. Ids are never reused, so a stale id finds nothing.
using KeyId = int64_t;

// One value as stored.
struct StoredValue
{
    std::string Name;
    win32::DWORD Type = 0;
    std::string Data;
};

// One subkey as enumerated.
struct StoredKey
{
    std::string Name;
    uint64_t LastWriteTime = 0;
};

// What RegQueryInfoKeyA reports about a key. Lengths are in bytes, without terminators.
struct KeyInfo
{
    win32::DWORD SubKeys = 0;
    win32::DWORD MaxSubKeyLen = 0;
    win32::DWORD Values = 0;
    win32::DWORD MaxValueNameLen = 0;
    win32::DWORD MaxValueLen = 0;
    uint64_t LastWriteTime = 0;
};

// An open hive file. Every operation is one transaction, so several processes can share the
// file: a writer waits for another (up to BusyTimeoutMs) instead of failing or losing data.
// Operations return the registry's status codes.
class Hive
{
public:
    static constexpr int BusyTimeoutMs = 15000;
    // Stored in the file's header: which program owns the file, and the layout's version.
    static constexpr int32_t ApplicationId = 0x53544D48;
    static constexpr int32_t SchemaVersion = 1;

    ~Hive();
    Hive(const Hive&) = delete;
    Hive& operator=(const Hive&) = delete;

    // Opens the hive file at path. A missing (or empty) file becomes a new hive, seeded with
    // the Favorites folder. A file that is not a hive, or one of a newer layout, is left as it
    // is: the result is null, status ERROR_BADDB and error says what is wrong.
    static std::unique_ptr<Hive> Open(const std::string& path, win32::LONG& status, std::string& error);

    const std::string& Path() const { return path_; }

    // The key of a predefined root (HKEY_CLASSES_ROOT .. HKEY_DYN_DATA).
    static bool IsRoot(win32::HKEY key);
    static KeyId RootKey(win32::HKEY root);

    // Finds the key at path below from.
    win32::LONG FindKey(KeyId from, const std::vector<std::string>& path, KeyId& found);
    // Finds or creates the key at path below from, with every missing key on the way. When
    // mayCreate is false and a key is missing, nothing changes and the result is
    // ERROR_ACCESS_DENIED.
    win32::LONG CreateKey(KeyId from, const std::vector<std::string>& path, bool mayCreate, KeyId& found,
                          bool& created);
    // Deletes the key at path below from (from itself when path is empty), with its values.
    // A predefined root or a key with subkeys is refused with ERROR_ACCESS_DENIED.
    win32::LONG DeleteKey(KeyId from, const std::vector<std::string>& path);

    win32::LONG GetValue(KeyId key, std::string_view name, StoredValue& value);
    // Creates the value, or replaces the type and data of an existing one in its place.
    win32::LONG SetValue(KeyId key, std::string_view name, win32::DWORD type, std::string_view data);
    win32::LONG DeleteValue(KeyId key, std::string_view name);
    // The value at index in creation order; ERROR_NO_MORE_ITEMS past the last.
    win32::LONG ValueAt(KeyId key, win32::DWORD index, StoredValue& value);
    // The subkey at index in name order (case-insensitive); ERROR_NO_MORE_ITEMS past the last.
    win32::LONG SubKeyAt(KeyId key, win32::DWORD index, StoredKey& subkey);
    win32::LONG QueryInfo(KeyId key, KeyInfo& info);

private:
    class Statement;
    class Transaction;
    friend class Statement;
    friend class Transaction;

    Hive(std::string path, sqlite3* db);
    win32::LONG Prepare(std::string& error);
    void CreateSchema();
    sqlite3_stmt* Prepared(const char* sql);
    void Execute(const char* sql);
    template <typename Work> win32::LONG Run(bool write, Work work);
    bool KeyExists(KeyId key);
    KeyId Child(KeyId parent, const std::string& name);
    KeyId AddKey(KeyId parent, const std::string& name);
    void Touch(KeyId key);

    std::string path_;
    sqlite3* db_;
    std::unordered_map<const char*, sqlite3_stmt*> statements_;
    std::mutex lock_;
};

} // namespace hive
