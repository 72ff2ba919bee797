#include "pane_watch.h"

#include <algorithm>
#include <sstream>

static const int blank_row = -2;  // the window background: not yet drawn
static const int no_match = -1;

WatchedPane watched_pane(int number, int width, int height, std::vector<Capture> candidates)
{
    WatchedPane pane;
    pane.number = number;
    pane.x = ((number - 1) % 3) * width;
    pane.y = number > 3 ? height + 30 : 0;
    pane.candidates = std::move(candidates);
    return pane;
}

static bool row_equal(const Capture &a, const Capture &b, int row)
{
    auto start_a = a.pixels.begin() + static_cast<long>(row) * a.width;
    auto start_b = b.pixels.begin() + static_cast<long>(row) * b.width;
    return std::equal(start_a, start_a + a.width, start_b);
}

static bool row_blank(const Capture &a, int row, uint32_t background)
{
    auto start = a.pixels.begin() + static_cast<long>(row) * a.width;
    return std::all_of(start, start + a.width, [&](uint32_t p) { return p == background; });
}

static int match_row(const WatchedPane &pane, const Capture &picture, int row, int hint,
                     uint32_t background)
{
    if (hint >= 0 && row_equal(pane.candidates[hint], picture, row))
        return hint;
    for (size_t c = 0; c < pane.candidates.size(); ++c)
        if (row_equal(pane.candidates[c], picture, row))
            return static_cast<int>(c);
    return row_blank(picture, row, background) ? blank_row : no_match;
}

static void classify(WatchedPane &pane, const Capture &picture, uint32_t background)
{
    std::vector<int> rows(picture.height);
    int hint = pane.shown.empty() ? -1 : pane.shown.back();
    for (int row = 0; row < picture.height; ++row) {
        rows[row] = match_row(pane, picture, row, hint, background);
        hint = rows[row] >= 0 ? rows[row] : hint;
    }
    auto bad = std::find(rows.begin(), rows.end(), no_match);
    if (bad != rows.end()) {
        if (pane.unknown++ == 0) {
            std::ostringstream where;
            where << "pane " << pane.number << " row " << (bad - rows.begin())
                  << " matches no expected picture";
            pane.first_unknown = where.str();
        }
        return;
    }
    if (std::all_of(rows.begin(), rows.end(), [](int r) { return r == blank_row; }))
        return;
    if (std::adjacent_find(rows.begin(), rows.end(), std::not_equal_to<int>()) != rows.end()) {
        ++pane.between;  // rows of two pictures: the transfer was split and caught halfway
        return;
    }
    ++pane.captures;
    if (pane.shown.empty() || pane.shown.back() != rows[0])
        pane.shown.push_back(rows[0]);
}

bool observe_panes(Display *dpy, Window window, int window_width, int window_height,
                   std::vector<WatchedPane> &panes, uint32_t colour_bits)
{
    // Only the rectangle that holds the watched panes: less to copy, quicker polls.
    int left = window_width, top = window_height, right = 0, bottom = 0;
    for (const WatchedPane &pane : panes) {
        const Capture &first = pane.candidates.front();
        left = std::min(left, pane.x);
        top = std::min(top, pane.y);
        right = std::max(right, pane.x + first.width);
        bottom = std::max(bottom, pane.y + first.height);
    }
    Capture corner = capture_region(dpy, window, window_width - 1, window_height - 1, 1, 1);
    Capture part = capture_region(dpy, window, left, top, right - left, bottom - top);
    if (corner.empty() || part.empty())
        return false;
    // The window background, as the server stores the gray of the main window.
    uint32_t background = corner.pixels[0] & colour_bits;
    part = masked(part, colour_bits);
    for (WatchedPane &pane : panes) {
        const Capture &first = pane.candidates.front();
        classify(pane, crop(part, pane.x - left, pane.y - top, first.width, first.height), background);
    }
    return true;
}

bool was_shown(const WatchedPane &pane, int label)
{
    return std::find(pane.shown.begin(), pane.shown.end(), label) != pane.shown.end();
}
