// Dynamic programming over a band of the (received, reference) grid. A cell (i, o) stands
// for "i received and i + o reference frames accounted for"; o is the net number of drops.
// Match moves to (i + 1, o), an insertion to (i + 1, o - 1), a drop to (i, o + 1), so every
// move is local and a cell costs O(1): time and memory grow with frames x window.
#include "alignment.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

enum : unsigned char { move_none, move_match, move_drop, move_insert };

static const int64_t unreachable = INT64_MAX / 4;

int align_frames(int received, int reference, int max_drop, int max_insert, int tail_free,
                 const AlignmentCosts *costs, match_cost_fn cost, void *context,
                 Alignment *out)
{
    out->reference_of = nullptr;
    out->dropped = nullptr;
    out->drop_count = out->insert_count = 0;
    out->cost = 0;
    if (received < 0 || reference < 1 || max_drop < 0 || max_insert < 0)
        return 0;
    const int lo = -max_insert, width = max_drop + max_insert + 1;
    std::vector<unsigned char> moves((size_t)(received + 1) * (size_t)width, move_none);
    std::vector<int64_t> previous(width, unreachable), current(width, unreachable);
    auto move_at = [&](int i, int o) -> unsigned char & { return moves[(size_t)i * width + (o - lo)]; };

    int64_t best = unreachable;
    int best_i = -1, best_o = 0;
    // An end: every reference frame accounted for, the ones after j as trailing drops.
    auto consider_end = [&](int i, int o, int64_t total) {
        int j = i + o;
        if (total >= unreachable || (i < received && !(tail_free && j == reference)))
            return;
        total += (int64_t)(reference - j) * costs->drop;
        if (total < best) {
            best = total;
            best_i = i;
            best_o = o;
        }
    };
    for (int i = 0; i <= received; i++) {
        for (int o = lo; o <= max_drop; o++) {
            int j = i + o;
            int64_t value = unreachable;
            unsigned char move = move_none;
            if (i == 0 && o == 0)
                value = 0;
            if (i > 0 && j >= 1 && j <= reference && previous[o - lo] < unreachable) {
                value = previous[o - lo] + cost(i - 1, j - 1, context);
                move = move_match;
            }
            if (j >= 1 && j <= reference && o > lo && current[o - 1 - lo] + costs->drop < value) {
                value = current[o - 1 - lo] + costs->drop;
                move = move_drop;
            }
            if (i > 0 && j >= 0 && j <= reference && o < max_drop &&
                previous[o + 1 - lo] + costs->insert < value) {
                value = previous[o + 1 - lo] + costs->insert;
                move = move_insert;
            }
            current[o - lo] = j >= 0 && j <= reference ? value : unreachable;
            move_at(i, o) = move;
        }
        // Descending o: on a tie the end with more drops already made wins (earliest drop).
        for (int o = max_drop; o >= lo; o--)
            consider_end(i, o, current[o - lo]);
        previous.swap(current);
    }
    if (best_i < 0)
        return 0;
    out->cost = best;

    out->reference_of = (int *)malloc(sizeof(int) * (size_t)(received > 0 ? received : 1));
    out->dropped = (unsigned char *)calloc((size_t)reference, 1);
    if (!out->reference_of || !out->dropped) {
        free_alignment(out);
        return 0;
    }
    for (int i = best_i; i < received; i++)
        out->reference_of[i] = -2;
    for (int j = best_i + best_o; j < reference; j++)
        out->dropped[j] = 1;
    for (int i = best_i, o = best_o; i > 0 || o > 0;) {
        unsigned char move = move_at(i, o);
        if (move == move_match) {
            out->reference_of[i - 1] = i - 1 + o;
            i--;
        } else if (move == move_drop) {
            out->dropped[i + o - 1] = 1;
            o--;
        } else {
            out->reference_of[i - 1] = -1;
            i--;
            o++;
        }
    }
    for (int j = 0; j < reference; j++)
        out->drop_count += out->dropped[j];
    for (int i = 0; i < received; i++)
        out->insert_count += out->reference_of[i] == -1;
    return 1;
}

// The received frames matched one after the other, without a drop or insertion between.
static bool consecutive(const Alignment *alignment, int i)
{
    return alignment->reference_of[i] >= 0 && alignment->reference_of[i + 1] == alignment->reference_of[i] + 1;
}

int refine_drops(Alignment *alignment, int received, int reference, int radius, int max_drop,
                 int64_t margin, match_cost_fn cost, match_cost_fn exact, void *context)
{
    std::vector<int> matched_by(reference, -1);
    for (int i = 0; i < received; i++)
        if (alignment->reference_of[i] >= 0)
            matched_by[alignment->reference_of[i]] = i;
    int ambiguous = 0;
    int last;
    for (int first = next_drop_run(alignment, reference, 0, &last); first < reference;
         first = next_drop_run(alignment, reference, last + 1, &last)) {
        int before = first > 0 ? matched_by[first - 1] : -1;
        int after = last + 1 < reference ? matched_by[last + 1] : -1;
        if ((before < 0 && after < 0) || (before >= 0 && after >= 0 && after != before + 1))
            continue;  // nothing to move against, or an insertion sits in the run
        // Received frames [left, right] keep offset `offset` before the run, offset + length
        // after it; split is the first frame after the run.
        int length = last - first + 1, split = after >= 0 ? after : before + 1;
        int offset = before >= 0 ? first - 1 - before : last + 1 - after - length;
        if (offset + length > max_drop)
            continue;  // drops beyond the bound, at the end
        int left = split, right = split - 1;
        if (before >= 0)
            for (left = before; left > 0 && split - left < radius && consecutive(alignment, left - 1);)
                left--;
        if (after >= 0)
            for (right = after; right + 1 < received && right - split + 1 < radius && consecutive(alignment, right);)
                right++;
        // Signature costs of every place first; exact ones only where those come within
        // `margin` of the best, over the frames that tell those places apart.
        int count = right - left + 1;
        std::vector<int64_t> early(count), late(count), total(count + 1, 0);
        for (int i = left; i <= right; i++) {
            early[i - left] = cost(i, i + offset, context);  // both in range: see the offsets
            late[i - left] = cost(i, i + offset + length, context);
            total[0] += late[i - left];
        }
        for (int k = 1; k <= count; k++)
            total[k] = total[k - 1] - late[k - 1] + early[k - 1];
        int64_t lowest = *std::min_element(total.begin(), total.end());
        int low = 0, high = count;
        while (total[low] > lowest + margin)
            low++;
        while (total[high] > lowest + margin)
            high--;
        for (int i = left + low; i < left + high; i++) {
            early[i - left] = exact(i, i + offset, context);
            late[i - left] = exact(i, i + offset + length, context);
        }
        total[low] = 0;
        for (int i = left + low; i < left + high; i++)
            total[low] += late[i - left];
        int best = low, ties = 0;
        for (int k = low + 1; k <= high; k++) {
            total[k] = total[k - 1] - late[k - 1] + early[k - 1];
            if (total[k] < total[best])
                best = k, ties = 0;
            else if (total[k] == total[best])
                ties++;
        }
        ambiguous += ties > 0;
        for (int j = first; j <= last; j++)
            alignment->dropped[j] = 0;
        for (int i = left; i <= right; i++) {
            int j = i < left + best ? i + offset : i + offset + length;
            alignment->reference_of[i] = j;
            matched_by[j] = i;
        }
        first = left + best + offset;
        last = first + length - 1;
        for (int j = first; j <= last; j++)
            alignment->dropped[j] = 1, matched_by[j] = -1;
    }
    return ambiguous;
}

int next_drop_run(const Alignment *alignment, int reference, int from, int *last)
{
    int first = from;
    while (first < reference && !alignment->dropped[first])
        first++;
    *last = first;
    while (*last + 1 < reference && alignment->dropped[*last + 1])
        ++*last;
    return first;
}

void free_alignment(Alignment *alignment)
{
    free(alignment->reference_of);
    free(alignment->dropped);
    alignment->reference_of = nullptr;
    alignment->dropped = nullptr;
}
