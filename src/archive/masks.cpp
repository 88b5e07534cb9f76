#include "archive/masks.h"

#include "archive/os.h"

#include <cstring>
#include <string>

namespace archive {
namespace {

constexpr uint32_t kTurkish = 1055;

// Code page 1254 case pairs.
unsigned char TurkishUpper(unsigned char c) {
    if (c == 0x69) return 0xDD;  // i -> dotted capital I
    if (c == 0xFD) return 0x49;  // dotless i -> I
    if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 32);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 32);
    return c;
}

unsigned char TurkishLower(unsigned char c) {
    if (c == 0xDD) return 0x69;
    if (c == 0x49) return 0xFD;
    if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 32);
    return c;
}

// The Turkish collation of code page 1254: everything that is not a letter by byte value, then
// the letters in alphabet order, each small letter just before its capital, then the remaining
// accented letters.
void TurkishPositions(unsigned char* position) {
    static const char* const kAlphabet[] = {
        "aA", "bB", "cC", "\xE7\xC7", "dD", "eE", "fF", "gG", "\xF0\xD0", "hH", "\xFDI", "i\xDD", "jJ", "kK",
        "lL", "mM", "nN", "oO", "\xF6\xD6", "pP", "qQ", "rR", "sS", "\xFE\xDE", "tT", "uU", "\xFC\xDC", "vV",
        "wW", "xX", "yY", "zZ",
    };
    bool placed[256] = {};
    std::string order;
    for (const char* pair : kAlphabet)
        for (const char* p = pair; *p; ++p) placed[static_cast<unsigned char>(*p)] = true;
    std::string accented;
    for (int c = 0xC0; c <= 0xFF; ++c) {
        const auto ch = static_cast<unsigned char>(c);
        if (placed[ch] || c == 0xD7 || c == 0xF7) continue;
        if (TurkishUpper(ch) != ch || TurkishLower(ch) != ch) {
            const unsigned char small = TurkishLower(ch), capital = TurkishUpper(ch);
            if (placed[small] || placed[capital]) continue;
            accented += static_cast<char>(small);
            accented += static_cast<char>(capital);
            placed[small] = placed[capital] = true;
        }
    }
    for (int c = 0; c < 256; ++c)
        if (!placed[c]) order += static_cast<char>(c);
    for (const char* pair : kAlphabet) order += pair;
    order += accented;
    for (size_t i = 0; i < order.size(); ++i) position[static_cast<unsigned char>(order[i])] = static_cast<unsigned char>(i);
}

}  // namespace

MaskTables::MaskTables(uint32_t lcid) : Lcid(lcid) {
    if (lcid == kTurkish) {
        TurkishPositions(Position);
    } else {
        for (int n = 0; n < 256; ++n) {
            int before = 0;
            for (int p = 0; p < 256; ++p)
                if (os::CompareChar(lcid, static_cast<unsigned char>(p), static_cast<unsigned char>(n), false) < 0)
                    ++before;
            Position[n] = static_cast<unsigned char>(before);
        }
    }
    bool seen[256] = {};
    for (int n = 0; n < 256; ++n) {
        Inverse[Position[n]] = static_cast<unsigned char>(n);
        seen[Position[n]] = true;
    }
    Permutation = true;
    for (bool s : seen) Permutation = Permutation && s;

    if (Permutation) {
        for (int n = 0; n < 256; ++n) {
            const auto c = static_cast<unsigned char>(n);
            const unsigned char upper = lcid == kTurkish ? TurkishUpper(c) : os::UpperChar(c);
            const unsigned char lower = lcid == kTurkish ? TurkishLower(c) : os::LowerChar(c);
            Upper[Position[n]] = Position[upper];
            Lower[Position[n]] = Position[lower];
        }
    } else {
        // Not used for comparing: the locale's own comparison decides then.
        for (int n = 0; n < 256; ++n) {
            const auto c = static_cast<unsigned char>(n);
            Position[n] = os::AnsiToOemChar(c);
            Inverse[n] = os::OemToAnsiChar(c);
            Upper[n] = os::UpperChar(c);
            Lower[n] = os::LowerChar(c);
        }
    }
}

const MaskTables& MaskTables::Process() {
    static const MaskTables tables(os::UserLocaleId());
    return tables;
}

int MaskTables::CompareChars(unsigned char a, unsigned char b, bool ignoreCase) const {
    if (!Permutation) return os::CompareChar(Lcid, a, b, ignoreCase);
    const int pa = Position[a], pb = Position[b];
    if (pa == pb) return 0;
    if (!ignoreCase) return pa - pb;
    return Upper[pa] - Upper[pb];
}

bool MaskMatch(const char* name, const char* mask, bool ignoreCase, const MaskTables& tables) {
    if (std::strcmp(mask, "*.*") == 0) return true;
    for (;;) {
        if (mask[0] == '*' && mask[1] == '\0') return true;
        if (*name == '\0') return *mask == '\0';
        if (*mask == '*') {
            // Each start from the current character on; the empty rest of the name is not tried.
            for (const char* from = name; *from; ++from)
                if (MaskMatch(from, mask + 1, ignoreCase, tables)) return true;
            return false;
        }
        // The mask's end never equals a character, even where the locale ignores both: the walk
        // must not go past the terminating zero.
        if (*mask == '\0') return false;
        if (*mask != '?' && tables.CompareChars(static_cast<unsigned char>(*mask), static_cast<unsigned char>(*name),
                                                ignoreCase) != 0)
            return false;
        ++name;
        ++mask;
    }
}

}  // namespace archive
