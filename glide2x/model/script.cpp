#include "model/script.h"

#include <cstring>

namespace {

StandinScript DefaultScript() {
    StandinScript s;
    s.boardCount = 1;
    s.hardwareResult = FXTRUE;
    s.hardware = DefaultHardware();
    s.winOpenResult = FXTRUE;
    for (int tmu = 0; tmu < STANDIN_MEMORY_TMUS; ++tmu) {
        s.texMinAddress[tmu] = 0;
        s.texMaxAddress[tmu] = kDefaultTexMaxAddress;
    }
    s.pending.clear();
    s.pendingNext = 0;
    s.controlResult = FXTRUE;
    s.screenWidthOverride = 0;
    s.screenHeightOverride = 0;
    return s;
}

}  // namespace

GrHwConfiguration DefaultHardware() {
    GrHwConfiguration hw;
    std::memset(&hw, 0, sizeof hw);
    hw.num_sst = 1;
    hw.SSTs[0].type = GR_SSTTYPE_VOODOO;
    GrVoodooConfig& voodoo = hw.SSTs[0].sstBoard.VoodooConfig;
    voodoo.fbRam = 2;
    voodoo.fbiRev = 0;
    voodoo.nTexelfx = 1;
    voodoo.sliDetect = FXFALSE;
    voodoo.tmuConfig[0].tmuRev = 0;
    voodoo.tmuConfig[0].tmuRam = 2;
    return hw;
}

StandinScript& Script() {
    static StandinScript script = DefaultScript();
    return script;
}

void ResetScript() {
    Script() = DefaultScript();
    SetDrawing(true);
}
