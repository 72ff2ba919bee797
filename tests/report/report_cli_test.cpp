// The trivista-report executable: its CSV and JSON lines, the summary, -min-psnr, the
// frame range rules it shares with the viewer, and its refusals.
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "report_run.h"
#include "report_sequences.h"
#include "test_files.h"

namespace {

const int W = 176, H = 144, LUMA = W * H, CHROMA = LUMA / 4;

struct Pair {
    std::vector<Frame> first, second;
};

// A pair of QCIF sequences; frame `identical` of the second is an exact copy.
Pair write_pair(const TempDir &dir, int frames, int identical = -1, int extra_bytes = 0,
                int second_frames = -1)
{
    Pair pair;
    for (int f = 0; f < frames; f++) {
        pair.first.push_back(structured_frame(W, H, f, 21));
        Frame copy = degraded_frame(pair.first.back(), W, H, 2 + f % 4, f % 2 == 0, 50 + f);
        pair.second.push_back(f == identical ? pair.first.back() : copy);
    }
    if (second_frames >= 0)
        pair.second.resize((size_t)second_frames);
    write_sequence(dir.file("a.yuv"), pair.first, extra_bytes);
    write_sequence(dir.file("b.yuv"), pair.second);
    return pair;
}

double field(const std::string &line, int index)
{
    return std::atof(fields_of(line).at((size_t)index).c_str());
}

TEST(ReportCsv, HasAHeaderAndOneLinePerFrameWithLumaAndChromaPsnrAndSsim)
{
    TempDir dir;
    Pair pair = write_pair(dir, 6);
    ReportRun run = run_report_tool({"-f1", dir.file("a.yuv"), "-f2", dir.file("b.yuv")}, dir.path());
    ASSERT_EQ(run.status, 0) << run.err;
    auto lines = lines_of(run.out);
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0], "frame,frozen_enc,org_enc_psnr_y,org_enc_psnr_u,org_enc_psnr_v,org_enc_ssim");
    for (int f = 0; f < 6; f++) {
        const std::string &line = lines[(size_t)f + 1];
        ASSERT_EQ(fields_of(line).size(), 6u) << line;
        EXPECT_EQ(fields_of(line)[0], std::to_string(f));
        EXPECT_EQ(fields_of(line)[1], "0");
        const uint8_t *a = pair.first[(size_t)f].data(), *b = pair.second[(size_t)f].data();
        EXPECT_NEAR(field(line, 2), textbook_psnr(a, b, LUMA), 0.00006) << line;
        EXPECT_NEAR(field(line, 3), textbook_psnr(a + LUMA, b + LUMA, CHROMA), 0.00006);
        EXPECT_NEAR(field(line, 4),
                    textbook_psnr(a + LUMA + CHROMA, b + LUMA + CHROMA, CHROMA), 0.00006);
        double ssim = field(line, 5);
        EXPECT_GT(ssim, 0.5);
        EXPECT_LT(ssim, 1.0);
    }
}

TEST(ReportCsv, IdenticalFramesMeasure100AndSsim1)
{
    TempDir dir;
    write_pair(dir, 4, 2);
    ReportRun run = run_report_tool({"-f1", dir.file("a.yuv"), "-f2", dir.file("b.yuv")}, dir.path());
    ASSERT_EQ(run.status, 0) << run.err;
    auto lines = lines_of(run.out);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[3], "2,0,100.0000,100.0000,100.0000,1.000000");
    EXPECT_NE(lines[2].find(",0,"), std::string::npos);
    EXPECT_EQ(lines[2].find("100.0000"), std::string::npos);

    ReportRun same = run_report_tool({"-f1", dir.file("a.yuv"), "-f2", dir.file("a.yuv")}, dir.path());
    ASSERT_EQ(same.status, 0);
    EXPECT_NE(same.err.find("PSNR Y mean 100.0000 dB, global 100.0000 dB, min 100.0000 dB at "
                            "frame 0, max 100.0000 dB"),
              std::string::npos)
        << same.err;
}

TEST(ReportCsv, LeavesSsimOutWhenAsked)
{
    TempDir dir;
    write_pair(dir, 2);
    ReportRun run = run_report_tool(
        {"-no-ssim", "-f1", dir.file("a.yuv"), "-f2", dir.file("b.yuv")}, dir.path());
    ASSERT_EQ(run.status, 0);
    auto lines = lines_of(run.out);
    EXPECT_EQ(lines.at(0), "frame,frozen_enc,org_enc_psnr_y,org_enc_psnr_u,org_enc_psnr_v");
    EXPECT_EQ(fields_of(lines.at(1)).size(), 5u);
    EXPECT_EQ(run.err.find("SSIM"), std::string::npos);
}

TEST(ReportRange, IgnoresATruncatedLastFrameOfTheFirstFile)
{
    TempDir dir;
    write_pair(dir, 5, -1, W * H + 100);
    ReportRun run = run_report_tool({"-f1", dir.file("a.yuv"), "-f2", dir.file("b.yuv")}, dir.path());
    ASSERT_EQ(run.status, 0) << run.err;
    auto lines = lines_of(run.out);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(fields_of(lines.back())[0], "4");
}

TEST(ReportRange, AShorterSecondFileIsComparedOnItsLastPicture)
{
    TempDir dir;
    Pair pair = write_pair(dir, 6, -1, 0, 3);
    ReportRun run = run_report_tool({"-f1", dir.file("a.yuv"), "-f2", dir.file("b.yuv")}, dir.path());
    ASSERT_EQ(run.status, 0) << run.err;
    auto lines = lines_of(run.out);
    ASSERT_EQ(lines.size(), 7u);
    for (int f = 3; f < 6; f++)
        EXPECT_NEAR(field(lines[(size_t)f + 1], 2),
                    textbook_psnr(pair.first[(size_t)f].data(), pair.second[2].data(), LUMA),
                    0.00006)
            << "frame " << f;
}

TEST(ReportRange, FollowsStartAndEndFramesAndFreezeLists)
{
    TempDir dir;
    Pair pair = write_pair(dir, 10);
    write_text_file(dir.file("freeze"), "4\n");
    ReportRun run = run_report_tool({"-f1", dir.file("a.yuv"), "-f2", dir.file("b.yuv"), "-s",
                                     "3", "-e", "6", "-fr2", dir.file("freeze")},
                                    dir.path());
    ASSERT_EQ(run.status, 0) << run.err;
    auto lines = lines_of(run.out);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(fields_of(lines[1])[0], "3");
    EXPECT_EQ(fields_of(lines[2])[1], "1") << "frame 4 is frozen";
    // Frame 4 compares the held frame 3; frame 5 gets the picture stored as frame 4.
    const int expected_second[] = {3, 3, 4, 5};
    for (int i = 0; i < 4; i++)
        EXPECT_NEAR(field(lines[(size_t)i + 1], 2),
                    textbook_psnr(pair.first[(size_t)i + 3].data(),
                                  pair.second[(size_t)expected_second[i]].data(), LUMA),
                    0.00006);
    EXPECT_EQ(run.out.find("froze:"), std::string::npos) << "no viewer notes in the report";
}

TEST(ReportRange, AStartFrameAfterTheEndFrameMeasuresNothing)
{
    TempDir dir;
    write_pair(dir, 8);
    ReportRun csv = run_report_tool({"-f1", dir.file("a.yuv"), "-f2", dir.file("b.yuv"), "-s",
                                     "5", "-e", "3", "-min-psnr", "99"},
                                    dir.path());
    EXPECT_EQ(csv.status, 0);
    EXPECT_EQ(lines_of(csv.out).size(), 1u) << "the header alone";
    EXPECT_EQ(csv.err, "Org<->Enc: no frames measured\n");
    ReportRun json = run_report_tool({"-json", "-f1", dir.file("a.yuv"), "-f2",
                                      dir.file("b.yuv"), "-s", "5", "-e", "3"},
                                     dir.path());
    EXPECT_EQ(json.status, 0);
    EXPECT_EQ(json.out, "{\"summary\":{\"frames\":0}}\n");
}

TEST(ReportThreeSequences, MeasuresThePairsInTheViewersOrder)
{
    TempDir dir;
    Pair pair = write_pair(dir, 3);
    std::vector<Frame> third;
    for (int f = 0; f < 3; f++)
        third.push_back(degraded_frame(pair.second[(size_t)f], W, H, 4, false, 90 + f));
    write_sequence(dir.file("c.yuv"), third);
    write_text_file(dir.file("freeze3"), "1\n");
    ReportRun run = run_report_tool({"-f1", dir.file("a.yuv"), "-f2", dir.file("b.yuv"), "-f3",
                                     dir.file("c.yuv"), "-fr3", dir.file("freeze3")},
                                    dir.path());
    ASSERT_EQ(run.status, 0) << run.err;
    auto lines = lines_of(run.out);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0],
              "frame,frozen_enc,frozen_tra,"
              "org_enc_psnr_y,org_enc_psnr_u,org_enc_psnr_v,org_enc_ssim,"
              "enc_tra_psnr_y,enc_tra_psnr_u,enc_tra_psnr_v,enc_tra_ssim,"
              "org_tra_psnr_y,org_tra_psnr_u,org_tra_psnr_v,org_tra_ssim");
    EXPECT_EQ(fields_of(lines[2])[2], "1");
    // Frame 1: sequence 3 holds its frame 0.
    const Frame &a = pair.first[1], &b = pair.second[1], &c = third[0];
    EXPECT_NEAR(field(lines[2], 3), textbook_psnr(a.data(), b.data(), LUMA), 0.00006);
    EXPECT_NEAR(field(lines[2], 7), textbook_psnr(b.data(), c.data(), LUMA), 0.00006);
    EXPECT_NEAR(field(lines[2], 11), textbook_psnr(a.data(), c.data(), LUMA), 0.00006);
    EXPECT_NE(run.err.find("Org<->Enc: 3 frames"), std::string::npos);
    EXPECT_NE(run.err.find("Enc<->Tra: 3 frames"), std::string::npos);
    EXPECT_NE(run.err.find("Org<->Tra: 3 frames"), std::string::npos);
}

TEST(ReportThreeSequences, GivesTheSameReportOnOneThreadAndOnTwo)
{
    TempDir dir;
    Pair pair = write_pair(dir, 5);
    std::vector<Frame> third;
    for (int f = 0; f < 5; f++)
        third.push_back(degraded_frame(pair.first[(size_t)f], W, H, 7, true, 40 + f));
    write_sequence(dir.file("c.yuv"), third);
    write_text_file(dir.file("freeze2"), "2\n");
    std::vector<std::string> files = {"-f1", dir.file("a.yuv"), "-f2", dir.file("b.yuv"),
                                      "-f3", dir.file("c.yuv"), "-fr2", dir.file("freeze2")};
    for (bool ssim : {true, false}) {
        std::vector<std::string> one = files, two = files;
        one.insert(one.end(), {"-threads", "1"});
        two.insert(two.end(), {"-threads", "2"});
        if (!ssim) {
            one.push_back("-no-ssim");
            two.push_back("-no-ssim");
        }
        ReportRun single = run_report_tool(one, dir.path());
        ReportRun dual = run_report_tool(two, dir.path());
        ASSERT_EQ(single.status, 0) << single.err;
        EXPECT_EQ(dual.status, 0);
        EXPECT_EQ(lines_of(single.out).size(), 6u);
        EXPECT_EQ(dual.out, single.out);
        EXPECT_EQ(dual.err, single.err);
    }
}

TEST(ReportSummary, GivesMeanGlobalMinMaxAndTheFrameOfTheMinimum)
{
    TempDir dir;
    Pair pair = write_pair(dir, 8, 5);
    ReportRun run = run_report_tool({"-f1", dir.file("a.yuv"), "-f2", dir.file("b.yuv")}, dir.path());
    ASSERT_EQ(run.status, 0) << run.err;
    double total = 0, sum_of_squares = 0, min = 1e9, max = -1;
    int min_frame = -1;
    for (int f = 0; f < 8; f++) {
        const uint8_t *a = pair.first[(size_t)f].data(), *b = pair.second[(size_t)f].data();
        double psnr = textbook_psnr(a, b, LUMA);
        total += psnr;
        for (int i = 0; i < LUMA; i++)
            sum_of_squares += (double)(a[i] - b[i]) * (a[i] - b[i]);
        if (psnr < min) {
            min = psnr;
            min_frame = f;
        }
        max = std::max(max, psnr);
    }
    double global = 10 * std::log10(65025.0 / (sum_of_squares / (8.0 * LUMA)));
    char expected[300];
    snprintf(expected, sizeof expected,
             "Org<->Enc: 8 frames, PSNR Y mean %.4f dB, global %.4f dB, min %.4f dB at frame "
             "%d, max %.4f dB; U mean ",
             total / 8, global, min, min_frame, max);
    EXPECT_NE(run.err.find(expected), std::string::npos) << run.err << "\nexpected " << expected;
    EXPECT_EQ(max, 100.0) << "frame 5 is identical";
    EXPECT_GT(total / 8, global) << "the capped identical frame lifts only the mean";
}

TEST(ReportJson, WritesOneObjectPerFrameAndTheSummaryLast)
{
    TempDir dir;
    write_pair(dir, 3, 1);
    ReportRun run = run_report_tool(
        {"-json", "-f1", dir.file("a.yuv"), "-f2", dir.file("b.yuv"), "-min-psnr", "20.1"},
        dir.path());
    ASSERT_EQ(run.status, 0) << run.err;
    auto lines = lines_of(run.out);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].rfind("{\"frame\":0,\"frozen_enc\":false,\"org_enc\":{\"psnr_y\":", 0), 0u)
        << lines[0];
    EXPECT_EQ(lines[1],
              "{\"frame\":1,\"frozen_enc\":false,\"org_enc\":{\"psnr_y\":100.0000,"
              "\"psnr_u\":100.0000,\"psnr_v\":100.0000,\"ssim\":1.000000}}");
    EXPECT_EQ(lines[3].rfind("{\"summary\":{\"frames\":3,\"org_enc\":{\"mean_psnr_y\":", 0), 0u)
        << lines[3];
    EXPECT_NE(lines[3].find("\"min_psnr\":20.1,\"frames_below_min_psnr\":0}}"), std::string::npos)
        << lines[3];
    EXPECT_EQ(run.err, "");
}

TEST(ReportMinPsnr, ExitsWith2AfterTheFullReportWhenAFrameFallsBelow)
{
    TempDir dir;
    write_pair(dir, 6);
    std::vector<std::string> files = {"-f1", dir.file("a.yuv"), "-f2", dir.file("b.yuv")};
    ReportRun all = run_report_tool(files, dir.path());
    ASSERT_EQ(all.status, 0);
    auto lines = lines_of(all.out);
    double lowest = 1e9, highest = 0;
    for (size_t i = 1; i < lines.size(); i++) {
        lowest = std::min(lowest, field(lines[i], 2));
        highest = std::max(highest, field(lines[i], 2));
    }
    ASSERT_LT(lowest + 0.01, highest) << "the test needs frames of different quality";

    auto with_limit = [&](double limit) {
        std::vector<std::string> args = files;
        args.push_back("-min-psnr");
        args.push_back(std::to_string(limit));
        return run_report_tool(args, dir.path());
    };
    ReportRun passes = with_limit(lowest - 0.001);
    EXPECT_EQ(passes.status, 0) << passes.err;
    EXPECT_EQ(passes.out, all.out);

    ReportRun fails = with_limit((lowest + highest) / 2);
    EXPECT_EQ(fails.status, 2);
    EXPECT_EQ(fails.out, all.out) << "the full report is written first";
    EXPECT_NE(fails.err.find("frames below the minimum PSNR of"), std::string::npos) << fails.err;
}

TEST(ReportRefusals, KeepTheViewersMessagesAndStatuses)
{
    TempDir dir;
    write_pair(dir, 2);
    std::string a = dir.file("a.yuv"), b = dir.file("b.yuv");

    ReportRun none = run_report_tool({}, dir.path());
    EXPECT_EQ(none.status, 255);
    EXPECT_NE(none.out.find("Usage:"), std::string::npos);

    ReportRun missing = run_report_tool({"-f1", a, "-f2", dir.file("nothing.yuv")}, dir.path());
    EXPECT_EQ(missing.status, 3);
    EXPECT_EQ(missing.err, "Can't open yuvfile2 for input!\n");

    ReportRun order = run_report_tool({"-f2", b, "-f1", a}, dir.path());
    EXPECT_EQ(order.status, 1);
    EXPECT_NE(order.out.find("Usage:"), std::string::npos);

    ReportRun freeze = run_report_tool({"-f1", a, "-f2", b, "-fr2", dir.file("no.freeze")},
                                       dir.path());
    EXPECT_EQ(freeze.status, 255);
    EXPECT_EQ(freeze.out, "Could not open file: " + dir.file("no.freeze") + "\n");

    write_text_file(dir.file("empty.yuv"), "");
    ReportRun empty = run_report_tool({"-f1", dir.file("empty.yuv"), "-f2", b}, dir.path());
    EXPECT_EQ(empty.status, 1);
    EXPECT_NE(empty.err.find("empty.yuv"), std::string::npos) << empty.err;
    EXPECT_EQ(empty.out, "");
}

TEST(ReportRefusals, NeedTwoSequencesAndANumericLimit)
{
    TempDir dir;
    write_pair(dir, 2);
    std::string a = dir.file("a.yuv"), b = dir.file("b.yuv");

    ReportRun one = run_report_tool({"-f1", a, "-CIF"}, dir.path());
    EXPECT_EQ(one.status, 1);
    EXPECT_NE(one.err.find("at least two sequences"), std::string::npos) << one.err;

    for (const char *bad : {"abc", "30dB", "", "nan", "inf"}) {
        ReportRun run = run_report_tool({"-f1", a, "-f2", b, "-min-psnr", bad}, dir.path());
        EXPECT_EQ(run.status, 1) << bad;
        EXPECT_NE(run.err.find("-min-psnr"), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "") << bad;
    }
    for (const char *threads : {"0", "3", "two"}) {
        ReportRun run = run_report_tool({"-f1", a, "-f2", b, "-threads", threads}, dir.path());
        EXPECT_EQ(run.status, 1) << threads;
        EXPECT_EQ(run.err, "-threads takes 1 or 2\n");
    }
    ReportRun last = run_report_tool({"-f1", a, "-f2", b, "-min-psnr"}, dir.path());
    EXPECT_EQ(last.status, 1);
    EXPECT_EQ(last.out, "");
}

}  // namespace
