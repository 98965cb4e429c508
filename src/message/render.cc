#include "render.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <stdexcept>

#include "../common/bytewise.h"

namespace vendor::korvane::zunt_tools::log::internal {
namespace {

constexpr const char* kControlNames[32] = {
        "<NUL>", "<SOH>", "<STX>", "<ETX>", "<EOT>", "<ENQ>", "<ACK>", "<BEL>",
        "<BS>",  "<HT>",  "<LF>",  "<VT>",  "<FF>",  "<CR>",  "<SO>",  "<SI>",
        "<DLE>", "<DC1>", "<DC2>", "<DC3>", "<DC4>", "<NAK>", "<SYN>", "<ETB>",
        "<CAN>", "<EM>",  "<SUB>", "<ESC>", "<FS>",  "<GS>",  "<RS>",  "<US>",
};

// A byte's rendering, padded to a whole word so that it is stored with one fixed-size copy.
struct Rendering {
    char text[8];
    size_t length;
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

// Room past the end of the rendering for the padding of the last piece.
constexpr size_t kSlack = sizeof(Rendering::text);

// Printable bytes stand for themselves; eight of them are checked and copied as one word.
constexpr size_t kWord = sizeof(uint64_t);
constexpr uint64_t kToHighFrom20 = 0x60 * kOnes;  // 0x20 + 0x60 = 0x80

// Without carries between bytes: a byte's low seven bits plus 0x60 reach bit 7 exactly when
// they are 0x20 or more.
uint64_t NotPrintable(uint64_t word) {
    return (word | ~((word & kLowBits) + kToHighFrom20)) & kHighBits;
}

bool AllPrintable(uint64_t word) {
    return NotPrintable(word) == 0;
}

// Long runs of text are checked a block of four words at a time.
constexpr size_t kBlock = 4 * kWord;

bool AllPrintableBlock(const unsigned char* bytes) {
    uint64_t not_printable = 0;
    for (size_t i = 0; i < kBlock; i += kWord) not_printable |= NotPrintable(WordAt(bytes + i));
    return not_printable == 0;
}

bool IsPrintable(unsigned char b) {
    return b >= 0x20 && b < 0x80;
}

size_t PrintablePrefix(const unsigned char* bytes, size_t size) {
    size_t i = 0;
    while (size - i >= kBlock && AllPrintableBlock(bytes + i)) i += kBlock;
    while (size - i >= kWord && AllPrintable(WordAt(bytes + i))) i += kWord;
    while (i < size && IsPrintable(bytes[i])) ++i;
    return i;
}

// Per byte of the result, 0x80 where the byte of word is zero; word's bytes must be below 0x80.
uint64_t ZeroBytes(uint64_t word) {
    return ~(word + kLowBits) & kHighBits;
}

// The rendered length of eight bytes, without a branch or a lookup per byte: a printable byte
// renders as 1 character, a high byte as 2, a control code as 4 when its name has two letters
// (0x08 to 0x0F, 0x19, 0x1C to 0x1F) and as 5 otherwise.
size_t RenderedWordSize(uint64_t word) {
    const uint64_t high = word & kHighBits;
    const uint64_t control = ~(word | ((word & kLowBits) + kToHighFrom20)) & kHighBits;
    const uint64_t low5 = word & (0x1F * kOnes);
    const uint64_t two_letters = (ZeroBytes((low5 & (0x18 * kOnes)) ^ (0x08 * kOnes)) |
                                  ZeroBytes(low5 ^ (0x19 * kOnes)) |
                                  ZeroBytes((low5 & (0x1C * kOnes)) ^ (0x1C * kOnes))) &
                                 control;
    // At most 4 extra characters a byte, so the bytes of the sum cannot carry into each other.
    const uint64_t extra = (high >> 7) + 3 * (control >> 7) + ((control & ~two_letters) >> 7);
    return kWord + static_cast<size_t>((extra * kOnes) >> 56);
}

// Summed in 64 bits: at most 5 characters a byte, so no buffer that fits in memory wraps it, where
// a 32-bit size_t wraps at about 860 MB of control codes.
uint64_t RenderedSize(const unsigned char* bytes, size_t size) {
    uint64_t rendered = 0;
    size_t i = 0;
    for (; size - i >= kWord; i += kWord) rendered += RenderedWordSize(WordAt(bytes + i));
    for (; i < size; ++i) rendered += kRenderings[bytes[i]].length;
    return rendered;
}

// Stores each piece whole and moves on by its length; out must have kSlack to spare at the end.
void Render(const unsigned char* bytes, size_t size, char* out) {
    size_t i = 0;
    for (; size - i >= kWord; i += kWord) {
        if (AllPrintable(WordAt(bytes + i))) {
            std::memcpy(out, bytes + i, kWord);
            out += kWord;
            continue;
        }
        for (size_t k = i; k < i + kWord; ++k) {
            const Rendering& r = kRenderings[bytes[k]];
            std::memcpy(out, r.text, sizeof(r.text));
            out += r.length;
        }
    }
    for (; i < size; ++i) {
        const Rendering& r = kRenderings[bytes[i]];
        std::memcpy(out, r.text, sizeof(r.text));
        out += r.length;
    }
}

// What out must hold to take a rendering after its first start characters, with kSlack to spare;
// length_error, as std::string itself reports a length it cannot hold, where size_t cannot count
// that far.
size_t SizeWithRendering(size_t start, uint64_t rendered) {
    size_t size;
    if (__builtin_add_overflow(start, rendered, &size) ||
        __builtin_add_overflow(size, kSlack, &size)) {
        throw std::length_error("rendering too long");
    }
    return size;
}

}  // namespace

bool RendersAsItself(const char* data, size_t size) {
    return PrintablePrefix(reinterpret_cast<const unsigned char*>(data), size) == size;
}

void AppendRendered(const char* data, size_t size, std::string& out) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(data);
    // Text is the common case, and it renders as itself.
    const size_t prefix = PrintablePrefix(bytes, size);
    if (prefix == size) {
        out.append(data, size);
        return;
    }
    // Sized once, exactly: the only step that can fail, and it leaves out as it was.
    const size_t start = out.size();
    const size_t padded =
            SizeWithRendering(start, prefix + RenderedSize(bytes + prefix, size - prefix));
    out.resize(padded);
    char* dest = &out[start];
    std::memcpy(dest, data, prefix);
    Render(bytes + prefix, size - prefix, dest + prefix);
    out.resize(padded - kSlack);
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
    size_t i = 0;
    while (i < size) {
        if (size - i >= kBlock && budget - used >= kBlock && AllPrintableBlock(bytes + i)) {
            used += kBlock;
            i += kBlock;
            continue;
        }
        if (size - i >= kWord && budget - used >= kWord && AllPrintable(WordAt(bytes + i))) {
            used += kWord;
            i += kWord;
            continue;
        }
        // Byte by byte through this word: one of its bytes is not printable, or the budget ends.
        const size_t word_end = size - i >= kWord ? i + kWord : size;
        for (; i < word_end; ++i) {
            // Compared before it is added, so that a budget near the top of size_t cannot wrap.
            const size_t length = kRenderings[bytes[i]].length;
            if (length > budget - used) return i;
            used += length;
        }
    }
    return size;
}

}  // namespace vendor::korvane::zunt_tools::log::internal
