// The plug-in's module state back at its load-time values: one place for the
// tests, the fuzz targets and their regression drivers.
#pragma once

void ResetPluginState();
// The same, for a caller that knows only the first `sceneRecords` records
// were written since the last reset (the scene list is megabytes).
void ResetPluginState(int sceneRecords);
