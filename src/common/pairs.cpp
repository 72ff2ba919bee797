#include "pairs.h"

const PairInfo pairs[4] = {
    {0, 0, 0, "", ""},
    {1, 2, 4, "Org<->Enc", "org_enc"},
    {2, 3, 5, "Enc<->Tra", "enc_tra"},
    {1, 3, 6, "Org<->Tra", "org_tra"},
};
