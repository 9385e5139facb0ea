// The order of a whole installation.
#pragma once

// Runs every step of the installation once, in order, and returns when it ends.
void InstallSequence();
