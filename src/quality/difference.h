// Difference picture and luma PSNR of two planes.
#pragma once

// Writes first - second (mod 256) into out and returns the PSNR of the pair in dB:
// +infinity for identical planes, 0 when every sample differs by 255.
double difference(const unsigned char *first, const unsigned char *second,
                  unsigned char *out, int length);

// Identical planes (infinite PSNR) are shown and averaged as 100 dB.
double cap_psnr(double value);

// Running totals of the capped PSNR of pairs 1 to 3 in the current pass (index 0 unused).
extern double psnr_total[4];
