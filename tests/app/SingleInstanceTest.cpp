#include "app/SingleInstance.h"

#include <gtest/gtest.h>

// Only the first start of a user's runs; a later one brings the marked
// dialog back from the taskbar. Once the first has ended, a start is first.
TEST(SingleInstance, ALaterStartRestoresTheFirstOnesDialog)
{
    HWND dialog = ::CreateWindowExA(0, "STATIC", "Quillory", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                                    0, 300, 200, nullptr, nullptr, nullptr, nullptr);
    {
        CSingleInstance first;
        EXPECT_TRUE(first.IsFirst());
        CSingleInstance::MarkWindow(dialog);
        ::ShowWindow(dialog, SW_MINIMIZE);
        ASSERT_TRUE(::IsIconic(dialog));

        CSingleInstance later;
        EXPECT_FALSE(later.IsFirst());
        CSingleInstance::ShowFirst();
        EXPECT_FALSE(::IsIconic(dialog));
        EXPECT_TRUE(::IsWindowVisible(dialog));
    }
    EXPECT_TRUE(CSingleInstance().IsFirst());
    ::DestroyWindow(dialog);
}
