#pragma once
#include "platform/win32/WinTypes.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
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
// Operations return the registry's status codes. Several operations can be made one
// transaction with RunAsOne.
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

    // Opens the hive file at path. A missing file becomes a new hive, seeded with the Favorites
    // folder. A file that is not a hive, an empty or damaged one, or one of a newer layout is
    // left as it is: the result is null, status ERROR_BADDB and error says what is wrong.
    static std::unique_ptr<Hive> Open(const std::string& path, win32::LONG& status, std::string& error);

    const std::string& Path() const { return path_; }
    // Why the hive is not fit for use, when damage was found in it after it was opened; empty
    // otherwise. Once damage is found every write is refused with ERROR_BADDB.
    std::string Damage();
    // Reads the whole file looking for damage (what Open does before the hive is used).
    // ERROR_SUCCESS, or ERROR_BADDB with Damage() saying what is wrong.
    win32::LONG CheckIntegrity();

    // Runs work, which may call this hive's operations (directly or through the registry
    // functions) any number of times, as one transaction: everything it changed is kept when it
    // returns ERROR_SUCCESS, nothing otherwise. Work that only reads passes write = false and
    // sees one unchanging state of the hive.
    win32::LONG RunAsOne(bool write, const std::function<win32::LONG()>& work);

    // The key of a predefined root (HKEY_CLASSES_ROOT .. HKEY_DYN_DATA).
    static bool IsRoot(win32::HKEY key);
    static KeyId RootKey(win32::HKEY root);

    // Finds the key at path below from.
    win32::LONG FindKey(KeyId from, const std::vector<std::string>& path, KeyId& found);
    // Finds or creates the key at path below from, with every missing key on the way. When
    // mayCreate is false and a key is missing, nothing changes and the result is
    // ERROR_ACCESS_DENIED; a new key deeper than MaxKeyDepth is refused with ERROR_BADKEY.
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

    // Where the last listing of a key's subkeys or values stopped: the next index continues
    // after the row it gave (After: its sort key) instead of counting every row before it again.
    // Valid while nothing in the file has changed since.
    struct Cursor
    {
        KeyId Key = 0;
        win32::DWORD Index = 0;
        std::string After;
        int64_t Version = -1;
        uint64_t Changes = 0;
        uint64_t Used = 0;
    };
    // A few keys' cursors, so a listing that lists each subkey's own subkeys as it goes (as a
    // recursive walk does) still continues where it stopped in the parent.
    static constexpr size_t CursorsKept = 32;

    Hive(std::string path, sqlite3* db);
    static win32::LONG MakeNewHive(const std::string& path, std::string& error);
    win32::LONG Prepare(std::string& error);
    void CreateSchema();
    sqlite3_stmt* Prepared(const char* sql);
    void Execute(const char* sql);
    template <typename Work> win32::LONG Run(bool write, Work work);
    void NoteDamage(const std::string& detail);
    bool KeyExists(KeyId key);
    win32::LONG Missing(KeyId key, win32::LONG status);
    KeyId Child(KeyId parent, const std::string& name);
    KeyId AddKey(KeyId parent, const std::string& name);
    void Touch(KeyId key);
    size_t Depth(KeyId key);
    Cursor& CursorOf(std::vector<Cursor>& cursors, KeyId key);
    bool Continues(Cursor& cursor, KeyId key, win32::DWORD index);

    std::string path_;
    sqlite3* db_;
    std::unordered_map<const char*, sqlite3_stmt*> statements_;
    // Recursive, so operations can run inside RunAsOne on the same thread. The connection is
    // used only under this lock, so SQLite needs no lock of its own.
    std::recursive_mutex lock_;
    int nesting_ = 0;
    bool writing_ = false;
    uint64_t transactions_ = 0;
    std::unordered_set<KeyId> touched_;
    // The failure of the file itself met inside the outer transaction, which must then not commit.
    win32::LONG broken_ = 0;
    uint64_t changes_ = 0;
    std::string damage_;
    std::vector<Cursor> subKeys_;
    std::vector<Cursor> values_;
    uint64_t cursorUses_ = 0;
};

} // namespace hive
