// Stand-in until the timeline is built.
#include "editor/timeline/timeline_view.h"

TimelineView::TimelineView(EditorWindow* owner) : owner_(owner) {}
TimelineView::~TimelineView() = default;
int TimelineView::handleMessage(uint32_t, ws::WParam, ws::LParam) { return 1; }
void TimelineView::paint() {}
void TimelineView::setLength(int) {}
void TimelineView::layout() {}
void TimelineView::followAndRedraw() {}
int TimelineView::hitKey(int, int) const { return -1; }
int TimelineView::frameAtClientX(int) const { return 0; }
int TimelineView::frameX(int frame) const { return frame * 60 / (timeScale ? timeScale : 1) + 4; }
