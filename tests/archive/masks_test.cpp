// File masks: wildcards, the whole-mask "*.*" rule, case by the locale, Turkish letters.
#include "archive/masks.h"

#include <gtest/gtest.h>

namespace {

using archive::MaskMatch;
using archive::MaskTables;

TEST(Masks, Wildcards) {
    struct Case {
        const char* name;
        const char* mask;
        bool match;
    } cases[] = {
        {"readme", "*.*", true},            // the whole mask matches without a dot
        {"folder/", "*.*", true},           // and folder items
        {"readme", "r*.*", false},          // elsewhere ".*" needs a dot
        {"readme.txt", "r*.*", true},
        {"", "*", true},
        {"a", "a*", true},
        {"a", "a*?", false},                // a "*" needs a character where it starts
        {"ab", "a*b", true},                // but may stand for none when more follows
        {"sub/dir/notes.txt", "*.TXT", true},  // "*" spans folders, case ignored
        {"sub/dir/notes.txt", "*.doc", false},
        {"ab", "a?b", false},
        {"axb", "a?b", true},
        {"ABC.Txt", "abc.tXT", true},
        {"abc", "ab", false},
        {"ab", "abc", false},
        {"setup.exe", "*.exe", true},
        {"setup.exe.bak", "*.exe", false},
        {"a.b.c", "*.c", true},
    };
    for (const Case& c : cases) EXPECT_EQ(MaskMatch(c.name, c.mask, true), c.match) << c.name << " / " << c.mask;
}

TEST(Masks, CaseMattersOnlyWhenAsked) {
    EXPECT_FALSE(MaskMatch("README", "readme", false));
    EXPECT_TRUE(MaskMatch("readme", "readme", false));
    EXPECT_TRUE(MaskMatch("README", "readme", true));
}

TEST(Masks, TablesAreConsistent) {
    for (uint32_t lcid : {1033u, 1055u}) {
        const MaskTables t(lcid);
        if (!t.Permutation) continue;  // the locale's own comparison decides then
        for (int n = 0; n < 256; ++n) EXPECT_EQ(t.Inverse[t.Position[n]], n) << lcid;
        EXPECT_EQ(t.CompareChars('a', 'A', true), 0);
        EXPECT_NE(t.CompareChars('a', 'A', false), 0);
        EXPECT_NE(t.CompareChars('a', 'b', true), 0);
    }
    EXPECT_TRUE(MaskTables(1055).Permutation);
}

TEST(Masks, TurkishDottedAndDotlessI) {
    const MaskTables turkish(1055);
    EXPECT_TRUE(MaskMatch("I", "\xFD", true, turkish));   // capital I and dotless small i
    EXPECT_TRUE(MaskMatch("\xFD", "I", true, turkish));
    EXPECT_TRUE(MaskMatch("i", "\xDD", true, turkish));   // small i and dotted capital I
    EXPECT_FALSE(MaskMatch("I", "i", true, turkish));
    EXPECT_FALSE(MaskMatch("\xFD", "i", true, turkish));
    EXPECT_TRUE(MaskMatch("\xE7\xF6\xFE\xFC\xF0.txt", "\xC7\xD6\xDE\xDC\xD0.TXT", true, turkish));
    // Other locales pair I with i.
    EXPECT_TRUE(MaskMatch("I", "i", true, MaskTables(1033)));
}

}  // namespace
