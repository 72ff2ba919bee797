#include "settings.h"

Settings settings;
Playhead playhead;

void reset_settings()
{
    settings = Settings{};
    playhead = Playhead{};
}
