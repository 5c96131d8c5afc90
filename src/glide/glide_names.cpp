// The names and argument bytes of the 121 entry points, from the one list in
// glide_entry_points.h; the plug-in's binding, the stand-in's text form and
// the Glide tracer all read them.
#include "glide/glide_binding.h"

const char* const glideDecoratedNames[GLIDE_ENTRY_COUNT] = {
#define GLIDE_DECORATED(name, bytes, role) "_" #name "@" #bytes,
    GLIDE_ENTRY_POINTS(GLIDE_DECORATED)
#undef GLIDE_DECORATED
};

const char* const glidePlainNames[GLIDE_ENTRY_COUNT] = {
#define GLIDE_PLAIN(name, bytes, role) #name,
    GLIDE_ENTRY_POINTS(GLIDE_PLAIN)
#undef GLIDE_PLAIN
};

const int glideArgBytes[GLIDE_ENTRY_COUNT] = {
#define GLIDE_BYTES(name, bytes, role) bytes,
    GLIDE_ENTRY_POINTS(GLIDE_BYTES)
#undef GLIDE_BYTES
};
