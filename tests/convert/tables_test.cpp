// Conversion tables: chroma offsets, bit helpers, pixel-channel entries for the usual
// and unusual channel masks, clamping, and running out of memory.
#include <sys/resource.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <gtest/gtest.h>

#include "convert_fixture.h"

namespace {

TEST(ChromaTables, HoldTheTellingRowsOnEveryDisplay)
{
    const int index[7] = {0, 1, 124, 127, 128, 129, 255};
    const int red[7] = {-179, -177, -5, -1, 0, 1, 177};
    const int cr_green[7] = {91, 90, 2, 0, 0, 0, -90};
    const int cb_green[7] = {44, 43, 1, 0, 0, 0, -43};
    const int blue[7] = {-226, -225, -7, -1, 0, 1, 225};
    for (const Layout &layout : {layout_565, layout_888}) {
        use_layout(layout);
        for (int i = 0; i < 7; i++) {
            SCOPED_TRACE(index[i]);
            EXPECT_EQ(Cr_r_tab[index[i]], red[i]);
            EXPECT_EQ(Cr_g_tab[index[i]], cr_green[i]);
            EXPECT_EQ(Cb_g_tab[index[i]], cb_green[i]);
            EXPECT_EQ(Cb_b_tab[index[i]], blue[i]);
        }
    }
}

TEST(ChromaTables, TruncateEveryProductTowardZero)
{
    use_layout(layout_888);
    const double factor[4] = {0.419 / 0.299, -(0.299 / 0.419), -(0.114 / 0.331), 0.587 / 0.331};
    const int32_t *table[4] = {Cr_r_tab, Cr_g_tab, Cb_g_tab, Cb_b_tab};
    for (int t = 0; t < 4; t++) {
        for (int i = 0; i < 256; i++) {
            double product = (i - 128) * factor[t];
            int expected = product < 0 ? -(int)std::floor(-product) : (int)std::floor(product);
            EXPECT_EQ(table[t][i], expected) << "table " << t << " index " << i;
        }
    }
}

TEST(LumaTable, IsTheIdentity)
{
    use_layout(layout_565);
    for (int i = 0; i < 256; i++)
        EXPECT_EQ(L_tab[i], i);
}

TEST(BitHelpers, CountMaskBitsAndFreeBitsBelowThem)
{
    EXPECT_EQ(number_of_bits_set(0), 0);
    EXPECT_EQ(number_of_bits_set(0xF800), 5);
    EXPECT_EQ(number_of_bits_set(0x07E0), 6);
    EXPECT_EQ(number_of_bits_set(0xFF0000), 8);
    EXPECT_EQ(number_of_bits_set(0xFFFFFFFFu), 32);
    EXPECT_EQ(free_bits_at_bottom(0), 32);
    EXPECT_EQ(free_bits_at_bottom(0xF800), 11);
    EXPECT_EQ(free_bits_at_bottom(0x07E0), 5);
    EXPECT_EQ(free_bits_at_bottom(0x001F), 0);
    EXPECT_EQ(free_bits_at_bottom(0x80000000u), 31);
}

TEST(PixelChannelTables, Place565TopBitsAndRepeatThemInTheUpperHalf)
{
    use_layout(layout_565);
    for (uint32_t i = 0; i < 256; i++) {
        uint32_t red = (i >> 3) << 11, green = (i >> 2) << 5, blue = i >> 3;
        EXPECT_EQ((uint32_t)r_2_pix[i], red | red << 16) << i;
        EXPECT_EQ((uint32_t)g_2_pix[i], green | green << 16) << i;
        EXPECT_EQ((uint32_t)b_2_pix[i], blue | blue << 16) << i;
    }
    EXPECT_EQ(r_2_pix[7], 0);
    EXPECT_EQ(r_2_pix[8], 0x08000800);
    EXPECT_EQ((uint32_t)r_2_pix[255], 0xF800F800u);
    EXPECT_EQ(r_2_pix[511], r_2_pix[255]);
    EXPECT_EQ(r_2_pix[256], r_2_pix[255]);
    EXPECT_EQ(r_2_pix[-1], 0);
    EXPECT_EQ(r_2_pix[-256], 0);
}

TEST(PixelChannelTables, Place888LevelsInWholeBytesWithoutRepeating)
{
    use_layout(layout_888);
    for (int32_t i = 0; i < 256; i++) {
        EXPECT_EQ(r_2_pix[i], i << 16);
        EXPECT_EQ(g_2_pix[i], i << 8);
        EXPECT_EQ(b_2_pix[i], i);
    }
    EXPECT_EQ(r_2_pix[300], 0xFF0000);
    EXPECT_EQ(r_2_pix[-100], 0);
}

TEST(PixelChannelTables, ClampEveryLevelFromMinus256To511)
{
    for (const Layout &layout : {layout_565, layout_888}) {
        use_layout(layout);
        const int32_t *tables[3] = {r_2_pix, g_2_pix, b_2_pix};
        for (const int32_t *table : tables) {
            for (int level = -256; level < 0; level++)
                ASSERT_EQ(table[level], table[0]) << layout.name << " level " << level;
            for (int level = 256; level < 512; level++)
                ASSERT_EQ(table[level], table[255]) << layout.name << " level " << level;
        }
    }
    EXPECT_EQ(r_2_pix, r_2_pix_alloc + 256);
    EXPECT_EQ(g_2_pix, g_2_pix_alloc + 256);
    EXPECT_EQ(b_2_pix, b_2_pix_alloc + 256);
}

TEST(PixelChannelTables, GiveAnEmptyMaskNothingAtAnyLevel)
{
    for (int flag = 0; flag < 2; flag++) {
        use_layout(Layout{"no green", 0xF800, 0, 0x1F, flag});
        for (int level = -256; level < 512; level++)
            ASSERT_EQ(g_2_pix[level], 0) << level;
        EXPECT_NE(r_2_pix[255], 0);
    }
}

TEST(PixelChannelTables, PutTheLevelInTheTopEightBitsOfAWideMask)
{
    use_layout(Layout{"10-10-10", 0x3FF00000, 0x000FFC00, 0x000003FF, 1});
    for (uint32_t i = 0; i < 256; i++) {
        EXPECT_EQ((uint32_t)r_2_pix[i], i << 22) << i;
        EXPECT_EQ((uint32_t)g_2_pix[i], i << 12) << i;
        EXPECT_EQ((uint32_t)b_2_pix[i], i << 2) << i;
    }
    use_layout(Layout{"whole word", 0xFFFFFFFFu, 0x0FFF, 0, 0});
    for (uint32_t i = 0; i < 256; i++) {
        EXPECT_EQ((uint32_t)r_2_pix[i], i << 24) << i;  // doubling shifts out of the word
        uint32_t green = i << 4;
        EXPECT_EQ((uint32_t)g_2_pix[i], green | green << 16) << i;
    }
}

#if defined(__SANITIZE_ADDRESS__)
#define TRIVISTA_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TRIVISTA_ASAN 1
#endif
#endif

#if !defined(TRIVISTA_ASAN)
// Exhausts the address space of the death-test child, then builds the tables.
void build_tables_without_memory()
{
    struct rlimit limit;
    getrlimit(RLIMIT_AS, &limit);
    long pages = 0;
    FILE *statm = fopen("/proc/self/statm", "r");
    if (!statm || fscanf(statm, "%ld", &pages) != 1)
        exit(99);
    fclose(statm);
    // Tables of earlier tests would be released first and their memory reused.
    L_tab = Cr_r_tab = Cr_g_tab = Cb_g_tab = Cb_b_tab = nullptr;
    r_2_pix_alloc = g_2_pix_alloc = b_2_pix_alloc = nullptr;
    limit.rlim_cur = (rlim_t)pages * 4096 + (1 << 20);
    setrlimit(RLIMIT_AS, &limit);
    void *volatile block;  // volatile: the compiler may not drop allocations it sees unused
    do
        block = malloc(512);
    while (block != nullptr);
    wpixel[0] = 0xF800;
    wpixel[1] = 0x07E0;
    wpixel[2] = 0x001F;
    InitColorDither(0);
    exit(0);
}
#endif

TEST(TableAllocation, FailureEndsWithTheMessageAndStatus1)
{
#if defined(TRIVISTA_ASAN)
    GTEST_SKIP() << "the address sanitizer reserves more address space than any limit allows";
#else
    EXPECT_EXIT(build_tables_without_memory(), testing::ExitedWithCode(1),
                "Could not get enough memory in InitColorDither\n");
#endif
}

}  // namespace
