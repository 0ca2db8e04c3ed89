#include "platform/hive/KeyName.h"

namespace hive
{

namespace
{
unsigned char UpperAnsi(unsigned char c)
{
    if (c >= 'a' && c <= 'z')
        return static_cast<unsigned char>(c - 0x20);
    // à..þ map to À..Þ, except ÷ (0xF7), which has no case.
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return static_cast<unsigned char>(c - 0x20);
    switch (c) {
    case 0x9A: // š
        return 0x8A;
    case 0x9C: // œ
        return 0x8C;
    case 0x9E: // ž
        return 0x8E;
    case 0xFF: // ÿ
        return 0x9F;
    default:
        return c;
    }
}
} // namespace

std::string FoldName(std::string_view ansi)
{
    std::string out(ansi);
    for (char& c : out)
        c = static_cast<char>(UpperAnsi(static_cast<unsigned char>(c)));
    return out;
}

win32::LONG SplitKeyPath(const char* path, std::vector<std::string>& components)
{
    components.clear();
    if (!path || !*path)
        return win32::ERROR_SUCCESS;
    std::string_view rest(path);
    if (rest.front() == '\\')
        return win32::ERROR_BAD_PATHNAME;
    if (rest.back() == '\\')
        rest.remove_suffix(1);
    while (true) {
        const size_t cut = rest.find('\\');
        const std::string_view part = rest.substr(0, cut);
        if (part.empty())
            return win32::ERROR_BAD_PATHNAME;
        if (part.size() > MaxKeyNameLength)
            return win32::ERROR_INVALID_PARAMETER;
        components.emplace_back(part);
        if (cut == std::string_view::npos)
            break;
        rest.remove_prefix(cut + 1);
    }
    return win32::ERROR_SUCCESS;
}

} // namespace hive
