// How every family of fast kernels is chosen: each lists its variants, the plain reference
// first and faster ones after it, and start-up takes the fastest one that fits, unless the
// environment asks for the reference (TRIVISTA_REFERENCE=1), e.g. to compare the two.
#pragma once

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
