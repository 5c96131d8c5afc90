// The scene list: every primitive of the frame in the exact form the card
// draws it, with the blend mode and texture slot each one needs.
#pragma once

#include <cstdint>

#include "glide/glide_types.h"

namespace vrastex {

constexpr int kSceneCapacity = 6000;
constexpr int kRecordVertices = 16;
constexpr std::int32_t kUntexturedSlot = 99;

struct SceneRecord {
    std::int16_t vertexCount;  // 2 for a line, 3 to 16 for a polygon
    GrVertex vertices[kRecordVertices];
};

struct SceneList {
    std::uint32_t count;
    SceneRecord records[kSceneCapacity];
    std::int32_t blendModes[kSceneCapacity];
    std::int32_t textureSlots[kSceneCapacity];
    // Each record's vertex count again, packed, so that the flush reads the
    // counts without touching records that have long left the cache.
    std::int16_t vertexCounts[kSceneCapacity];
    // Vertices already sent by overflow flushes since the last RenderScene.
    std::uint32_t verticesSentEarly;
    // A window is open to take the list: set by the device as the card opens
    // and closes. Without one a full list is dropped rather than sent.
    std::int32_t cardOpen;
};

extern SceneList scene;

// Sends the list to Glide and empties it; returns the vertices sent.
std::uint32_t SendRecords();

void EmptySceneList();

// Makes sure `needed` records fit. A full list is sent to Glide and emptied
// first, so a frame of any size draws every primitive in order; with no card
// open there is nothing to send it to, and it is emptied.
inline void ReserveRecords(int needed) {
    if (scene.count + static_cast<std::uint32_t>(needed) <= kSceneCapacity) return;
    if (scene.cardOpen) scene.verticesSentEarly += SendRecords();
    else EmptySceneList();
}

// The record a writer fills next (room is made for it).
inline SceneRecord& NextRecord() {
    ReserveRecords(1);
    return scene.records[scene.count];
}

// Finishes the record returned by NextRecord (vertex count and vertices
// written): it becomes part of the list.
inline void AppendRecord(std::int32_t blendMode, std::int32_t textureSlot) {
    const std::uint32_t i = scene.count;
    scene.vertexCounts[i] = scene.records[i].vertexCount;
    scene.blendModes[i] = blendMode;
    scene.textureSlots[i] = textureSlot;
    scene.count = i + 1;
}

// Sends the list and empties it; returns the vertices sent this frame.
std::uint32_t RenderScene();

// The three blending calls for one record.
void SelectBlendState(std::int32_t blendMode, int textured);

}  // namespace vrastex
