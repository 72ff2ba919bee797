// Reduced pictures for the alignment: cell means of the luma plane.
#include "signature.h"

#include <cstddef>
#include <vector>

static int grid_columns(int width)
{
    int columns = width / signature_cell_min;
    return columns < 1 ? 1 : columns > max_signature_columns ? max_signature_columns : columns;
}

static int grid_rows(int height)
{
    int rows = height / signature_cell_min;
    return rows < 1 ? 1 : rows > max_signature_rows ? max_signature_rows : rows;
}

int signature_length(int width, int height)
{
    return grid_columns(width) * grid_rows(height);
}

void compute_signature(const unsigned char *luma, int width, int height, unsigned char *out)
{
    // Column sums over a band of rows first (a loop the compiler vectorises), then cells;
    // the cell edges and reciprocals are worked out once, not per cell.
    int columns = grid_columns(width), rows = grid_rows(height);
    // 16 bits hold a band of up to 257 rows; pictures have at most 2304 rows in 48 bands.
    std::vector<uint16_t> column_sums((size_t)width);
    std::vector<int> edge((size_t)columns + 1);
    std::vector<double> inverse_width((size_t)columns);
    for (int c = 0; c <= columns; c++)
        edge[c] = (int)((int64_t)c * width / columns);
    for (int c = 0; c < columns; c++)
        inverse_width[c] = 1.0 / (edge[c + 1] - edge[c]);
    for (int r = 0; r < rows; r++) {
        int y0 = (int)((int64_t)r * height / rows), y1 = (int)((int64_t)(r + 1) * height / rows);
        // Every other row: half the work, and a cell mean of half its samples still
        // averages away coding noise.
        double inverse_height = 1.0 / ((y1 - y0 + 1) / 2);
        column_sums.assign((size_t)width, 0);
        for (int y = y0; y < y1; y += 2) {
            const unsigned char *row = luma + (int64_t)y * width;
            for (int x = 0; x < width; x++)
                column_sums[x] = (uint16_t)(column_sums[x] + row[x]);
        }
        for (int c = 0; c < columns; c++) {
            uint32_t sum = 0;
            for (int x = edge[c]; x < edge[c + 1]; x++)
                sum += column_sums[x];
            out[r * columns + c] = (unsigned char)(sum * inverse_width[c] * inverse_height + 0.5);
        }
    }
}

int64_t signature_distance(const unsigned char *a, const unsigned char *b, int length)
{
    // The plain absolute-difference idiom, which the compiler turns into packed sums of
    // absolute differences.
    uint32_t sum = 0;
    for (int k = 0; k < length; k++) {
        int d = (int)a[k] - (int)b[k];
        sum += (uint32_t)(d < 0 ? -d : d);
    }
    return sum;
}
