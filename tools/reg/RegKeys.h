#pragma once
#include "platform/win32/WinTypes.h"
#include "tools/reg/RegPath.h"

#include <functional>
#include <string>
#include <utility>
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
    KeyHandle(KeyHandle&& other) noexcept : key_(std::exchange(other.key_, 0)) {}

    win32::LONG Open(const KeyPath& path, win32::REGSAM access);
    // Opens subkey of an open key (or a root).
    win32::LONG Open(win32::HKEY parent, const char* subkey, win32::REGSAM access);
    win32::LONG Create(const KeyPath& path);
    win32::HKEY Get() const { return key_; }
    void Close();

private:
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

// Called for each key of a walk with its full name and its subkeys, before the subkeys.
using EnterKey = std::function<win32::LONG(win32::HKEY key, const std::string& fullName,
                                           const std::vector<std::string>& subkeys)>;
// Called for each key of a walk after its subkeys, closed, with its parent and its name there.
using LeaveKey = std::function<win32::LONG(win32::HKEY parent, const std::string& name)>;

// Walks the key at path and, with recurse, every key below it, depth first with subkeys in
// their order. Each key is opened once, from its parent, and no deeper than the tree itself
// goes, so a walk takes time in proportion to the tree, however deep. Stops at the first status
// that is not ERROR_SUCCESS and returns it.
win32::LONG WalkTree(const KeyPath& path, win32::REGSAM access, bool recurse, const EnterKey& enter,
                     const LeaveKey& leave = nullptr);

// Deletes a key with everything below it. A predefined root itself is refused.
win32::LONG DeleteTree(const KeyPath& path);

} // namespace regtool
