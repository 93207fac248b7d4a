// The filter through its frei0r entry points, loaded with dlopen as hosts load it: what it tells a
// host, its parameters and frames without a usable show.
#include <cstring>
#include <functional>
#include <limits>

#include "tests/frei0r/frei0r_test_support.h"

namespace frei0rtest {
namespace {

constexpr unsigned kWidth = 320, kHeight = 240;

TEST(Frei0rFilter, DescribesItselfAsAnRgbaFilterWithItsFiveParameters) {
  LoadedFilter filter;
  ASSERT_TRUE(filter.handle);
  f0r_plugin_info_t info{};
  filter.pluginInfo(&info);
  EXPECT_STREQ(info.name, "kestrelmove");
  EXPECT_EQ(info.plugin_type, F0R_PLUGIN_TYPE_FILTER);
  EXPECT_EQ(info.color_model, F0R_COLOR_MODEL_RGBA8888);
  EXPECT_EQ(info.frei0r_version, FREI0R_MAJOR_VERSION);
  ASSERT_EQ(info.num_params, 5);
  const char* names[] = {"show", "rate", "aspect", "fields", "time unit"};
  for (int i = 0; i < 5; ++i) {
    f0r_param_info_t p{};
    filter.paramInfo(&p, i);
    EXPECT_STREQ(p.name, names[i]);
    EXPECT_EQ(p.type, F0R_PARAM_STRING) << names[i];
    EXPECT_TRUE(p.explanation && *p.explanation) << names[i];
  }
}

TEST(Frei0rFilter, ParametersStartAtTheirDefaultsAndKeepOnlyValidValues) {
  LoadedFilter filter;
  ASSERT_TRUE(filter.handle);
  f0r_instance_t instance = filter.construct(kWidth, kHeight);
  ASSERT_TRUE(instance);
  auto text = [&](int index) {
    char* value = nullptr;
    filter.getParam(instance, &value, index);
    return std::string(value ? value : "(null)");
  };
  EXPECT_EQ(text(0), "");
  EXPECT_EQ(text(1), "29.97");
  EXPECT_EQ(text(2), "auto");
  EXPECT_EQ(text(3), "progressive");
  EXPECT_EQ(text(4), "seconds");

  const std::string err = standardErrorOf([&] {
    filter.setText(instance, 1, "30000/1001");
    filter.setText(instance, 1, "25");
    filter.setText(instance, 2, "16:9");
    filter.setText(instance, 3, "bottom");
    filter.setText(instance, 4, "milliseconds");
    filter.setText(instance, 1, "-3");  // refused
    // Refused too, and MLT sets every parameter again before each frame: each is named once.
    for (int frame = 0; frame < 3; ++frame)
      for (const auto& [index, value] : {std::pair{1, "25fps"}, {2, "wide"}, {3, "Top"}, {4, "ms"}})
        filter.setText(instance, index, value);
  });
  EXPECT_EQ(text(1), "25");
  EXPECT_EQ(text(2), "16:9");
  EXPECT_EQ(text(3), "bottom");
  EXPECT_EQ(text(4), "milliseconds");
  for (const char* message :
       {"rate '-3' is not a positive frame rate such as 25, 29.97 or 30000/1001; it stays 25\n",
        "rate '25fps' is not a positive frame rate", "aspect 'wide' is not one of 4:3, 16:9, auto; it stays 16:9\n",
        "fields 'Top' is not one of progressive, top, bottom; it stays bottom\n",
        "time unit 'ms' is not one of seconds, milliseconds; it stays milliseconds\n"})
    EXPECT_EQ(countOf(err, message), 1u) << message << " in:\n" << err;
  EXPECT_EQ(countOf(err, "kestrelmove: "), 5u) << err;

  // The filter keeps its own copy of a string: the host's buffer may change or go.
  std::string path = "/nowhere/a.kmv";
  standardErrorOf([&] { filter.setText(instance, 0, path); });
  path.assign(path.size(), 'x');
  EXPECT_EQ(text(0), "/nowhere/a.kmv");
  filter.destruct(instance);
}

// frei0r holds a double or boolean parameter to [0, 1], and GStreamer refuses any value outside it:
// such a parameter must start inside and keep only values inside. GStreamer also reads every default
// from one instance and sets it on the next, which must take them all without a word.
TEST(Frei0rFilter, DeclaredParametersKeepTheFrei0rRules) {
  LoadedFilter filter;
  ASSERT_TRUE(filter.handle);
  f0r_plugin_info_t info{};
  filter.pluginInfo(&info);
  f0r_instance_t first = filter.construct(640, 480);
  f0r_instance_t second = filter.construct(kWidth, kHeight);
  ASSERT_TRUE(first && second);
  const double inf = std::numeric_limits<double>::infinity();
  const double tries[] = {-1, -1e-9, 0, 0.25, 0.5, 1, 1 + 1e-9, 2, 24, 25, 29.97, 1e9, std::nan(""), inf, -inf};
  int checked = 0;
  const std::string err = standardErrorOf([&] {
    for (int i = 0; i < info.num_params; ++i) {
      f0r_param_info_t p{};
      filter.paramInfo(&p, i);
      if (p.type == F0R_PARAM_DOUBLE || p.type == F0R_PARAM_BOOL) {
        auto value = [&] {
          double v = -1;
          filter.getParam(first, &v, i);
          return v;
        };
        EXPECT_TRUE(value() >= 0 && value() <= 1) << p.name << " starts at " << value();
        for (double t : tries) {
          filter.setDouble(first, i, t);
          EXPECT_TRUE(value() >= 0 && value() <= 1) << p.name << " set to " << t << " holds " << value();
        }
        ++checked;
      } else if (p.type == F0R_PARAM_STRING) {
        char* value = nullptr;
        filter.getParam(first, &value, i);
        ASSERT_TRUE(value) << p.name;
        const std::string read = value;
        filter.setText(second, i, read);
        filter.getParam(second, &value, i);
        EXPECT_EQ(std::string(value ? value : "(null)"), read) << p.name;
        ++checked;
      }
    }
  });
  EXPECT_EQ(checked, info.num_params) << "a parameter of a type these rules do not cover";
  EXPECT_EQ(err, "");
  filter.destruct(first);
  filter.destruct(second);
}

// A frame passes through unchanged, every byte, when the show is missing or damaged; the problem is
// said once, not once per frame.
TEST(Frei0rFilter, MissingOrDamagedShowLeavesFramesUnchangedAndSaysSoOnce) {
  LoadedFilter filter;
  ASSERT_TRUE(filter.handle);
  const fs::path folder = freshFolder("bad-shows");
  const fs::path damaged = folder / "damaged.kmv";
  std::ofstream(damaged, std::ios::binary) << "not a show at all, just some text";
  const fs::path cut = folder / "cut.kmv";
  {
    const fs::path good = writeEveryBrushShow(folder);
    const std::string bytes = readText(good);
    std::ofstream(cut, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size() / 2));
  }
  const std::vector<uint32_t> in = patternFrame(kWidth, kHeight, 3);
  for (const fs::path& show : {folder / "missing.kmv", damaged, cut}) {
    f0r_instance_t instance = filter.construct(kWidth, kHeight);
    ASSERT_TRUE(instance);
    std::vector<uint32_t> out(in.size(), 0);
    const std::string err = standardErrorOf([&] {
      for (int frame = 0; frame < 5; ++frame) {
        // MLT sets every parameter again before each frame.
        filter.setText(instance, 0, show.string());
        std::fill(out.begin(), out.end(), 0);
        filter.update(instance, frame / 25.0, in.data(), out.data());
        EXPECT_EQ(out, in) << show << " frame " << frame;
      }
    });
    EXPECT_EQ(countOf(err, show.string()), 1u) << err;
    EXPECT_NE(err.find("frames pass through unchanged"), std::string::npos) << err;
    filter.destruct(instance);
  }
}

// The every-brush show with its picture file changed by `damage`, loaded and rendered once: what the
// filter said, and whether the frame still changed.
struct DamagedPictureRun {
  std::string err;
  bool drawn = false;
};
DamagedPictureRun renderWithDamagedPicture(const std::string& name, const std::function<void(const fs::path&)>& damage) {
  LoadedFilter filter;
  EXPECT_TRUE(filter.handle);
  if (!filter.handle) return {};
  const fs::path folder = freshFolder(name);
  const fs::path show = writeEveryBrushShow(folder);
  damage(folder / "gradient.tga");
  f0r_instance_t instance = filter.construct(kWidth, kHeight);
  const std::vector<uint32_t> in = patternFrame(kWidth, kHeight, 1);
  std::vector<uint32_t> out(in.size(), 0);
  DamagedPictureRun run;
  run.err = standardErrorOf([&] {
    filter.setText(instance, 0, show.string());
    filter.update(instance, 0.2, in.data(), out.data());
  });
  run.drawn = out != in;
  filter.destruct(instance);
  return run;
}

TEST(Frei0rFilter, MissingPicturesAreNamedAndTheShowStillRenders) {
  const DamagedPictureRun run = renderWithDamagedPicture("missing-picture", [](const fs::path& p) { fs::remove(p); });
  EXPECT_NE(run.err.find("2 pictures cannot be found: 'gradient.tga', 'gradient.tga'"), std::string::npos) << run.err;
  EXPECT_TRUE(run.drawn);
}

TEST(Frei0rFilter, PicturesThatNoReaderTakesAreNamedWithTheReason) {
  // Still there under its name, but no longer a picture.
  const DamagedPictureRun run = renderWithDamagedPicture("unreadable-picture", [](const fs::path& p) {
    std::ofstream(p, std::ios::binary | std::ios::trunc) << "not a picture at all";
  });
  EXPECT_NE(run.err.find("2 pictures cannot be loaded: 'gradient.tga' ("), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find("cannot be found"), std::string::npos) << run.err;
  // FFmpeg's decoders, tried last, may log their own lines; the filter says it once.
  EXPECT_EQ(countOf(run.err, "kestrelmove: "), 1u) << run.err;
  EXPECT_TRUE(run.drawn);
}

TEST(Frei0rFilter, StageFollowsTheAspectParameter) {
  LoadedFilter filter;
  ASSERT_TRUE(filter.handle);
  const fs::path show = writeEveryBrushShow(freshFolder("aspect"));
  const std::vector<uint32_t> in = patternFrame(kWidth, kHeight, 0);
  auto frameWith = [&](const char* aspect) {
    f0r_instance_t instance = filter.construct(kWidth, kHeight);
    filter.setText(instance, 0, show.string());
    filter.setText(instance, 2, aspect);
    std::vector<uint32_t> out(in.size(), 0);
    filter.update(instance, 0.2, in.data(), out.data());
    filter.destruct(instance);
    return out;
  };
  // 320 x 240 is 4:3: "auto" is the 4:3 stage; the 16:9 stage squeezes the show sideways.
  EXPECT_EQ(frameWith("auto"), frameWith("4:3"));
  EXPECT_NE(frameWith("16:9"), frameWith("4:3"));
}

}  // namespace
}  // namespace frei0rtest
