// Sequence labels: the names of panes and pairs with and without them.
#include <string>

#include <gtest/gtest.h>

#include "common/labels.h"
#include "common/panes.h"
#include "common/settings.h"

namespace {

struct LabelCase {
    const char *labels[4];
    const char *captions[7];  // panes 1..6
};

const LabelCase label_cases[] = {
    {{nullptr, nullptr, nullptr, nullptr},
     {"", "Original", "Encoded", "Transmitted", "Org<->Enc", "Enc<->Tra", "Org<->Tra"}},
    {{nullptr, nullptr, "CRF23", "CRF40"},
     {"", "Original", "CRF23", "CRF40", "Org<->CRF23", "CRF23<->CRF40", "Org<->CRF40"}},
    {{nullptr, "src", nullptr, ""}, {"", "src", "Encoded", "", "src<->Enc", "Enc<->", "src<->"}},
};

TEST(Labels, NameThePanesAndThePairsByTheirSequencesShortNames)
{
    for (const LabelCase &c : label_cases) {
        for (int n = 1; n <= 3; n++) {
            settings.sequence_labels[n] = nullptr;
            if (c.labels[n])
                set_sequence_label(n, c.labels[n]);
        }
        caption_panes_by_labels();
        for (int pane = 1; pane <= pane_count; pane++)
            EXPECT_EQ(std::string(panes[pane].caption), c.captions[pane]) << pane;
    }
    set_sequence_label(1, std::string(300, 'x').c_str());
    EXPECT_EQ(std::string(sequence_caption(1)), std::string(255, 'x'));
    EXPECT_EQ(std::string(pair_caption(1)), std::string(255, 'x') + "<->Enc");
}

}  // namespace
