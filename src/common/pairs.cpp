#include "pairs.h"

const PairInfo pairs[4] = {
    {0, 0, "", ""},
    {1, 2, "Org<->Enc", "org_enc"},
    {2, 3, "Enc<->Tra", "enc_tra"},
    {1, 3, "Org<->Tra", "org_tra"},
};
