// The manual pages: every option the programs take is documented, the pages render
// without warnings, and an install puts programs and pages in place.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <regex>
#include <set>
#include <string>

#include "child_process.h"
#include "test_files.h"

namespace {

const std::string manual = std::string(TRIVISTA_SOURCE_DIR) + "/man/trivista.1";
const std::string makeseq_manual = std::string(TRIVISTA_SOURCE_DIR) + "/man/trivista-makeseq.1";

bool exists(const std::string &path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

// Options named at the start of a line of a usage text ("-fps\t..." or "-size WxH ...").
std::set<std::string> options_in_usage(const std::string &usage)
{
    std::set<std::string> options;
    std::regex option_line("(^|\n)(-[A-Za-z0-9]+)[\t ]");
    for (auto it = std::sregex_iterator(usage.begin(), usage.end(), option_line);
         it != std::sregex_iterator(); ++it)
        options.insert((*it)[2]);
    return options;
}

// roff writes a minus sign as \- ; a bare - would be a hyphen.
bool documents_option(const std::string &page, const std::string &option)
{
    return page.find("\\" + option) != std::string::npos;
}

TEST(ManualPage, DocumentsEveryOptionOfTheUsageTextAndTheAddedOnes)
{
    TempDir tmp;
    ChildProcess viewer(trivista_path(), {}, "", tmp.path(), "usage");
    ASSERT_TRUE(viewer.wait(30));
    std::set<std::string> options = options_in_usage(viewer.stdout_text());
    ASSERT_GE(options.size(), 10u) << viewer.stdout_text();
    for (const char *added : {"-f1", "-f2", "-f3", "-size", "-shm"})
        options.insert(added);
    std::string page = read_text_file(manual);
    for (const std::string &option : options)
        EXPECT_TRUE(documents_option(page, option)) << option << " is not in trivista.1";
    for (const char *name : {"TRIVISTA_REFERENCE", "DISPLAY", "YUV4MPEG2", "C420jpeg"})
        EXPECT_NE(page.find(name), std::string::npos) << name;
}

TEST(ManualPage, GivesEveryExitStatusAndTheFixedMessages)
{
    std::string page = read_text_file(manual);
    for (const char *text : {".SH EXIT STATUS", "\n.B 0\n", "\n.B 1\n", "\n.B 3\n", "\n.B 255\n",
                             "Can't open yuvfile1 for input!", "Could not open file: ",
                             "Can not open display", "requires 16/24/32 bit TrueColor display",
                             "froze: "})
        EXPECT_NE(page.find(text), std::string::npos) << text;
}

TEST(ManualPage, GeneratorPageDocumentsEveryOptionOfItsUsage)
{
    TempDir tmp;
    ChildProcess makeseq(std::string(TRIVISTA_BIN_DIR) + "/tools/trivista-makeseq", {"-h"}, "",
                         tmp.path(), "makeseq");
    ASSERT_TRUE(makeseq.wait(30));
    std::string usage = makeseq.stdout_text();
    std::regex option("\\[(-[A-Za-z]+)");
    std::string page = read_text_file(makeseq_manual);
    int count = 0;
    for (auto it = std::sregex_iterator(usage.begin(), usage.end(), option);
         it != std::sregex_iterator(); ++it, ++count)
        EXPECT_TRUE(documents_option(page, (*it)[1])) << (*it)[1] << " is not in trivista-makeseq.1";
    EXPECT_GE(count, 5) << usage;
}

TEST(ManualPage, PagesRenderWithoutWarnings)
{
    if (system("command -v groff >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "groff is not installed";
    TempDir tmp;
    for (const std::string &page : {manual, makeseq_manual}) {
        ChildProcess groff("/bin/sh", {"-c", "groff -man -Tutf8 -ww -z '" + page + "'"}, "",
                           tmp.path(), "groff");
        ASSERT_TRUE(groff.wait(60));
        EXPECT_EQ(groff.exit_status(), 0) << page;
        EXPECT_EQ(groff.stderr_text(), "") << page;
    }
}

TEST(Install, PutsTheProgramsAndTheManualPagesInPlace)
{
    TempDir tmp;
    ChildProcess install(CMAKE_COMMAND_PATH,
                         {"--install", TRIVISTA_BIN_DIR, "--prefix", tmp.file("prefix")}, "",
                         tmp.path(), "install");
    ASSERT_TRUE(install.wait(120));
    ASSERT_EQ(install.exit_status(), 0) << install.stdout_text() << install.stderr_text();
    for (const char *file : {"bin/trivista", "bin/trivista-makeseq", "share/man/man1/trivista.1",
                             "share/man/man1/trivista-makeseq.1"})
        EXPECT_TRUE(exists(tmp.file("prefix/") + file)) << file;
}

}  // namespace
