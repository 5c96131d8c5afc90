// The texture page cache: the texture area of the staging surface kept
// resident in TMU memory as 17 pages of 256 x 256 texels, page n in slot n.
#pragma once

#include <cstdint>

namespace vrastex {

constexpr int kPageCount = 17;
constexpr int kPageSize = 256;

// t multiplier per slot: pages 0-2 are stored at half height, slot 17 never holds a page.
extern const float kPageTScale[18];

void LoadTextures();
void LoadTexturePage(int page);
void DownloadTexture(std::uint16_t* buffer, int width, int height, int tmu, int halve, int slot);
int LodForSize(int width, int height);
int AspectForSize(int width, int height);

}  // namespace vrastex
