#include "tools/HelpFormat.h"

namespace hlp {

int32_t ContextHash(const std::string& name)
{
    uint32_t h = 0;
    for (char c : name) {
        unsigned x = 0;
        if (c >= 'A' && c <= 'Z') x = c - 'A' + 17;
        else if (c >= 'a' && c <= 'z') x = c - 'a' + 17;
        else if (c >= '1' && c <= '9') x = c - '0';
        else if (c == '0') x = 10;
        else if (c == '.') x = 12;
        else if (c == '_') x = 13;
        if (x)
            h = h * 43 + x;
    }
    return static_cast<int32_t>(h);
}

} // namespace hlp
