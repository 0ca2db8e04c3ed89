#pragma once
#include "platform/win32/WinTypes.h"
#include "tools/reg/RegPath.h"

#include <string>
#include <vector>

// Whole keys through the registry functions: open, list, delete a tree.
namespace regtool
{

// An open key, closed when it goes.
class KeyHandle
{
public:
    KeyHandle() = default;
    ~KeyHandle();
    KeyHandle(const KeyHandle&) = delete;
    KeyHandle& operator=(const KeyHandle&) = delete;

    win32::LONG Open(const KeyPath& path, win32::REGSAM access);
    win32::LONG Create(const KeyPath& path);
    win32::HKEY Get() const { return key_; }

private:
    void Close();
    win32::HKEY key_ = 0;
};

struct KeyValue
{
    std::string Name;
    win32::DWORD Type = 0;
    std::string Data;
};

// The values of a key in their order, or the first failing status.
win32::LONG ReadValues(win32::HKEY key, std::vector<KeyValue>& values);

// The names of a key's subkeys in their order.
win32::LONG ReadSubKeys(win32::HKEY key, std::vector<std::string>& names);

// Deletes a key with everything below it. A predefined root itself is refused.
win32::LONG DeleteTree(const KeyPath& path);

} // namespace regtool
