// grLfbReadRegion: a block of a colour buffer copied out as RGB 565, rows at
// the caller's stride. The replay host reads finished frames through it from
// any Glide library, this one included.
#include <algorithm>
#include <cstring>
#include <string>

#include "glide/glide_binding.h"
#include "model/record.h"
#include "render/draw_queue.h"
#include "render/errors.h"
#include "render/state.h"
#include "standin.h"

STANDIN_API FxBool GLIDECALL grLfbReadRegion(FxI32 buffer, FxU32 x, FxU32 y, FxU32 width, FxU32 height,
                                             FxU32 stride, void* dst) {
    if (CallsObserved()) {
        StandinCall& call = StartCall(GLIDE_grLfbReadRegion);
        AddInt(call, buffer);
        for (FxU32 value : {x, y, width, height, stride}) AddUnsigned(call, value);
        AddPointer(call, dst);
        CommitCall(call);
    }
    FinishDrawing();
    const StandinScreen& screen = Device().screen;
    const int index = ColorBufferIndex(buffer);
    if (!screen.open || index < 0 || dst == nullptr) {
        ReportError("grLfbReadRegion: " + std::string(!screen.open ? "no window open"
                                                      : dst    ? "not a colour buffer: " + std::to_string(buffer)
                                                               : "null destination"));
        return FXFALSE;
    }
    // Only the part inside the screen is copied; the rest of the block keeps
    // what the caller had there.
    const FxU32 columns = x < FxU32(screen.width) ? std::min(width, FxU32(screen.width) - x) : 0;
    const FxU32 rows = y < FxU32(screen.height) ? std::min(height, FxU32(screen.height) - y) : 0;
    const std::uint16_t* pixels = screen.color[index].data();
    for (FxU32 row = 0; row < rows; ++row) {
        std::memcpy(static_cast<unsigned char*>(dst) + std::size_t{row} * stride,
                    pixels + std::size_t{y + row} * screen.width + x, std::size_t{columns} * 2);
    }
    return FXTRUE;
}
