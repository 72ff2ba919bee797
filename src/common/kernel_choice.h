// How every family of fast kernels is chosen: each lists its variants, the plain reference
// first and faster ones after it, and start-up takes the fastest one that fits, unless the
// environment asks for the reference (TRIVISTA_REFERENCE=1), e.g. to compare the two.
#pragma once

#include "yuv_frame.h"

// Whether TRIVISTA_REFERENCE=1 is in the environment now.
bool reference_forced();

// The variant to use from `list` (reference first, `count` >= 1): the last one for which
// `fits(variant)` holds, or list[0] when none does or the reference is forced.
template <typename Variant, typename Fits>
const Variant &choose_kernel(const Variant *list, int count, Fits fits)
{
    if (!reference_forced())
        for (int i = count - 1; i > 0; i--)
            if (fits(list[i]))
                return list[i];
    return list[0];
}

template <typename Variant>
const Variant &choose_kernel(const Variant *list, int count)
{
    return choose_kernel(list, count, [](const Variant &) { return true; });
}

// A kernel family in its two sample sizes: `narrow` walks one-byte samples (up to 8 bits),
// `wide` two-byte little-endian words. Start-up chooses both once; a caller takes the one
// for its picture through kernel_for, and never asks the depth again.
template <typename Kernel>
struct SampleSizes {
    Kernel narrow;
    Kernel wide;
};

template <typename Kernel>
Kernel kernel_for(const SampleSizes<Kernel> &kernels, int bit_depth)
{
    return sample_bytes(bit_depth) == 2 ? kernels.wide : kernels.narrow;
}

template <typename Kernel>
Kernel kernel_for(const SampleSizes<Kernel> &kernels, const YuvFrame &picture)
{
    return kernel_for(kernels, picture.bit_depth);
}
