#include "registry/CountedHandle.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

struct Counts {
    int closes = 0;
    int deletions = 0;
};

class TestHandle : public Tessaly::CCountedHandle {
public:
    TestHandle(Counts& counts, bool throwOnClose)
        : CCountedHandle(nullptr), m_counts(counts), m_throwOnClose(throwOnClose) {}

private:
    void Close() override
    {
        ++m_counts.closes;
        if (m_throwOnClose)
            throw 42;
    }
    ~TestHandle() override { ++m_counts.deletions; }

    Counts& m_counts;
    bool m_throwOnClose;
};

} // namespace

TEST(CountedHandle, ClosesAndDeletesOnlyOnTheLastRelease)
{
    Counts counts;
    Tessaly::CCountedHandle* holder = new TestHandle(counts, false);
    Tessaly::CCountedHandle* second = holder->AddRef();
    EXPECT_EQ(second, holder);

    EXPECT_EQ(holder->Release(), nullptr);
    EXPECT_EQ(counts.closes, 0);
    EXPECT_EQ(second->Release(), nullptr);
    EXPECT_EQ(counts.closes, 1);
    EXPECT_EQ(counts.deletions, 1);
}

TEST(CountedHandle, ReleaseSwallowsAFailingCloseAndStillDeletes)
{
    Counts counts;
    Tessaly::CCountedHandle* holder = new TestHandle(counts, true);
    EXPECT_NO_THROW(holder->Release());
    EXPECT_EQ(counts.closes, 1);
    EXPECT_EQ(counts.deletions, 1);
}

TEST(CountedHandle, CountsAtomicallyAcrossThreads)
{
    Counts counts;
    Tessaly::CCountedHandle* holder = new TestHandle(counts, false);
    auto churn = [holder] {
        for (int i = 0; i < 200000; ++i)
            holder->AddRef()->Release();
    };
    std::thread first(churn), second(churn);
    first.join();
    second.join();
    EXPECT_EQ(counts.closes, 0);
    holder->Release();
    EXPECT_EQ(counts.closes, 1);
}
