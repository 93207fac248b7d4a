#include "show/edit_session.h"

#include "show/show.h"
#include "show/show_views.h"

void EditSession::clearHistory() {
  undoPosition = -1;
  undoCount = 0;
  redoCount = 0;
  modified = 0;
  loadedFromBlock = false;
  showFile.path[0] = 0;
}

void EditSession::setCurrentPicture(const Show& show, int index) {
  if (index > show.pictureCount - 1) index = show.pictureCount - 1;
  if (index < 0) index = 0;
  currentPicture = index;
  if (views_) views_->refreshPictureMenu(index);
}
