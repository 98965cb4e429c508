#include "render.h"

#include <array>
#include <cstdint>

namespace vendor {
namespace korvane {
namespace zunt_tools {
namespace log {
namespace {

constexpr const char* kControlNames[32] = {
        "<NUL>", "<SOH>", "<STX>", "<ETX>", "<EOT>", "<ENQ>", "<ACK>", "<BEL>",
        "<BS>",  "<HT>",  "<LF>",  "<VT>",  "<FF>",  "<CR>",  "<SO>",  "<SI>",
        "<DLE>", "<DC1>", "<DC2>", "<DC3>", "<DC4>", "<NAK>", "<SYN>", "<ETB>",
        "<CAN>", "<EM>",  "<SUB>", "<ESC>", "<FS>",  "<GS>",  "<RS>",  "<US>",
};

struct Rendering {
    uint8_t length;
    char text[5];
};

// Every byte's rendering, worked out once at compile time, so that rendering a buffer is a
// lookup and a copy per byte rather than a branch chain and a formatted print.
constexpr std::array<Rendering, 256> MakeRenderings() {
    constexpr char kHexDigits[] = "0123456789ABCDEF";
    std::array<Rendering, 256> table{};
    for (int b = 0; b < 256; ++b) {
        Rendering& r = table[b];
        if (b < 0x20) {
            for (const char* name = kControlNames[b]; *name != '\0'; ++name) {
                r.text[r.length++] = *name;
            }
        } else if (b < 0x80) {
            r.text[r.length++] = static_cast<char>(b);
        } else {
            r.text[r.length++] = kHexDigits[b >> 4];
            r.text[r.length++] = kHexDigits[b & 0xF];
        }
    }
    return table;
}

constexpr std::array<Rendering, 256> kRenderings = MakeRenderings();

bool IsPrintable(unsigned char b) {
    return b >= 0x20 && b < 0x80;
}

}  // namespace

void AppendRendered(const char* data, size_t size, std::string& out) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(data);
    size_t rendered_size = 0;
    for (size_t i = 0; i < size; ++i) rendered_size += kRenderings[bytes[i]].length;
    out.reserve(out.size() + rendered_size);

    size_t i = 0;
    while (i < size) {
        // Printable bytes stand for themselves: copy each run of them in one go.
        const size_t run_start = i;
        while (i < size && IsPrintable(bytes[i])) ++i;
        if (i > run_start) out.append(data + run_start, i - run_start);
        for (; i < size && !IsPrintable(bytes[i]); ++i) {
            const Rendering& r = kRenderings[bytes[i]];
            out.append(r.text, r.length);
        }
    }
}

bool AppendRenderedIfIn(char c, unsigned char first, unsigned char last, std::string& out) {
    const auto b = static_cast<unsigned char>(c);
    if (b < first || b > last) return false;
    out.append(kRenderings[b].text, kRenderings[b].length);
    return true;
}

size_t BytesFittingIn(const char* data, size_t size, size_t budget) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(data);
    size_t used = 0;
    for (size_t i = 0; i < size; ++i) {
        used += kRenderings[bytes[i]].length;
        if (used > budget) return i;
    }
    return size;
}

}  // namespace log
}  // namespace zunt_tools
}  // namespace korvane
}  // namespace vendor
