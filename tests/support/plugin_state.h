// The plug-in's module state back at its load-time values: one place for the
// tests, the fuzz targets and their regression drivers.
#pragma once

void ResetPluginState();

// For callers that reset thousands of times (the fuzz harnesses): the scene
// list is megabytes, so they note how far it may have been written, and
// ResetNotedPluginState clears only that far (all of it the first time).
// Records [0, records) may have been written since the last reset.
void NoteSceneRecords(long records);
void ResetNotedPluginState();
