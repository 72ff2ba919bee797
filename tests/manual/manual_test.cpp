// Every manual page renders without a warning, names every option its program's --help lists
// and the same exit statuses: both are read from the texts themselves, so neither is copied here.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "program_run.h"

// Options named in a help: every one on its usage line, and those of the option lines
// ("  -name VALUE   what it does"), each read up to the gap before its description.
static std::set<std::string> options_in_help(const std::string &help)
{
    std::set<std::string> options;
    std::regex option("(^|[\\s\\[,|])(--?[A-Za-z][A-Za-z0-9_-]*)");
    std::istringstream lines(help);
    for (std::string line; std::getline(lines, line);) {
        std::string names;
        if (line.rfind("Usage:", 0) == 0)
            names = line;
        else if (std::regex_search(line, std::regex("^ +-")))
            names = line.substr(0, line.find("  ", line.find('-')));
        for (std::sregex_iterator m(names.begin(), names.end(), option), end; m != end; ++m)
            options.insert((*m)[2]);
    }
    return options;
}

// The statuses a help's "Exit status:" paragraph names ("0 normal end; 1 usage errors; ...").
static std::set<int> statuses_in_help(const std::string &help)
{
    size_t start = help.find("Exit status:");
    std::string paragraph = start == std::string::npos ? "" : help.substr(start, help.find("\n\n", start) - start);
    std::replace(paragraph.begin(), paragraph.end(), '\n', ' ');
    std::set<int> statuses;
    std::regex status("[:;] ([0-9]+)(?=[ ;])");
    for (std::sregex_iterator m(paragraph.begin(), paragraph.end(), status), end; m != end; ++m)
        statuses.insert(std::stoi((*m)[1]));
    return statuses;
}

// The statuses of a manual page's EXIT STATUS section, one tagged paragraph each.
static std::set<int> statuses_in_page(const std::string &source)
{
    size_t start = source.find(".SH EXIT STATUS");
    std::string section = start == std::string::npos ? "" : source.substr(start, source.find("\n.SH ", start + 1) - start);
    std::set<int> statuses;
    std::regex status("\\.TP\n\\.B ([0-9]+)\n");
    for (std::sregex_iterator m(section.begin(), section.end(), status), end; m != end; ++m)
        statuses.insert(std::stoi((*m)[1]));
    return statuses;
}

static bool names_option(const std::string &page, const std::string &name)
{
    std::regex word("(^|[^A-Za-z0-9_-])" + name + "($|[^A-Za-z0-9_-])");  // names need no escape
    return std::regex_search(page, word);
}

TEST(Manuals, RenderWithoutWarningsAndNameEveryOptionAndExitStatusTheHelpLists)
{
    struct Manual { const char *program, *page; };
    const Manual manuals[] = {{"src/playback/trivista", "trivista.1"},
                              {"src/report/trivista-report", "trivista-report.1"},
                              {"src/align/trivista-align", "trivista-align.1"},
                              {"tools/trivista-makeseq", "trivista-makeseq.1"}};
    TempDir dir;
    for (const Manual &manual : manuals) {
        SCOPED_TRACE(manual.page);
        std::string program = std::string(TRIVISTA_BIN_DIR) + "/" + manual.program;
        Result help = run(program, {"--help"}, dir), short_help = run(program, {"-h"}, dir);
        EXPECT_EQ(help.status, 0);
        EXPECT_EQ(help.err, "");
        EXPECT_EQ(short_help.out, help.out);
        std::set<std::string> options = options_in_help(help.out);
        EXPECT_GE(options.size(), 5u) << help.out;

        std::string page = std::string(TRIVISTA_SOURCE_DIR) + "/man/" + manual.page;
        // At the usual width for the warnings (lines that cannot be broken among them);
        // on lines too wide to break for the search.
        Result narrow = run("/usr/bin/env", {"LC_ALL=C", "MANWIDTH=80", "man", "--warnings=w", "-l", page}, dir);
        Result wide = run("/usr/bin/env", {"LC_ALL=C", "MANWIDTH=2000", "man", "-l", page}, dir);
        EXPECT_EQ(narrow.status, 0);
        EXPECT_EQ(narrow.err, "");
        ASSERT_NE(wide.out.find("SYNOPSIS"), std::string::npos) << wide.err;
        for (const std::string &name : options)
            EXPECT_TRUE(names_option(wide.out, name)) << name << " is not in " << manual.page;
        EXPECT_EQ(statuses_in_help(help.out), statuses_in_page(read_text_file(page))) << "exit statuses";
    }
}
