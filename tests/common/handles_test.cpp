#include "common/handles.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

common::File OpenExclusive(const char* path) {
    return common::File(
        CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// File and find functions answer INVALID_HANDLE_VALUE, not null, when they fail: a failed open must
// read as empty, and a move must hand the one handle over, closed once by its last owner.
TEST(Handles, FileHandlesTellFailureAndCloseOnceAfterAMove) {
    WIN32_FIND_DATAA found;
    EXPECT_FALSE(common::FindHandle(FindFirstFileA("no such folder\\*", &found)));
    EXPECT_FALSE(common::File(CreateFileA("no such folder\\x", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)));

    const char* path = "exclusive.bin";
    common::File owner;
    {
        common::File first = OpenExclusive(path);
        ASSERT_TRUE(first);
        owner = std::move(first);
        EXPECT_FALSE(first);
    }
    EXPECT_FALSE(OpenExclusive(path)) << "the moved-from wrapper closed the handle";
    owner.Reset();
    EXPECT_TRUE(OpenExclusive(path)) << "the last owner did not close the handle";
    DeleteFileA(path);
}

TEST(Handles, SelectionPutsTheDcsPreviousObjectBack) {
    const common::MemoryDc dc(CreateCompatibleDC(nullptr));
    ASSERT_TRUE(dc);
    const HGDIOBJ original = GetCurrentObject(dc.Get(), OBJ_BITMAP);
    const common::GdiObject bitmap(CreateCompatibleBitmap(dc.Get(), 4, 4));
    ASSERT_TRUE(bitmap);
    {
        const common::Selection selected = common::Select(dc.Get(), bitmap.Get());
        EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_BITMAP), bitmap.Get());
    }
    EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_BITMAP), original);
}

}  // namespace
