#include "platform/hive/Hive.h"

#include "platform/hive/HiveLocation.h"
#include "platform/hive/KeyName.h"
#include "platform/win32/AnsiCodePage.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fcntl.h>
#include <new>
#include <sqlite3.h>
#include <unistd.h>

namespace hive
{

using namespace win32;

namespace
{
// A failed SQLite call, carried to the operation's boundary and turned into a status there.
struct Failure
{
    int Code;
    std::string Message;
};

constexpr KeyId FirstRootId = 1;
constexpr KeyId LastRootId = FirstRootId + (HKEY_DYN_DATA - HKEY_CLASSES_ROOT);

constexpr const char* RootNames[] = {
    "HKEY_CLASSES_ROOT",     "HKEY_CURRENT_USER",   "HKEY_LOCAL_MACHINE", "HKEY_USERS",
    "HKEY_PERFORMANCE_DATA", "HKEY_CURRENT_CONFIG", "HKEY_DYN_DATA",
};

// Key and value names, and the data of the string types, are kept as text; every other type
// as bytes.
bool IsTextType(DWORD type)
{
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// Now as a FILETIME: 100-nanosecond steps since 1601-01-01.
uint64_t FileTimeNow()
{
    using namespace std::chrono;
    constexpr uint64_t EpochDifference = 11644473600ull * 10000000ull;
    const auto since1970 = duration_cast<nanoseconds>(system_clock::now().time_since_epoch()).count();
    return EpochDifference + static_cast<uint64_t>(since1970 / 100);
}

bool IsRootId(KeyId key)
{
    return key >= FirstRootId && key <= LastRootId;
}

std::string Quoted(const std::string& path)
{
    return "The registry hive \"" + path + "\"";
}

LONG StatusFor(int code, bool write)
{
    switch (code) {
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return ERROR_ACCESS_DENIED;
    case SQLITE_NOMEM:
        return ERROR_OUTOFMEMORY;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_ERROR:
    case SQLITE_SCHEMA:
        return ERROR_BADDB;
    case SQLITE_TOOBIG:
        return ERROR_INVALID_PARAMETER;
    case SQLITE_CANTOPEN:
        return ERROR_CANTOPEN;
    default:
        // Busy past the time-out, a full disk, an I/O error.
        return write ? ERROR_CANTWRITE : ERROR_CANTREAD;
    }
}

const char* const CreateTables = R"sql(
CREATE TABLE reg_keys (
    id      INTEGER PRIMARY KEY AUTOINCREMENT,
    parent  INTEGER REFERENCES reg_keys(id),
    name    TEXT NOT NULL,
    fold    TEXT NOT NULL,
    written INTEGER NOT NULL DEFAULT 0
);
CREATE UNIQUE INDEX reg_keys_by_name ON reg_keys(parent, fold);
CREATE TABLE reg_values (
    id      INTEGER PRIMARY KEY,
    key     INTEGER NOT NULL REFERENCES reg_keys(id),
    name    TEXT NOT NULL,
    fold    TEXT NOT NULL,
    type    INTEGER NOT NULL,
    size    INTEGER NOT NULL,
    data    BLOB NOT NULL
);
CREATE UNIQUE INDEX reg_values_by_name ON reg_values(key, fold);
CREATE INDEX reg_values_in_order ON reg_values(key);
)sql";

const char* const SelectChild = "SELECT id FROM reg_keys WHERE parent = ?1 AND fold = ?2";
const char* const SelectKey = "SELECT parent FROM reg_keys WHERE id = ?1";
const char* const InsertKey = "INSERT INTO reg_keys(id, parent, name, fold, written) VALUES(?1, ?2, ?3, ?4, ?5)";
const char* const UpdateWritten = "UPDATE reg_keys SET written = ?2 WHERE id = ?1";
const char* const CountChildren = "SELECT count(*), coalesce(max(length(name)), 0) FROM reg_keys WHERE parent = ?1";
const char* const DeleteKeyValues = "DELETE FROM reg_values WHERE key = ?1";
const char* const DeleteKeyRow = "DELETE FROM reg_keys WHERE id = ?1";
const char* const SelectWritten = "SELECT written FROM reg_keys WHERE id = ?1";
const char* const SelectChildAt =
    "SELECT name, written, fold FROM reg_keys WHERE parent = ?1 ORDER BY fold LIMIT 1 OFFSET ?2";
const char* const SelectChildAfter =
    "SELECT name, written, fold FROM reg_keys WHERE parent = ?1 AND fold > ?2 ORDER BY fold LIMIT 1";
const char* const SelectValue = "SELECT name, type, data FROM reg_values WHERE key = ?1 AND fold = ?2";
const char* const SelectValueAt =
    "SELECT name, type, data, id FROM reg_values WHERE key = ?1 ORDER BY id LIMIT 1 OFFSET ?2";
const char* const SelectValueAfter =
    "SELECT name, type, data, id FROM reg_values WHERE key = ?1 AND id > ?2 ORDER BY id LIMIT 1";
const char* const UpsertValue =
    "INSERT INTO reg_values(key, name, fold, type, size, data) VALUES(?1, ?2, ?3, ?4, ?5, ?6) "
    "ON CONFLICT(key, fold) DO UPDATE SET type = excluded.type, size = excluded.size, data = excluded.data";
const char* const DeleteValueRow = "DELETE FROM reg_values WHERE key = ?1 AND fold = ?2";
const char* const CountValues =
    "SELECT count(*), coalesce(max(length(name)), 0), coalesce(max(size), 0) FROM reg_values WHERE key = ?1";
} // namespace

// One use of a cached prepared statement; reset when the use ends.
class Hive::Statement
{
public:
    Statement(Hive& hive, const char* sql) : db_(hive.db_), stmt_(hive.Prepared(sql)) {}
    ~Statement()
    {
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
    }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& Bind(int index, int64_t value)
    {
        Check(sqlite3_bind_int64(stmt_, index, value));
        return *this;
    }
    Statement& BindText(int index, std::string_view utf8)
    {
        Check(sqlite3_bind_text64(stmt_, index, utf8.data(), utf8.size(), SQLITE_TRANSIENT, SQLITE_UTF8));
        return *this;
    }
    Statement& BindBlob(int index, std::string_view bytes)
    {
        // A null pointer would bind NULL; an empty value is an empty blob.
        Check(sqlite3_bind_blob64(stmt_, index, bytes.empty() ? "" : bytes.data(), bytes.size(), SQLITE_TRANSIENT));
        return *this;
    }
    // True while there is a row.
    bool Step()
    {
        const int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_ROW)
            return true;
        if (rc == SQLITE_DONE)
            return false;
        throw Failure{rc, sqlite3_errmsg(db_)};
    }
    int64_t Int(int column) { return sqlite3_column_int64(stmt_, column); }
    bool IsText(int column) { return sqlite3_column_type(stmt_, column) == SQLITE_TEXT; }
    std::string Bytes(int column)
    {
        const void* data = IsText(column) ? static_cast<const void*>(sqlite3_column_text(stmt_, column))
                                          : sqlite3_column_blob(stmt_, column);
        const int size = sqlite3_column_bytes(stmt_, column);
        return data ? std::string(static_cast<const char*>(data), static_cast<size_t>(size)) : std::string();
    }
    // A name or string stored as text, back in ANSI bytes.
    std::string Ansi(int column) { return IsText(column) ? Utf8ToAnsi(Bytes(column)) : Bytes(column); }

private:
    void Check(int rc)
    {
        if (rc != SQLITE_OK)
            throw Failure{rc, sqlite3_errmsg(db_)};
    }

    sqlite3* db_;
    sqlite3_stmt* stmt_;
};

// A transaction that rolls back unless committed. A writer takes the write lock at the start,
// so two writers queue on the busy time-out instead of one failing half-way. An operation
// inside another transaction is part of that one and has nothing of its own to begin or end.
class Hive::Transaction
{
public:
    Transaction(Hive& hive, bool write) : hive_(hive), outer_(hive.nesting_ == 0)
    {
        if (outer_) {
            Step(write ? "BEGIN IMMEDIATE" : "BEGIN");
            hive_.broken_ = ERROR_SUCCESS;
            hive_.writing_ = write;
            ++hive_.transactions_;
            hive_.touched_.clear();
        }
        ++hive_.nesting_;
    }
    ~Transaction()
    {
        --hive_.nesting_;
        if (outer_ && !done_)
            sqlite3_exec(hive_.db_, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // Commits the transaction; inside another one, leaves that to the outer one. An operation
    // inside that the file itself failed (a full disk, an I/O error) may be half done, so then
    // nothing is committed, whatever the outer work made of the failure.
    LONG Commit()
    {
        if (!outer_)
            return ERROR_SUCCESS;
        if (hive_.broken_ != ERROR_SUCCESS)
            return hive_.broken_;
        Step("COMMIT");
        done_ = true;
        return ERROR_SUCCESS;
    }

private:
    // Prepared once: an operation's own work is often no more than one lookup.
    void Step(const char* sql) { Statement(hive_, sql).Step(); }

    Hive& hive_;
    const bool outer_;
    bool done_ = false;
};

Hive::Hive(std::string path, sqlite3* db) : path_(std::move(path)), db_(db) {}

Hive::~Hive()
{
    for (auto& [sql, stmt] : statements_)
        sqlite3_finalize(stmt);
    sqlite3_close_v2(db_);
}

std::unique_ptr<Hive> Hive::Open(const std::string& path, LONG& status, std::string& error)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::file_status existing = fs::status(path, ec);
    if (fs::is_directory(existing)) {
        error = Quoted(path) + " cannot be opened: it is a folder.";
        status = ERROR_CANTOPEN;
        return nullptr;
    }
    if (!fs::exists(existing)) {
        status = MakeNewHive(path, error);
        if (status != ERROR_SUCCESS)
            return nullptr;
    } else if (fs::is_regular_file(existing) && fs::file_size(path, ec) == 0 && !ec) {
        // A new hive is never empty (see MakeNewHive): an empty file is a hive that lost its
        // contents, and making it new would lose the rest (the library's registration) unseen.
        error = Quoted(path) + " is empty (0 bytes) and cannot be used; it was left as it is. Delete the file to " +
                "start afresh with a new hive.";
        status = ERROR_BADDB;
        return nullptr;
    }
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        error = Quoted(path) + " cannot be opened: " + (db ? sqlite3_errmsg(db) : "out of memory") + ".";
        sqlite3_close_v2(db);
        status = ERROR_CANTOPEN;
        return nullptr;
    }
    std::unique_ptr<Hive> hive(new Hive(path, db));
    status = hive->Prepare(error);
    if (status != ERROR_SUCCESS)
        return nullptr;
    return hive;
}

// Makes a new hive whole in a file of its own beside path, then links it into place without
// replacing anything. So no process ever opens a half-made hive, and when several make it at
// once one of them wins and the others open the winner's file.
LONG Hive::MakeNewHive(const std::string& path, std::string& error)
{
    namespace fs = std::filesystem;
    static std::atomic<unsigned> made{0};
    std::error_code ec;
    const fs::path folder = fs::path(path).parent_path();
    if (!folder.empty())
        fs::create_directories(folder, ec);
    const std::string temporary = path + ".new-" + std::to_string(getpid()) + "-" + std::to_string(made++);
    const auto failed = [&](const std::string& why) {
        error = Quoted(path) + " cannot be created: " + why + ".";
        std::remove(temporary.c_str());
        return ERROR_CANTOPEN;
    };
    {
        sqlite3* db = nullptr;
        const int rc = sqlite3_open_v2(temporary.c_str(), &db,
                                       SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX, nullptr);
        Hive fresh(temporary, db);
        if (rc != SQLITE_OK)
            return failed(db ? sqlite3_errmsg(db) : "out of memory");
        try {
            // Write-ahead logging lets readers go on while another process writes; the mode is
            // kept in the file.
            fresh.Execute("PRAGMA journal_mode=WAL");
            Transaction creation(fresh, true);
            fresh.CreateSchema();
            creation.Commit();
        } catch (const Failure& failure) {
            return failed(failure.Message);
        }
    }
    bool linked = link(temporary.c_str(), path.c_str()) == 0;
    const int linkError = linked ? 0 : errno;
    if (!linked && linkError != EEXIST) {
        // A file system without hard links: put the file in place only while nothing is there.
        linked = renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0;
        if (!linked && errno != EEXIST)
            return failed(std::strerror(linkError));
    }
    std::remove(temporary.c_str());
    if (linked) {
        // The registry names the Favorites folder; make sure it exists, as a new profile does.
        const std::string home = HomeFolder();
        if (!home.empty())
            fs::create_directories(home + "/Favorites", ec);
    }
    return ERROR_SUCCESS;
}

// Checks that the file is a sound hive of a layout this program knows. Nothing is written to a
// file that turns out not to be one.
LONG Hive::Prepare(std::string& error)
{
    sqlite3_busy_timeout(db_, BusyTimeoutMs);
    const std::string quoted = Quoted(path_);
    try {
        Statement application(*this, "PRAGMA application_id");
        const int64_t applicationId = application.Step() ? application.Int(0) : 0;
        Statement version(*this, "PRAGMA user_version");
        const int64_t layout = version.Step() ? version.Int(0) : 0;
        if (applicationId != ApplicationId || layout < 1) {
            error = quoted + " is not a registry hive; it was left as it is.";
            return ERROR_BADDB;
        }
        if (layout > SchemaVersion) {
            error = quoted + " was written by a newer version of Strandmoor (layout " + std::to_string(layout) +
                    "; this version reads layout " + std::to_string(SchemaVersion) + "); it was left as it is.";
            return ERROR_BADDB;
        }
        const LONG soundness = CheckIntegrity();
        if (soundness != ERROR_SUCCESS) {
            error = damage_.empty() ? quoted + " cannot be read; it was left as it is." : damage_;
            return soundness == ERROR_BADDB ? ERROR_BADDB : ERROR_CANTOPEN;
        }
        Execute("PRAGMA synchronous=NORMAL");
        return ERROR_SUCCESS;
    } catch (const Failure& failure) {
        switch (failure.Code) {
        case SQLITE_NOTADB:
            error = quoted + " is not a registry hive; it was left as it is.";
            return ERROR_BADDB;
        case SQLITE_CORRUPT:
            error = quoted + " is damaged (" + failure.Message + "); it was left as it is.";
            return ERROR_BADDB;
        default:
            error = quoted + " cannot be opened: " + failure.Message + ".";
            return StatusFor(failure.Code, false) == ERROR_ACCESS_DENIED ? ERROR_ACCESS_DENIED : ERROR_CANTOPEN;
        }
    } catch (const std::bad_alloc&) {
        error = quoted + " cannot be opened: out of memory.";
        return ERROR_OUTOFMEMORY;
    }
}

LONG Hive::CheckIntegrity()
{
    return Run(false, [&] {
        // The first problem found is enough to say the file is damaged.
        Statement check(*this, "PRAGMA quick_check(1)");
        const std::string verdict = check.Step() ? check.Bytes(0) : std::string("no verdict");
        if (verdict == "ok")
            return ERROR_SUCCESS;
        NoteDamage(verdict);
        return ERROR_BADDB;
    });
}

void Hive::NoteDamage(const std::string& detail)
{
    if (damage_.empty())
        damage_ = Quoted(path_) + " is damaged (" + detail + "); it was left as it is.";
}

std::string Hive::Damage()
{
    std::lock_guard guard(lock_);
    return damage_;
}

LONG Hive::RunAsOne(bool write, const std::function<LONG()>& work)
{
    return Run(write, work);
}

// Lays out a new hive: the tables, the predefined roots and the value that tells the program
// where the user's Favorites folder is.
void Hive::CreateSchema()
{
    Execute(CreateTables);
    const uint64_t now = FileTimeNow();
    for (KeyId id = FirstRootId; id <= LastRootId; ++id) {
        const std::string name = RootNames[id - FirstRootId];
        Statement insert(*this, InsertKey);
        insert.Bind(1, id).BindText(3, name).BindText(4, name).Bind(5, static_cast<int64_t>(now));
        insert.Step();
    }
    Execute(("PRAGMA application_id = " + std::to_string(ApplicationId)).c_str());
    Execute(("PRAGMA user_version = " + std::to_string(SchemaVersion)).c_str());

    const std::string home = HomeFolder();
    if (home.empty())
        return;
    KeyId key = RootKey(HKEY_CURRENT_USER);
    for (const char* part : {"Software", "Microsoft", "Windows", "CurrentVersion", "Explorer", "Shell Folders"})
        key = AddKey(key, part);
    std::string data = Utf8ToAnsi(home + "/Favorites");
    data.push_back('\0');
    Statement insert(*this, UpsertValue);
    insert.Bind(1, key).BindText(2, "Favorites").BindText(3, FoldName("Favorites")).Bind(4, REG_SZ);
    insert.Bind(5, static_cast<int64_t>(data.size())).BindText(6, AnsiToUtf8(data));
    insert.Step();
}

sqlite3_stmt* Hive::Prepared(const char* sql)
{
    const auto found = statements_.find(sql);
    if (found != statements_.end())
        return found->second;
    sqlite3_stmt* stmt = nullptr;
    const int rc = sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
    if (rc != SQLITE_OK)
        throw Failure{rc, sqlite3_errmsg(db_)};
    statements_.emplace(sql, stmt);
    return stmt;
}

void Hive::Execute(const char* sql)
{
    const int rc = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        throw Failure{rc, sqlite3_errmsg(db_)};
}

// Runs one operation as one transaction; only a successful operation is committed. Nothing is
// written into a hive found damaged.
template <typename Work> LONG Hive::Run(bool write, Work work)
{
    std::lock_guard guard(lock_);
    if (write && !damage_.empty())
        return ERROR_BADDB;
    try {
        if (write)
            ++changes_;
        Transaction transaction(*this, write);
        const LONG status = work();
        return status == ERROR_SUCCESS ? transaction.Commit() : status;
    } catch (const Failure& failure) {
        if (failure.Code == SQLITE_CORRUPT || failure.Code == SQLITE_NOTADB)
            NoteDamage(failure.Message);
        const LONG status = StatusFor(failure.Code, write);
        if (nesting_ > 0)
            broken_ = status;
        return status;
    } catch (const std::bad_alloc&) {
        return ERROR_OUTOFMEMORY;
    }
}

bool Hive::IsRoot(HKEY key)
{
    return key >= HKEY_CLASSES_ROOT && key <= HKEY_DYN_DATA;
}

KeyId Hive::RootKey(HKEY root)
{
    return FirstRootId + static_cast<KeyId>(root - HKEY_CLASSES_ROOT);
}

bool Hive::KeyExists(KeyId key)
{
    Statement select(*this, SelectKey);
    select.Bind(1, key);
    return select.Step();
}

// The status for something not found in key: status, or ERROR_KEY_DELETED when the key itself is
// gone. Asked only when a lookup finds nothing, since a key that has something in it exists.
LONG Hive::Missing(KeyId key, LONG status)
{
    return KeyExists(key) ? status : ERROR_KEY_DELETED;
}

KeyId Hive::Child(KeyId parent, const std::string& name)
{
    Statement select(*this, SelectChild);
    select.Bind(1, parent).BindText(2, AnsiToUtf8(FoldName(name)));
    return select.Step() ? select.Int(0) : 0;
}

KeyId Hive::AddKey(KeyId parent, const std::string& name)
{
    Statement insert(*this, InsertKey);
    insert.Bind(2, parent).BindText(3, AnsiToUtf8(name)).BindText(4, AnsiToUtf8(FoldName(name)));
    insert.Bind(5, static_cast<int64_t>(FileTimeNow()));
    insert.Step();
    Touch(parent);
    const KeyId added = sqlite3_last_insert_rowid(db_);
    touched_.insert(added);
    return added;
}

// Marks a key as written now. A transaction marks each key once, when it first changes it, so a
// file of 100,000 keys under one parent does not rewrite that parent 100,000 times.
void Hive::Touch(KeyId key)
{
    if (!touched_.insert(key).second)
        return;
    Statement update(*this, UpdateWritten);
    update.Bind(1, key).Bind(2, static_cast<int64_t>(FileTimeNow()));
    update.Step();
}

// How many levels below its root a key lies, counted no further than one past the limit.
size_t Hive::Depth(KeyId key)
{
    size_t depth = 0;
    for (; key != 0 && !IsRootId(key) && depth <= MaxKeyDepth; ++depth) {
        Statement parent(*this, SelectKey);
        parent.Bind(1, key);
        key = parent.Step() ? parent.Int(0) : 0;
    }
    return depth;
}

// The cursor of key's listing: its own when it has one, else the one used longest ago.
Hive::Cursor& Hive::CursorOf(std::vector<Cursor>& cursors, KeyId key)
{
    Cursor* chosen = nullptr;
    for (Cursor& cursor : cursors) {
        if (cursor.Key == key) {
            chosen = &cursor;
            break;
        }
        if (!chosen || cursor.Used < chosen->Used)
            chosen = &cursor;
    }
    if (!chosen || (chosen->Key != key && cursors.size() < CursorsKept))
        chosen = &cursors.emplace_back();
    chosen->Used = ++cursorUses_;
    return *chosen;
}

// Whether index is the one after where cursor stopped in key, with nothing changed since, by
// this process or another. Inside a longer transaction no other process's change can show.
bool Hive::Continues(Cursor& cursor, KeyId key, DWORD index)
{
    // A listing inside a longer transaction continues only within that transaction.
    int64_t now = -static_cast<int64_t>(transactions_);
    if (nesting_ == 1) {
        Statement version(*this, "PRAGMA data_version");
        now = version.Step() ? version.Int(0) : -1;
    }
    const bool continues =
        cursor.Key == key && index > 0 && cursor.Index == index - 1 && cursor.Version == now && cursor.Changes == changes_;
    cursor.Key = key;
    cursor.Index = index;
    cursor.Version = now;
    cursor.Changes = changes_;
    return continues;
}

LONG Hive::FindKey(KeyId from, const std::vector<std::string>& path, KeyId& found)
{
    return Run(false, [&] {
        if (path.empty() && !KeyExists(from))
            return ERROR_KEY_DELETED;
        KeyId key = from;
        for (const std::string& part : path) {
            key = Child(key, part);
            if (key == 0)
                return Missing(from, ERROR_FILE_NOT_FOUND);
        }
        found = key;
        return ERROR_SUCCESS;
    });
}

LONG Hive::CreateKey(KeyId from, const std::vector<std::string>& path, bool mayCreate, KeyId& found, bool& created)
{
    std::lock_guard guard(lock_);
    created = false;
    // Most calls open a key that exists; outside a writing transaction they need no write lock.
    if (nesting_ == 0 || !writing_) {
        const LONG existing = FindKey(from, path, found);
        if (existing != ERROR_FILE_NOT_FOUND)
            return existing;
    }
    return Run(true, [&] {
        KeyId key = from;
        bool added = false;
        for (const std::string& part : path) {
            const KeyId child = added ? 0 : Child(key, part);
            if (child != 0) {
                key = child;
                continue;
            }
            // A key that has a child exists; one about to get its first must be checked.
            if (key == from && !KeyExists(from))
                return ERROR_KEY_DELETED;
            if (!mayCreate)
                return ERROR_ACCESS_DENIED;
            if (!added && Depth(from) + path.size() > MaxKeyDepth)
                return ERROR_BADKEY;
            key = AddKey(key, part);
            added = true;
        }
        if (path.empty() && !KeyExists(from))
            return ERROR_KEY_DELETED;
        found = key;
        created = added;
        return ERROR_SUCCESS;
    });
}

LONG Hive::DeleteKey(KeyId from, const std::vector<std::string>& path)
{
    return Run(true, [&] {
        KeyId parentId = 0;
        KeyId key = from;
        for (const std::string& part : path) {
            parentId = key;
            key = Child(key, part);
            if (key == 0)
                return Missing(from, ERROR_FILE_NOT_FOUND);
        }
        if (path.empty()) {
            Statement parent(*this, SelectKey);
            parent.Bind(1, key);
            if (!parent.Step())
                return ERROR_KEY_DELETED;
            parentId = parent.Int(0);
        }
        if (IsRootId(key))
            return ERROR_ACCESS_DENIED;
        Statement children(*this, CountChildren);
        children.Bind(1, key);
        if (children.Step() && children.Int(0) > 0)
            return ERROR_ACCESS_DENIED;
        Statement values(*this, DeleteKeyValues);
        values.Bind(1, key).Step();
        Statement row(*this, DeleteKeyRow);
        row.Bind(1, key).Step();
        if (parentId != 0)
            Touch(parentId);
        return ERROR_SUCCESS;
    });
}

LONG Hive::GetValue(KeyId key, std::string_view name, StoredValue& value)
{
    return Run(false, [&] {
        Statement select(*this, SelectValue);
        select.Bind(1, key).BindText(2, AnsiToUtf8(FoldName(name)));
        if (!select.Step())
            return Missing(key, ERROR_FILE_NOT_FOUND);
        value.Name = select.Ansi(0);
        value.Type = static_cast<DWORD>(select.Int(1));
        value.Data = select.Ansi(2);
        return ERROR_SUCCESS;
    });
}

LONG Hive::SetValue(KeyId key, std::string_view name, DWORD type, std::string_view data)
{
    return Run(true, [&] {
        if (!KeyExists(key))
            return ERROR_KEY_DELETED;
        Statement upsert(*this, UpsertValue);
        upsert.Bind(1, key).BindText(2, AnsiToUtf8(name)).BindText(3, AnsiToUtf8(FoldName(name)));
        upsert.Bind(4, type).Bind(5, static_cast<int64_t>(data.size()));
        if (IsTextType(type))
            upsert.BindText(6, AnsiToUtf8(data));
        else
            upsert.BindBlob(6, data);
        upsert.Step();
        Touch(key);
        return ERROR_SUCCESS;
    });
}

LONG Hive::DeleteValue(KeyId key, std::string_view name)
{
    return Run(true, [&] {
        Statement remove(*this, DeleteValueRow);
        remove.Bind(1, key).BindText(2, AnsiToUtf8(FoldName(name)));
        remove.Step();
        if (sqlite3_changes(db_) == 0)
            return Missing(key, ERROR_FILE_NOT_FOUND);
        Touch(key);
        return ERROR_SUCCESS;
    });
}

LONG Hive::ValueAt(KeyId key, DWORD index, StoredValue& value)
{
    return Run(false, [&] {
        Cursor& cursor = CursorOf(values_, key);
        const bool next = Continues(cursor, key, index);
        Statement select(*this, next ? SelectValueAfter : SelectValueAt);
        select.Bind(1, key).Bind(2, next ? std::stoll(cursor.After) : index);
        if (!select.Step()) {
            cursor.Key = 0;
            return Missing(key, ERROR_NO_MORE_ITEMS);
        }
        value.Name = select.Ansi(0);
        value.Type = static_cast<DWORD>(select.Int(1));
        value.Data = select.Ansi(2);
        cursor.After = std::to_string(select.Int(3));
        return ERROR_SUCCESS;
    });
}

LONG Hive::SubKeyAt(KeyId key, DWORD index, StoredKey& subkey)
{
    return Run(false, [&] {
        Cursor& cursor = CursorOf(subKeys_, key);
        const bool next = Continues(cursor, key, index);
        Statement select(*this, next ? SelectChildAfter : SelectChildAt);
        select.Bind(1, key);
        if (next)
            select.BindText(2, cursor.After);
        else
            select.Bind(2, index);
        if (!select.Step()) {
            cursor.Key = 0;
            return Missing(key, ERROR_NO_MORE_ITEMS);
        }
        subkey.Name = select.Ansi(0);
        subkey.LastWriteTime = static_cast<uint64_t>(select.Int(1));
        cursor.After = select.Bytes(2);
        return ERROR_SUCCESS;
    });
}

LONG Hive::QueryInfo(KeyId key, KeyInfo& info)
{
    return Run(false, [&] {
        Statement written(*this, SelectWritten);
        written.Bind(1, key);
        if (!written.Step())
            return ERROR_KEY_DELETED;
        info.LastWriteTime = static_cast<uint64_t>(written.Int(0));
        Statement children(*this, CountChildren);
        children.Bind(1, key);
        children.Step();
        info.SubKeys = static_cast<DWORD>(children.Int(0));
        info.MaxSubKeyLen = static_cast<DWORD>(children.Int(1));
        Statement values(*this, CountValues);
        values.Bind(1, key);
        values.Step();
        info.Values = static_cast<DWORD>(values.Int(0));
        info.MaxValueNameLen = static_cast<DWORD>(values.Int(1));
        info.MaxValueLen = static_cast<DWORD>(values.Int(2));
        return ERROR_SUCCESS;
    });
}

} // namespace hive
