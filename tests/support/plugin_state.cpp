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

void ResetPluginState() { ResetPluginState(vrastex::kSceneCapacity); }

void ResetPluginState(int sceneRecords) {
    device = DeviceState{};
    device.hardwareQueryPending = 1;
    vrastex::hostMemory = vrastex::HostMemory{};
    vrastex::screenScale = vrastex::ScreenScale{};
    // Records keep the fields a writer leaves alone, so all of them go back to zero.
    vrastex::SceneList& scene = vrastex::scene;
    const int records = sceneRecords < vrastex::kSceneCapacity ? sceneRecords : vrastex::kSceneCapacity;
    std::memset(scene.records, 0, sizeof scene.records[0] * static_cast<std::size_t>(records > 0 ? records : 0));
    std::memset(scene.blendModes, 0, sizeof scene.blendModes);
    std::memset(scene.textureSlots, 0, sizeof scene.textureSlots);
    scene.count = scene.verticesSentEarly = 0;
    scene.cardOpen = 0;
    drawState = DrawState{};
    clipInput.count = clipIntermediate.count = clipFinal.count = 0;
    staging = StagingState{};
    slotTable = SlotTable{};
    savedGlideState = GrState{};
    for (GrVertex& v : pageQuad) v = GrVertex{};
    vrastex::session = vrastex::Session{};
}

