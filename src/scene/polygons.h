// Flat and Gouraud polygons and tiles: host packets to untextured records.
#pragma once

namespace vrastex {

void DrawFlat(const void* packet);
void DrawFlat4(const void* packet);
void DrawGouraud(const void* packet);
void DrawGouraud4(const void* packet);
void DrawTile(const void* packet);

}  // namespace vrastex
