// The playback loop: passes over the frame range until the last pass ends.
#pragma once

// Plays every pass and returns the exit status of the shutdown.
int play();
