#include "scene/screen_position.h"

namespace vrastex {

ScreenScale screenScale;

}  // namespace vrastex
