#include "render/draw_queue.h"

#include <vector>

#include "render/pixel_pipeline.h"
#include "render/raster.h"
#include "render/workers.h"

namespace {

constexpr int kPipelines = 4096, kVertices = 32768, kTriangles = 32768;

struct QueuedTriangle {
    int pipe;
    std::int64_t x[3], y[3];
    int vertex[3];
};

struct Queue {
    std::vector<PixelPipeline> pipes;
    std::vector<GrVertex> vertices;
    std::vector<QueuedTriangle> triangles;
    Queue() {
        pipes.reserve(kPipelines);
        vertices.reserve(kVertices);
        triangles.reserve(kTriangles);
    }
};

// Made on the first recorded draw: a library drawing with one worker never
// reserves the room.
Queue* queue = nullptr;

Queue& Q() {
    if (queue == nullptr) queue = new Queue;
    return *queue;
}

// One worker's share: every recorded triangle, in order, cut to its band.
void ReplayBand(int band, int bands, void* context) {
    const Queue& q = *static_cast<const Queue*>(context);
    const Band rows{band, bands};
    for (const QueuedTriangle& t : q.triangles) {
        const PixelPipeline& pipe = q.pipes[static_cast<std::size_t>(t.pipe)];
        Corner c[3];
        for (int i = 0; i < 3; ++i) c[i] = {t.x[i], t.y[i], &q.vertices[static_cast<std::size_t>(t.vertex[i])]};
        RasterTriangle(pipe, c[0], c[1], c[2], rows);
    }
}

}  // namespace

void FinishDrawing() {
    if (queue == nullptr) return;
    Queue& q = *queue;
    if (!q.triangles.empty()) RunBands(WorkerCount(), ReplayBand, &q);
    q.triangles.clear();
    q.vertices.clear();
    q.pipes.clear();
}

bool RecordingDraws() { return WorkerCount() > 1; }

bool ReserveRecord(int vertices, int triangles) {
    if (vertices > kVertices || triangles > kTriangles) {
        FinishDrawing();
        return false;
    }
    const Queue& q = Q();
    if (q.pipes.size() + 1 > kPipelines || q.vertices.size() + static_cast<std::size_t>(vertices) > kVertices ||
        q.triangles.size() + static_cast<std::size_t>(triangles) > kTriangles) {
        FinishDrawing();
    }
    return true;
}

int RecordPipeline(const PixelPipeline& pipe) {
    Queue& q = Q();
    q.pipes.push_back(pipe);
    return static_cast<int>(q.pipes.size()) - 1;
}

int RecordVertex(const GrVertex& v) {
    Queue& q = Q();
    q.vertices.push_back(v);
    return static_cast<int>(q.vertices.size()) - 1;
}

void RecordTriangle(int pipe, const std::int64_t (&x)[3], const std::int64_t (&y)[3], const int (&vertex)[3]) {
    QueuedTriangle t{pipe, {x[0], x[1], x[2]}, {y[0], y[1], y[2]}, {vertex[0], vertex[1], vertex[2]}};
    Q().triangles.push_back(t);
}
