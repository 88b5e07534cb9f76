#pragma once
// File masks with "*" and "?", comparing letters without regard to case by the locale's rules.
#include <cstdint>

namespace archive {

// The character order and case tables of one locale, 256 entries each.
class MaskTables {
public:
    explicit MaskTables(uint32_t lcid);
    // The process's tables, built once from the user's locale.
    static const MaskTables& Process();

    // Negative, zero or positive; with `ignoreCase` two characters are equal exactly when their
    // upper-case forms are the same character.
    int CompareChars(unsigned char a, unsigned char b, bool ignoreCase) const;

    uint32_t Lcid;
    bool Permutation = false;      // the collation orders every byte value strictly
    unsigned char Position[256];   // byte value -> sort position
    unsigned char Inverse[256];    // sort position -> byte value
    unsigned char Upper[256];      // sort position -> sort position of the upper-case form
    unsigned char Lower[256];      // sort position -> sort position of the lower-case form
};

// Whether the zero-terminated `name` matches `mask`: "?" is one character, "*" any run of
// characters (folder separators too); the whole mask "*.*" matches every name.
bool MaskMatch(const char* name, const char* mask, bool ignoreCase, const MaskTables& tables = MaskTables::Process());

}  // namespace archive
