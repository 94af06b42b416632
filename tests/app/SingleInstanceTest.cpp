#include "app/SingleInstance.h"

#include <gtest/gtest.h>

// Only a user's first start runs; a later one brings the marked dialog back
// from the taskbar. Once the first has ended, a start is first again.
TEST(SingleInstance, ALaterStartRestoresTheFirstOnesDialog)
{
    HWND dialog = ::CreateWindowExA(0, "STATIC", "Quillory", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                                    0, 300, 200, nullptr, nullptr, nullptr, nullptr);
    CSingleInstance::MarkWindow(dialog);
    ::ShowWindow(dialog, SW_MINIMIZE);
    ASSERT_TRUE(::IsIconic(dialog));
    {
        CSingleInstance first;
        EXPECT_TRUE(first.IsFirst());
        EXPECT_FALSE(CSingleInstance().IsFirst());
        CSingleInstance::ShowFirst();
        EXPECT_FALSE(::IsIconic(dialog));
    }
    EXPECT_TRUE(CSingleInstance().IsFirst());
    ::DestroyWindow(dialog);
}
