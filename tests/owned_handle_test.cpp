#include "system/owned_handle.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

bool IsOpen(HANDLE handle)
{
    DWORD flags = 0;
    return GetHandleInformation(handle, &flags) != FALSE;
}

// Each handle is closed once, by whoever owns it last, and a handle
// replaced through Put is closed before the new one arrives.
TEST(OwnedHandle, ClosesEachHandleOnceByItsLastOwner)
{
    const HANDLE first = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const HANDLE second = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    {
        OwnedHandle owner(first);
        OwnedHandle moved(std::move(owner));
        EXPECT_FALSE(owner);
        EXPECT_TRUE(IsOpen(first));

        HANDLE* slot = moved.Put();
        EXPECT_FALSE(IsOpen(first));
        *slot = second;
        EXPECT_EQ(moved.Get(), second);
    }
    EXPECT_FALSE(IsOpen(second));

    // A failed call's answer owns nothing, whichever of the two it is.
    EXPECT_FALSE(OwnedHandle(INVALID_HANDLE_VALUE));
    EXPECT_FALSE(OwnedHandle(nullptr));
}

}  // namespace
