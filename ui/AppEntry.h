#pragma once

#include "presets/MediaPreset.h"

// Starts GDI+, zeroes the program-wide instances and creates the catalogue.
bool initApplication();
// Destroys the pictures, then shuts GDI+ down.
void shutdownApplication();
// The main window's template: the one with the preset chooser only when the
// catalogue offers a choice.
int mainTemplateId(const MediaPreset* catalogue);
