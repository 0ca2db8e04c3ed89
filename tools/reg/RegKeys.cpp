#include "tools/reg/RegKeys.h"

#include "platform/win32/Registry.h"

#include <algorithm>

namespace regtool
{

using namespace win32;

KeyHandle::~KeyHandle()
{
    Close();
}

void KeyHandle::Close()
{
    if (key_ != 0)
        RegCloseKey(key_);
    key_ = 0;
}

LONG KeyHandle::Open(const KeyPath& path, REGSAM access)
{
    return Open(path.Root, path.Sub.c_str(), access);
}

LONG KeyHandle::Open(HKEY parent, const char* subkey, REGSAM access)
{
    Close();
    return RegOpenKeyExA(parent, subkey, 0, access, &key_);
}

LONG KeyHandle::Create(const KeyPath& path)
{
    Close();
    return RegCreateKeyExA(path.Root, path.Sub.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                           &key_, nullptr);
}

LONG ReadValues(HKEY key, std::vector<KeyValue>& values)
{
    values.clear();
    // Most names and data fit these; a value that does not is read again at its own size.
    std::string name(256, '\0');
    std::string data(1024, '\0');
    for (DWORD index = 0;; ++index) {
        KeyValue value;
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD size = static_cast<DWORD>(data.size());
        LONG status = RegEnumValueA(key, index, name.data(), &nameLength, nullptr, &value.Type,
                                    reinterpret_cast<BYTE*>(data.data()), &size);
        if (status == ERROR_MORE_DATA) {
            name.resize(std::max<size_t>(name.size(), nameLength + 1));
            data.resize(std::max<size_t>(data.size(), size));
            nameLength = static_cast<DWORD>(name.size());
            size = static_cast<DWORD>(data.size());
            status = RegEnumValueA(key, index, name.data(), &nameLength, nullptr, &value.Type,
                                   reinterpret_cast<BYTE*>(data.data()), &size);
        }
        if (status == ERROR_NO_MORE_ITEMS)
            return ERROR_SUCCESS;
        if (status != ERROR_SUCCESS)
            return status;
        value.Name.assign(name, 0, nameLength);
        value.Data.assign(data, 0, size);
        values.push_back(std::move(value));
    }
}

LONG ReadSubKeys(HKEY key, std::vector<std::string>& names)
{
    names.clear();
    for (DWORD index = 0;; ++index) {
        char name[256];
        DWORD length = sizeof name;
        const LONG status = RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS)
            return ERROR_SUCCESS;
        if (status != ERROR_SUCCESS)
            return status;
        names.emplace_back(name, length);
    }
}

LONG WalkTree(const KeyPath& path, REGSAM access, bool recurse, const EnterKey& enter, const LeaveKey& leave)
{
    // One level for each key on the way down from path: its handle, its subkeys, the next one
    // to visit, and how long the full name is down to it.
    struct Level
    {
        KeyHandle Key;
        std::vector<std::string> SubKeys;
        size_t Next = 0;
        size_t NameLength = 0;
    };
    std::vector<Level> levels;
    std::string name = FullName(path);
    const auto enterKey = [&](HKEY parent, const char* subkey) {
        Level level;
        LONG status = level.Key.Open(parent, subkey, access);
        if (status == ERROR_SUCCESS)
            status = ReadSubKeys(level.Key.Get(), level.SubKeys);
        if (status == ERROR_SUCCESS)
            status = enter(level.Key.Get(), name, level.SubKeys);
        level.NameLength = name.size();
        if (!recurse)
            level.SubKeys.clear();
        levels.push_back(std::move(level));
        return status;
    };
    LONG status = enterKey(path.Root, path.Sub.c_str());
    while (status == ERROR_SUCCESS && !levels.empty()) {
        Level& level = levels.back();
        if (level.Next < level.SubKeys.size()) {
            const std::string& subkey = level.SubKeys[level.Next++];
            name.resize(level.NameLength);
            name += "\\" + subkey;
            status = enterKey(level.Key.Get(), subkey.c_str());
            continue;
        }
        level.Key.Close();
        if (leave) {
            const bool top = levels.size() == 1;
            const Level* parent = top ? nullptr : &levels[levels.size() - 2];
            status = top ? leave(path.Root, path.Sub) : leave(parent->Key.Get(), parent->SubKeys[parent->Next - 1]);
        }
        levels.pop_back();
    }
    return status;
}

LONG DeleteTree(const KeyPath& path)
{
    if (path.Sub.empty())
        return ERROR_ACCESS_DENIED;
    return WalkTree(
        path, KEY_READ, true, [](HKEY, const std::string&, const std::vector<std::string>&) { return ERROR_SUCCESS; },
        [](HKEY parent, const std::string& name) { return RegDeleteKeyA(parent, name.c_str()); });
}

} // namespace regtool
