#include "tools/reg/RegPath.h"

#include <cctype>

namespace regtool
{

namespace
{
struct RootName
{
    win32::HKEY Root;
    const char* Long;
    const char* Short;
};

constexpr RootName Roots[] = {
    {win32::HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT", "HKCR"},
    {win32::HKEY_CURRENT_USER, "HKEY_CURRENT_USER", "HKCU"},
    {win32::HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "HKLM"},
    {win32::HKEY_USERS, "HKEY_USERS", "HKU"},
    {win32::HKEY_PERFORMANCE_DATA, "HKEY_PERFORMANCE_DATA", nullptr},
    {win32::HKEY_CURRENT_CONFIG, "HKEY_CURRENT_CONFIG", "HKCC"},
    {win32::HKEY_DYN_DATA, "HKEY_DYN_DATA", nullptr},
};

bool SameText(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}
} // namespace

bool ParseKeyPath(std::string_view text, KeyPath& path)
{
    if (!text.empty() && text.back() == '\\')
        text.remove_suffix(1);
    const size_t cut = text.find('\\');
    const std::string_view root = text.substr(0, cut);
    const std::string_view sub = cut == std::string_view::npos ? std::string_view() : text.substr(cut + 1);
    if (cut != std::string_view::npos && (sub.empty() || sub.front() == '\\' || sub.find("\\\\") != sub.npos))
        return false;
    for (const RootName& candidate : Roots) {
        if (SameText(root, candidate.Long) || (candidate.Short && SameText(root, candidate.Short))) {
            path = KeyPath{candidate.Root, candidate.Long, std::string(sub)};
            return true;
        }
    }
    return false;
}

std::string FullName(const KeyPath& path)
{
    return path.Sub.empty() ? path.RootName : path.RootName + "\\" + path.Sub;
}

KeyPath Child(const KeyPath& path, const std::string& child)
{
    KeyPath result = path;
    result.Sub = path.Sub.empty() ? child : path.Sub + "\\" + child;
    return result;
}

} // namespace regtool
