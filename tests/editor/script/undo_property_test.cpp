// Undo to the byte, as a user works: random sequences of undoable edits go in through the input
// script player (stage drags and nudges, the slider, timeline drags with and without Shift, drags to
// the start, deletes, cut and paste, the keyframe options form); undoing all of them must give back
// the stored show byte for byte (but for its change stamp) and redoing all of them the edited one.
// KM_UNDO_SEQUENCES sets how many sequences run (100 by default; fewer in the sanitizer build, where
// each takes several times as long).
#include <cstdio>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "editor/stage/stage_view.h"
#include "editor/timeline/timeline_view.h"
#include "show/stored_show.h"
#include "tests/editor/script/script_editor_support.h"

#ifndef KM_UNDO_DEFAULT_SEQUENCES
#define KM_UNDO_DEFAULT_SEQUENCES 100
#endif

namespace {

constexpr int kPictures = 3;
// The ring holds 32 entries; a sequence stops adding edits once one more might push the first out.
constexpr int kRingRoom = 24;

class UndoPropertyTest : public ScriptEditorTest {
 protected:
  // A show of three pictures, each with a few keys, and an empty history.
  void freshShow(std::mt19937& random) {
    show->newShow();
    show->showLength = 600;
    for (int p = 0; p < kPictures; ++p) {
      PictureSlot& slot = show->slots[p];
      slot.image.create(40 + 8 * p, 30 + 6 * p, 32);
      std::snprintf(slot.file.path, sizeof slot.file.path, "/shows/pic%d.tga", p);
      const int keys = 1 + int(random() % 5);
      slot.keyCount = keys;
      for (int k = 0; k < keys; ++k) {
        KeyFrame& key = slot.keys[k];
        key = KeyFrame{};
        key.x = float(100 + 60 * p + 7 * k);
        key.y = float(120 + 40 * p + 5 * k);
        key.width = float(60 + 4 * k);
        key.height = float(50 + 3 * k);
        key.amount = float(10 * k);
        key.time = k == 0 ? 0 : 40 * k + int(random() % 30);
      }
    }
    show->pictureCount = kPictures;
    show->setCurrentPicture(0);
    show->showAt(0, true);
    editor->paint();
    pump();
  }

  std::vector<uint8_t> stored() {
    std::vector<uint8_t> bytes(kMaxStoredShowSize);
    const long length = show->storeShow(bytes.data(), bytes.size());
    bytes.resize(size_t(std::max(length, 0L)) + 4);
    // The change stamp (bytes 2 and 3) is fresh at every store.
    if (bytes.size() > 4) bytes[2] = bytes[3] = 0;
    return bytes;
  }

  // Plays script lines; false (with the player's error) when a command could not run.
  bool play(const std::string& text, std::string& error) {
    ScriptEditorTest::play(text, nullptr, false);
    error = player->error();
    return !player->failed();
  }

  int timelineX(int frame) const {
    return editorContext().timeline->frameX(frame) - editorContext().timeline->scrollPosition(ws::SB_HORZ);
  }
  bool onTimeline(int frame) const {
    const int x = timelineX(frame);
    return x > 8 && x < ws::screen().clientRect(editorContext().timeline->handle()).width() - 30;
  }

  // One undoable edit of a random kind, as script lines, from where things stand now ("" when the
  // kind chosen has nothing to work on).
  std::string randomEdit(std::mt19937& random) {
    auto pick = [&](int n) { return int(random() % unsigned(n)); };
    std::ostringstream s;
    const int p = show->currentPicture;
    const PictureSlot& slot = show->slots[p];
    StageView& stage = *editorContext().stage;
    const float zoom = stage.zoom;
    // A time to work at: a point on the ruler the timeline shows.
    auto scrubTo = [&](int frame) {
      if (!onTimeline(frame)) return false;
      s << "click timeline " << timelineX(frame) << " 6\n";
      return true;
    };
    const int laterKey = slot.keyCount > 1 ? 1 + pick(slot.keyCount - 1) : -1;
    const int frame = 10 + pick(show->showLength - 120);
    switch (pick(10)) {
      case 0: {  // a move drag on the stage, which sets a key when it ends
        if (!scrubTo(frame)) return "";
        const KeyFrame& w = stage.workingStates()[p];
        const int x = int(w.x * zoom), y = int(w.y * zoom);
        const int dx = pick(41) - 20, dy = pick(41) - 20;
        s << "press frame " << x << " " << y << "\ndrag frame " << x + dx / 2 << " " << y + dy / 2 << "\nrelease frame "
          << x + dx << " " << y + dy << "\n";
        break;
      }
      case 1: {  // nudges with the keys, then the key set with Enter
        if (!scrubTo(frame)) return "";
        const char* keys[] = {"Left", "Right", "Up", "Down"};
        s << "click stage 2 2\n";
        for (int i = 0, n = 1 + pick(4); i < n; ++i) s << "key " << keys[pick(4)] << "\n";
        s << "key Enter\n";
        break;
      }
      case 2: {  // the slider
        if (!scrubTo(frame)) return "";
        const int h = stage.frameRect.height();
        s << "press frame " << 5 + pick(60) << " " << h + 14 << "\ndrag frame " << 5 + pick(70) << " " << h + 14
          << "\nrelease frame " << 5 + pick(70) << " " << h + 14 << "\n";
        break;
      }
      case 3:
      case 4: {  // a key dragged along the timeline, with or without Shift
        if (laterKey < 0 || !onTimeline(slot.keys[laterKey].time)) return "";
        int to = slot.keys[laterKey].time + pick(161) - 80;
        // Now and then right onto another key's time.
        if (pick(4) == 0) to = slot.keys[pick(slot.keyCount)].time;
        to = std::clamp(to, 8, show->showLength - 1);
        if (!onTimeline(to)) return "";
        s << "press timeline " << timelineX(slot.keys[laterKey].time) << " 22\ndrag timeline " << timelineX(to)
          << " 22\nrelease timeline " << timelineX(to) << " 22" << (pick(2) ? " shift" : "") << "\n";
        break;
      }
      case 5: {  // a key dragged to the very start, which deletes it
        if (laterKey < 0 || !onTimeline(slot.keys[laterKey].time)) return "";
        s << "press timeline " << timelineX(slot.keys[laterKey].time) << " 22\nrelease timeline " << timelineX(0)
          << " 22\n";
        break;
      }
      case 6: {  // the key under the time cursor deleted with the Delete key
        if (laterKey < 0 || !scrubTo(slot.keys[laterKey].time)) return "";
        s << "key Delete\n";
        break;
      }
      case 7: {  // cut one key, paste it at another time
        if (laterKey < 0 || !scrubTo(slot.keys[laterKey].time)) return "";
        s << "key ctrl+X\n";
        if (!scrubTo(frame)) return "";
        s << "key ctrl+V\n";
        break;
      }
      case 8: {  // the keyframe options of a key, confirmed or cancelled
        const int k = pick(slot.keyCount);
        if (!onTimeline(slot.keys[k].time)) return "";
        s << "rclick timeline " << timelineX(slot.keys[k].time) << " 22\nkey " << (pick(3) ? "Enter" : "Escape") << "\n";
        break;
      }
      default:  // another picture becomes current (no edit by itself)
        s << "key " << (pick(2) ? "PageUp" : "PageDown") << "\n";
        break;
    }
    return s.str();
  }
};

}  // namespace

TEST_F(UndoPropertyTest, UndoingEveryEditGivesTheShowBackByteForByteAndRedoingGivesTheEditsBack) {
  if (!editorContext().stage || !editorContext().timeline) GTEST_SKIP() << "no stage or timeline in this build";
  const char* wanted = std::getenv("KM_UNDO_SEQUENCES");
  const int sequences = wanted ? std::max(std::atoi(wanted), 1) : KM_UNDO_DEFAULT_SEQUENCES;
  const unsigned firstSeed = wanted && std::getenv("KM_UNDO_FIRST_SEED") ? unsigned(std::atoi(std::getenv("KM_UNDO_FIRST_SEED"))) : 1;
  int edits = 0;
  for (int n = 0; n < sequences; ++n) {
    const unsigned seed = firstSeed + unsigned(n);
    std::mt19937 random(seed);
    freshShow(random);
    const std::vector<uint8_t> original = stored();
    std::string script;
    const int length = 1 + int(random() % 32);
    for (int i = 0; i < length && show->undoCount <= kRingRoom; ++i) {
      const std::string edit = randomEdit(random);
      if (edit.empty()) continue;
      std::string error;
      ASSERT_TRUE(play(edit, error)) << "seed " << seed << ": " << error << "\n" << script << edit;
      script += edit;
    }
    const int entries = show->undoCount;
    edits += entries;
    const std::vector<uint8_t> edited = stored();
    std::string error;
    std::string undoAll, redoAll;
    for (int i = 0; i < entries; ++i) undoAll += "key ctrl+Z\n", redoAll += "key ctrl+Y\n";
    ASSERT_TRUE(play(undoAll, error)) << error;
    ASSERT_EQ(show->undoCount, 0);
    ASSERT_TRUE(stored() == original) << "seed " << seed << ": undoing " << entries << " entries did not give the show back after\n" << script;
    ASSERT_TRUE(play(redoAll, error)) << error;
    ASSERT_TRUE(stored() == edited) << "seed " << seed << ": redoing " << entries << " entries did not give the edits back after\n" << script;
  }
  // The generator must reach the ring at all, or the property says nothing.
  EXPECT_GT(edits, sequences * 3);
  std::printf("%d sequences, %d undo entries undone and redone\n", sequences, edits);
}
