#include "support/plugin_state.h"

#include <cstring>

#include "device/device.h"
#include "device/full_screen.h"
#include "device/pause.h"
#include "device/session.h"
#include "scene/clip.h"
#include "scene/draw_state.h"
#include "scene/scene_list.h"
#include "scene/screen_position.h"
#include "texture/host_memory.h"
#include "texture/slot_table.h"
#include "texture/staging.h"

using vrastex::device;
using vrastex::DeviceState;
using vrastex::drawState;
using vrastex::DrawState;
using vrastex::clipInput;
using vrastex::clipIntermediate;
using vrastex::clipFinal;
using vrastex::staging;
using vrastex::StagingState;
using vrastex::slotTable;
using vrastex::SlotTable;
using vrastex::savedGlideState;
using vrastex::pageQuad;

void ResetPluginState() {
    device = DeviceState{};
    device.hardwareQueryPending = 1;
    vrastex::hostMemory = vrastex::HostMemory{};
    vrastex::screenScale = vrastex::ScreenScale{};
    // Records keep the fields a writer leaves alone, so all of them go back to zero.
    std::memset(&vrastex::scene, 0, sizeof vrastex::scene);
    drawState = DrawState{};
    clipInput.count = clipIntermediate.count = clipFinal.count = 0;
    staging = StagingState{};
    slotTable = SlotTable{};
    savedGlideState = GrState{};
    for (GrVertex& v : pageQuad) v = GrVertex{};
    vrastex::session = vrastex::Session{};
}

