// Test programs built against vrastex.dll instead of the linked plug-in.
#pragma once

// Unmaps the DLL if it is loaded and maps it again: every piece of its
// module state back at its load-time values. Aborts with the loader's
// message if the DLL is refused.
void PluginDllLoadFresh();
