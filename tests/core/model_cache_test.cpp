// The process-wide model context cache, against real queues.
#include "core/model_cache.h"
#include "support/test_printers.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

const WCHAR kQueueA[] = L"KV Cache Test A";
const WCHAR kQueueB[] = L"KV Cache Test B";
const WCHAR kQueueBLower[] = L"KV Cache Test B lower";

class ModelCache : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        InitialiseModelCache();
        installed_ =
            InstallTestPrinter(kQueueA, L"KV Cache Model A", L"KVCACHEA.PPD",
                               MakeModelText("A1", nullptr)) &&
            InstallTestPrinter(kQueueB, L"KV Cache Model B", L"KVCACHEB.PPD",
                               MakeModelText("B1", nullptr)) &&
            InstallTestPrinter(kQueueBLower, L"KV Cache Model B lower", L"kvcacheb.ppd",
                               MakeModelText("B1", nullptr));
    }
    static void TearDownTestSuite() { DestroyModelCache(); }

    void SetUp() override
    {
        ASSERT_TRUE(installed_) << "test queues could not be installed";
        a_ = OpenTestPrinter(kQueueA);
        b_ = OpenTestPrinter(kQueueB);
        ASSERT_NE(a_, nullptr);
        ASSERT_NE(b_, nullptr);
        // Every test starts from an idle cache holding model A as "A1",
        // with both descriptions settled.
        Rename(L"KVCACHEA.PPD", "A1");
        ASSERT_TRUE(SettleDriverFile(L"KVCACHEB.PPD"));
        ASSERT_TRUE(SettleDriverFile(L"kvcacheb.ppd"));
        ReleaseModelContext(AcquireModelContext(a_, kParseModelAfresh));
    }
    void TearDown() override
    {
        if (a_) ClosePrinter(a_);
        if (b_) ClosePrinter(b_);
    }

    // The descriptions have no FileVersion, so every load reads the file:
    // the nickname tells a fresh load from the cached context. Installed
    // descriptions are settled; one just written is never trusted as kept.
    static void Rename(const WCHAR* file, const char* nick, bool settle = true)
    {
        ASSERT_TRUE(WriteDriverFile(file, MakeModelText(nick, nullptr)));
        if (settle) {
            ASSERT_TRUE(SettleDriverFile(file));
        }
    }

    static bool installed_;
    HANDLE a_ = nullptr, b_ = nullptr;
};
bool ModelCache::installed_ = false;

TEST_F(ModelCache, SharesOneContextPerDataFile)
{
    ModelContext* first = AcquireModelContext(a_, kUseCachedModel);
    ModelContext* second = AcquireModelContext(a_, kUseCachedModel);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    EXPECT_STREQ(first->nickName, "A1");
    ReleaseModelContext(second);
    ReleaseModelContext(first);
    ModelContext* third = AcquireModelContext(a_, kUseCachedModel);
    EXPECT_EQ(third, first) << "kept after the last release";
    ReleaseModelContext(third);
}

TEST_F(ModelCache, WithoutTheCacheFlagParsesAfreshAndCachesWhenIdle)
{
    ModelContext* cached = AcquireModelContext(a_, kUseCachedModel);
    ModelContext* fresh = AcquireModelContext(a_, kParseModelAfresh);
    ASSERT_NE(fresh, nullptr);
    EXPECT_NE(fresh, cached) << "parsed afresh although the description is unchanged";
    ReleaseModelContext(fresh);
    ReleaseModelContext(cached);

    fresh = AcquireModelContext(a_, kParseModelAfresh);
    ReleaseModelContext(fresh);
    cached = AcquireModelContext(a_, kUseCachedModel);
    EXPECT_EQ(cached, fresh) << "an idle cache takes the fresh context";
    ReleaseModelContext(cached);
}

TEST_F(ModelCache, ChangedDescriptionIsReadAgainByTheNextAcquire)
{
    ModelContext* before = AcquireModelContext(a_, kUseCachedModel);
    ASSERT_NE(before, nullptr);
    EXPECT_STREQ(before->nickName, "A1");
    ReleaseModelContext(before);

    Rename(L"KVCACHEA.PPD", "A2");
    ModelContext* after = AcquireModelContext(a_, kUseCachedModel);
    ASSERT_NE(after, nullptr);
    EXPECT_STREQ(after->nickName, "A2");
    ReleaseModelContext(after);
}

TEST_F(ModelCache, DescriptionRewrittenWithinOneTickIsReadAgain)
{
    // Two writes of the same size in quick succession may leave the file's
    // time and size as they were: the first must not be kept as current.
    Rename(L"KVCACHEA.PPD", "A3", false);
    ModelContext* first = AcquireModelContext(a_, kUseCachedModel);
    ASSERT_NE(first, nullptr);
    EXPECT_STREQ(first->nickName, "A3");
    ReleaseModelContext(first);
    Rename(L"KVCACHEA.PPD", "A4", false);
    ModelContext* second = AcquireModelContext(a_, kUseCachedModel);
    ASSERT_NE(second, nullptr);
    EXPECT_STREQ(second->nickName, "A4");
    ReleaseModelContext(second);
}

TEST_F(ModelCache, SecondModelWhileInUseStaysPrivate)
{
    ModelContext* a = AcquireModelContext(a_, kUseCachedModel);
    ASSERT_NE(a, nullptr);
    ModelContext* b = AcquireModelContext(b_, kUseCachedModel);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    ReleaseModelContext(b);   // frees the private context

    ReleaseModelContext(a);
    ModelContext* again = AcquireModelContext(a_, kUseCachedModel);
    EXPECT_EQ(again, a) << "the cached context was left alone";
    ReleaseModelContext(again);
}

TEST_F(ModelCache, SecondModelWhileIdleReplacesTheCache)
{
    ModelContext* b = AcquireModelContext(b_, kUseCachedModel);
    ASSERT_NE(b, nullptr);
    ReleaseModelContext(b);
    ModelContext* bAgain = AcquireModelContext(b_, kUseCachedModel);
    EXPECT_EQ(bAgain, b);
    ReleaseModelContext(bAgain);
}

TEST_F(ModelCache, DataFilePathsDifferingInCaseHitTheCache)
{
    HANDLE lower = OpenTestPrinter(kQueueBLower);
    ASSERT_NE(lower, nullptr);
    ModelContext* b = AcquireModelContext(b_, kUseCachedModel);
    ModelContext* viaLower = AcquireModelContext(lower, kUseCachedModel);
    EXPECT_EQ(b, viaLower);
    ReleaseModelContext(viaLower);
    ReleaseModelContext(b);
    ClosePrinter(lower);
}

TEST_F(ModelCache, ConcurrentAcquiresShareTheCachedContext)
{
    ModelContext* reference = AcquireModelContext(a_, kUseCachedModel);
    ASSERT_NE(reference, nullptr);
    std::vector<std::thread> threads;
    std::vector<int> mismatches(6, 0);
    for (int t = 0; t < 6; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 300; ++i) {
                ModelContext* m = AcquireModelContext(a_, kUseCachedModel);
                if (m != reference)
                    ++mismatches[t];
                ReleaseModelContext(m);
            }
        });
    for (auto& thread : threads)
        thread.join();
    for (int t = 0; t < 6; ++t)
        EXPECT_EQ(mismatches[t], 0) << "thread " << t;
    ReleaseModelContext(reference);

    // Idle again: another model may now take the cache's place.
    ModelContext* b = AcquireModelContext(b_, kUseCachedModel);
    ReleaseModelContext(b);
    ModelContext* bAgain = AcquireModelContext(b_, kUseCachedModel);
    EXPECT_EQ(b, bAgain) << "use count did not return to zero";
    ReleaseModelContext(bAgain);
}

TEST_F(ModelCache, UnknownPrinterGivesNull)
{
    EXPECT_EQ(AcquireModelContext(nullptr, kUseCachedModel), nullptr);
}

} // namespace
