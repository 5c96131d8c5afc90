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

namespace {

// Scene records that may hold something since the last reset; unknown (all
// of them) at first.
int sceneReach = vrastex::kSceneCapacity;

void ResetPluginState(int sceneRecords) {
    device = DeviceState{};
    device.hardwareQueryPending = 1;
    vrastex::hostMemory = vrastex::HostMemory{};
    vrastex::screenScale = vrastex::ScreenScale{};
    // Records keep the fields a writer leaves alone, so all of them go back to zero.
    vrastex::SceneList& scene = vrastex::scene;
    const auto records = static_cast<std::size_t>(sceneRecords);
    std::memset(scene.records, 0, sizeof scene.records[0] * records);
    std::memset(scene.blendModes, 0, sizeof scene.blendModes[0] * records);
    std::memset(scene.textureSlots, 0, sizeof scene.textureSlots[0] * records);
    std::memset(scene.vertexCounts, 0, sizeof scene.vertexCounts[0] * records);
    scene.count = scene.verticesSentEarly = 0;
    scene.cardOpen = 0;
    drawState = DrawState{};
    clipInput.count = clipIntermediate.count = clipFinal.count = 0;
    staging = StagingState{};
    slotTable = SlotTable{};
    savedGlideState = GrState{};
    for (GrVertex& v : pageQuad) v = GrVertex{};
    vrastex::session = vrastex::Session{};
    sceneReach = 0;
}

}  // namespace

void ResetPluginState() { ResetPluginState(vrastex::kSceneCapacity); }

void NoteSceneRecords(long records) {
    if (records > sceneReach)
        sceneReach = records < vrastex::kSceneCapacity ? static_cast<int>(records) : vrastex::kSceneCapacity;
}

void ResetNotedPluginState() { ResetPluginState(sceneReach); }
