// Reduced pictures: the mean luma (of every other row) of each cell of a grid of at most
// max_signature_columns x max_signature_rows cells, cells at least 8x8 samples. The
// alignment compares these, at most 2304 bytes a frame, instead of whole pictures.
#pragma once

#include <cstdint>

const int max_signature_columns = 48;
const int max_signature_rows = 48;
const int signature_cell_min = 8;

// Samples in the signature of a width x height picture.
int signature_length(int width, int height);

// Writes the signature of a luma plane into `out` (signature_length bytes).
void compute_signature(const unsigned char *luma, int width, int height, unsigned char *out);

// Sum of the absolute differences of two signatures.
int64_t signature_distance(const unsigned char *a, const unsigned char *b, int length);
