#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

// A body as a server sends it with "Transfer-Encoding: chunked": in chunks whose sizes the seed
// varies from 1 to 19 bytes, with a chunk extension now and then, ended by the zero-size chunk.
inline std::string ChunkedBody(std::string_view body, uint8_t seed)
{
    std::string out;
    size_t pos = 0;
    for (size_t k = 0; pos < body.size(); ++k) {
        const size_t size = std::min<size_t>(1 + (seed + 7 * k) % 19, body.size() - pos);
        char line[32];
        std::snprintf(line, sizeof line, (seed + k) % 3 == 0 ? "%zX;x=y\r\n" : "%zx\r\n", size);
        out += line;
        out += body.substr(pos, size);
        out += "\r\n";
        pos += size;
    }
    out += "0\r\n\r\n";
    return out;
}
