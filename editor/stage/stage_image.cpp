#include "editor/stage/stage_image.h"

#include "show/show_state.h"

ImageBuffer& StageImage::sizedFor(const ShowState& show) {
  image_.create(show.stageWidth(), show.stageHeight(), 32);
  return image_;
}
