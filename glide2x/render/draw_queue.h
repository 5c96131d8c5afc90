// Draws recorded for the band workers. With more than one worker each drawing
// call records its pixel path (the state it needs, snapshotted) and its
// triangles; everything that reads or writes the frame buffer or texture
// memory first finishes them (FinishDrawing), so every reader sees the
// pixels of all earlier calls, in call order within each band.
#pragma once

#include <cstdint>

#include "glide/glide_types.h"

class PixelPipeline;

// Replays every recorded draw on the workers and empties the record. Cheap
// when nothing is recorded.
void FinishDrawing();

// True when drawing calls are recorded rather than drawn at once.
bool RecordingDraws();

// Makes room for one drawing call with `vertices` vertices and `triangles`
// triangles, finishing the recorded draws when the record is full. False
// for a call larger than the whole record: it is drawn at once instead.
bool ReserveRecord(int vertices, int triangles);
// After ReserveRecord: the call's pixel path (its index for RecordTriangle),
// a copy of one vertex (its index), and one triangle of 12.4 corners whose
// values come from recorded vertices.
int RecordPipeline(const PixelPipeline& pipe);
int RecordVertex(const GrVertex& v);
void RecordTriangle(int pipe, const std::int64_t (&x)[3], const std::int64_t (&y)[3], const int (&vertex)[3]);
