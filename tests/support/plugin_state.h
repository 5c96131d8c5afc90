// The plug-in's module state back at its load-time values: one place for the
// tests, the fuzz targets and their regression drivers.
#pragma once

void ResetPluginState();
