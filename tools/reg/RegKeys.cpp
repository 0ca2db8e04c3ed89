#include "tools/reg/RegKeys.h"

#include "platform/win32/Registry.h"

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
    Close();
    return RegOpenKeyExA(path.Root, path.Sub.c_str(), 0, access, &key_);
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
    for (DWORD index = 0;; ++index) {
        KeyValue value;
        DWORD nameLength = 0;
        DWORD size = 0;
        char probe = 0;
        LONG status = RegEnumValueA(key, index, &probe, &nameLength, nullptr, &value.Type, nullptr, &size);
        if (status == ERROR_NO_MORE_ITEMS)
            return ERROR_SUCCESS;
        if (status != ERROR_SUCCESS && status != ERROR_MORE_DATA)
            return status;
        std::string name(nameLength + 1, '\0');
        value.Data.assign(size, '\0');
        DWORD nameCapacity = nameLength + 1;
        status = RegEnumValueA(key, index, name.data(), &nameCapacity, nullptr, &value.Type,
                               reinterpret_cast<BYTE*>(value.Data.data()), &size);
        if (status != ERROR_SUCCESS)
            return status;
        value.Name = name.substr(0, nameCapacity);
        value.Data.resize(size);
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

LONG DeleteTree(const KeyPath& path)
{
    if (path.Sub.empty())
        return ERROR_ACCESS_DENIED;
    std::vector<std::string> children;
    {
        KeyHandle key;
        LONG status = key.Open(path, KEY_READ);
        if (status != ERROR_SUCCESS)
            return status;
        status = ReadSubKeys(key.Get(), children);
        if (status != ERROR_SUCCESS)
            return status;
    }
    for (const std::string& child : children) {
        const LONG status = DeleteTree(Child(path, child));
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
            return status;
    }
    return RegDeleteKeyA(path.Root, path.Sub.c_str());
}

} // namespace regtool
