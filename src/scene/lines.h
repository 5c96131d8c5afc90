// Lines: flat segments and outlines written straight into the scene list, and
// Gouraud segments that go through the clipper.
#pragma once

namespace vrastex {

void DrawLineFlat2(const void* packet, int oowDivisor);
void DrawLineFlat4(const void* packet, int oowDivisor);
void DrawLineGouraud(const void* packet);

}  // namespace vrastex
