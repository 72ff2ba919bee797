// The report against a widely used peer: ffmpeg's psnr and ssim filters on the same two
// raw sequences. Luma and chroma PSNR agree within 0.01 dB on planes that differ, luma
// SSIM within 0.001.
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "child_process.h"
#include "report_run.h"
#include "report_sequences.h"
#include "test_files.h"

namespace {

std::string find_ffmpeg()
{
    const char *path = getenv("PATH");
    std::istringstream dirs(path ? path : "/usr/bin:/bin");
    for (std::string dir; std::getline(dirs, dir, ':');) {
        std::string candidate = dir + "/ffmpeg";
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return "";
}

// Per frame, the metadata values ffmpeg printed (lavfi.psnr.psnr.y=..., lavfi.ssim.Y=...).
typedef std::vector<std::map<std::string, std::string>> PeerValues;

PeerValues run_peer(const std::string &ffmpeg, const std::string &filter, const std::string &a,
                    const std::string &b, int width, int height, const TempDir &dir)
{
    std::string size = std::to_string(width) + "x" + std::to_string(height);
    std::string metadata = dir.file(filter + ".txt");
    std::vector<std::string> args = {"-hide_banner", "-loglevel", "error", "-f", "rawvideo",
                                     "-pix_fmt", "yuv420p", "-s", size, "-i", a, "-f",
                                     "rawvideo", "-pix_fmt", "yuv420p", "-s", size, "-i", b,
                                     "-lavfi",
                                     "[0][1]" + filter + ",metadata=mode=print:file=" + metadata,
                                     "-f", "null", "-"};
    ChildProcess peer(ffmpeg, args, "", dir.path(), filter);
    EXPECT_TRUE(peer.wait(120) && peer.exited_normally() && peer.exit_status() == 0)
        << peer.stderr_text();
    PeerValues values;
    for (const std::string &line : lines_of(read_text_file(metadata))) {
        if (line.rfind("frame:", 0) == 0)
            values.emplace_back();
        size_t equals = line.find('=');
        if (equals != std::string::npos && !values.empty())
            values.back()[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return values;
}

void compare_with_peer(int width, int height, int frames, int identical_frame)
{
    std::string ffmpeg = find_ffmpeg();
    ASSERT_FALSE(ffmpeg.empty()) << "ffmpeg (Debian package ffmpeg) is the peer of this test";
    TempDir dir;
    std::vector<Frame> first, second;
    for (int f = 0; f < frames; f++) {
        first.push_back(structured_frame(width, height, f, 77));
        second.push_back(f == identical_frame
                             ? first.back()
                             : degraded_frame(first.back(), width, height, 1 + f % 6, f % 3 != 0, f));
    }
    write_sequence(dir.file("a.yuv"), first);
    write_sequence(dir.file("b.yuv"), second);
    std::string size = std::to_string(width) + "x" + std::to_string(height);
    ReportRun run = run_report_tool(
        {"-size", size, "-f1", dir.file("a.yuv"), "-f2", dir.file("b.yuv")}, dir.path());
    ASSERT_EQ(run.status, 0) << run.err;
    auto lines = lines_of(run.out);
    ASSERT_EQ(lines.size(), (size_t)frames + 1);

    PeerValues psnr = run_peer(ffmpeg, "psnr", dir.file("a.yuv"), dir.file("b.yuv"), width,
                               height, dir);
    PeerValues ssim = run_peer(ffmpeg, "ssim", dir.file("a.yuv"), dir.file("b.yuv"), width,
                               height, dir);
    ASSERT_EQ(psnr.size(), (size_t)frames);
    ASSERT_EQ(ssim.size(), (size_t)frames);
    int planes_compared = 0;
    for (int f = 0; f < frames; f++) {
        auto ours = fields_of(lines[(size_t)f + 1]);
        const char *planes[] = {"y", "u", "v"};
        for (int p = 0; p < 3; p++) {
            double mse = std::atof(psnr[(size_t)f]["lavfi.psnr.mse." + std::string(planes[p])].c_str());
            double value = std::atof(ours[(size_t)p + 2].c_str());
            if (mse == 0) {
                EXPECT_EQ(value, 100.0) << "frame " << f << " plane " << planes[p];
                continue;
            }
            double peer = std::atof(psnr[(size_t)f]["lavfi.psnr.psnr." + std::string(planes[p])].c_str());
            EXPECT_NEAR(value, peer, 0.01) << "frame " << f << " plane " << planes[p];
            planes_compared++;
        }
        EXPECT_NEAR(std::atof(ours[5].c_str()), std::atof(ssim[(size_t)f]["lavfi.ssim.Y"].c_str()),
                    0.001)
            << "frame " << f;
    }
    EXPECT_GE(planes_compared, 3 * (frames - 1));
}

TEST(ReportAgainstFfmpeg, CifPsnrAndSsimAgree)
{
    compare_with_peer(352, 288, 8, 4);
}

TEST(ReportAgainstFfmpeg, QcifPsnrAndSsimAgree)
{
    compare_with_peer(176, 144, 6, -1);
}

TEST(ReportAgainstFfmpeg, ASizeThatIsNoMultipleOfEightAgrees)
{
    compare_with_peer(100, 60, 5, 0);
}

TEST(ReportInputs, AYuv4mpegFileMeasuresLikeItsRawPlanes)
{
    std::string ffmpeg = find_ffmpeg();
    ASSERT_FALSE(ffmpeg.empty()) << "ffmpeg (Debian package ffmpeg) writes the test file";
    TempDir dir;
    std::vector<Frame> first, second;
    for (int f = 0; f < 4; f++) {
        first.push_back(structured_frame(64, 48, f, 5));
        second.push_back(degraded_frame(first.back(), 64, 48, 3, true, f));
    }
    write_sequence(dir.file("a.yuv"), first);
    write_sequence(dir.file("b.yuv"), second);
    ChildProcess convert(ffmpeg,
                         {"-hide_banner", "-loglevel", "error", "-f", "rawvideo", "-pix_fmt",
                          "yuv420p", "-s", "64x48", "-i", dir.file("b.yuv"), "-f",
                          "yuv4mpegpipe", dir.file("b.y4m")},
                         "", dir.path(), "convert");
    ASSERT_TRUE(convert.wait(60) && convert.exited_normally() && convert.exit_status() == 0);

    ReportRun raw = run_report_tool(
        {"-size", "64x48", "-f1", dir.file("a.yuv"), "-f2", dir.file("b.yuv")}, dir.path());
    ReportRun y4m = run_report_tool({"-f1", dir.file("a.yuv"), "-f2", dir.file("b.y4m")},
                                    dir.path());
    ASSERT_EQ(raw.status, 0) << raw.err;
    EXPECT_EQ(y4m.status, 0) << y4m.err;
    EXPECT_EQ(lines_of(raw.out).size(), 5u);
    EXPECT_EQ(y4m.out, raw.out);
    EXPECT_EQ(y4m.err, raw.err);
}

}  // namespace
