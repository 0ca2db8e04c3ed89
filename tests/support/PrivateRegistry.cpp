#include "tests/support/PrivateRegistry.h"

#include "platform/hive/CurrentHive.h"
#include "platform/win32/ComActivation.h"
#include "platform/win32/Registry.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <stdlib.h>

PrivateRegistry::PrivateRegistry()
{
    hivePath_ = folder_.Sub(QStringLiteral("registry.hive"));
    setenv("STRANDMOOR_HIVE", hivePath_.toLocal8Bit().constData(), 1);
    hive::ResetForTests();
    if (!CallEntryPoint("DllRegisterServer"))
        ADD_FAILURE() << "Tarnhold could not be registered";
}

PrivateRegistry::~PrivateRegistry()
{
    win32::CoFreeUnusedLibraries();
    hive::ResetForTests();
    unsetenv("STRANDMOOR_HIVE");
}

bool PrivateRegistry::CallEntryPoint(const char* name)
{
    void* library = dlopen(TARNHOLD_MODULE, RTLD_NOW | RTLD_LOCAL);
    if (!library)
        return false;
    const auto entry = reinterpret_cast<win32::HRESULT (*)()>(dlsym(library, name));
    const bool done = entry && entry() == win32::S_OK;
    dlclose(library);
    return done;
}

void PrivateRegistry::WriteValue(unsigned int root, const std::string& path, const std::string& name,
                                 unsigned int type, const std::string& data)
{
    win32::HKEY key = 0;
    ASSERT_EQ(win32::RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, win32::KEY_ALL_ACCESS, nullptr, &key, nullptr),
              win32::ERROR_SUCCESS);
    const auto* bytes = reinterpret_cast<const win32::BYTE*>(data.data());
    EXPECT_EQ(win32::RegSetValueExA(key, name.c_str(), 0, type, bytes, static_cast<win32::DWORD>(data.size())),
              win32::ERROR_SUCCESS);
    win32::RegCloseKey(key);
}

void PrivateRegistry::WriteDword(unsigned int root, const std::string& path, const std::string& name, uint32_t value)
{
    const std::string bytes{static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF),
                            static_cast<char>((value >> 16) & 0xFF), static_cast<char>((value >> 24) & 0xFF)};
    WriteValue(root, path, name, win32::REG_DWORD, bytes);
}

std::pair<unsigned int, std::string> PrivateRegistry::ReadValue(unsigned int root, const std::string& path,
                                                                const std::string& name)
{
    win32::HKEY key = 0;
    if (win32::RegOpenKeyExA(root, path.c_str(), 0, win32::KEY_READ, &key) != win32::ERROR_SUCCESS)
        return {0, {}};
    win32::DWORD type = 0;
    win32::DWORD size = 0;
    std::string data;
    if (win32::RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) == win32::ERROR_SUCCESS) {
        data.resize(size);
        win32::RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<win32::BYTE*>(data.data()), &size);
        data.resize(size);
    } else {
        type = 0;
    }
    win32::RegCloseKey(key);
    return {type, data};
}

bool PrivateRegistry::KeyExists(unsigned int root, const std::string& path)
{
    win32::HKEY key = 0;
    if (win32::RegOpenKeyExA(root, path.c_str(), 0, win32::KEY_READ, &key) != win32::ERROR_SUCCESS)
        return false;
    win32::RegCloseKey(key);
    return true;
}

namespace
{
// Every name an enumeration function gives for a key, index by index until it has no more.
template <typename Enumerate>
std::vector<std::string> NamesOf(unsigned int root, const std::string& path, Enumerate enumerate)
{
    std::vector<std::string> names;
    win32::HKEY key = 0;
    if (win32::RegOpenKeyExA(root, path.c_str(), 0, win32::KEY_READ, &key) != win32::ERROR_SUCCESS)
        return names;
    for (win32::DWORD index = 0;; ++index) {
        char name[256];
        win32::DWORD length = sizeof name;
        if (enumerate(key, index, name, &length) != win32::ERROR_SUCCESS)
            break;
        names.emplace_back(name, length);
    }
    win32::RegCloseKey(key);
    return names;
}
} // namespace

std::vector<std::string> PrivateRegistry::ValueNames(unsigned int root, const std::string& path)
{
    return NamesOf(root, path, [](win32::HKEY key, win32::DWORD index, char* name, win32::DWORD* length) {
        return win32::RegEnumValueA(key, index, name, length, nullptr, nullptr, nullptr, nullptr);
    });
}

std::vector<std::string> PrivateRegistry::SubkeyNames(unsigned int root, const std::string& path)
{
    return NamesOf(root, path, [](win32::HKEY key, win32::DWORD index, char* name, win32::DWORD* length) {
        return win32::RegEnumKeyExA(key, index, name, length, nullptr, nullptr, nullptr, nullptr);
    });
}
