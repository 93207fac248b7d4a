// Stand-in until the stage is built.
#include "editor/stage/stage_view.h"

StageView::StageView(EditorWindow* owner) : owner_(owner) {}
StageView::~StageView() = default;
int StageView::handleMessage(uint32_t, ws::WParam, ws::LParam) { return 1; }
void StageView::paint() {}
void StageView::layout() {}
void StageView::redrawStage(bool) {}
void StageView::drawTimecodeAndSlider(int, int) {}
void StageView::placeTransportBar(int, int, int) {}
void StageView::transport(int) {}
