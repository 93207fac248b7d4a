// Makes the demo's sample pictures: a logo with alpha (32-bit Targa), a photo-like landscape (24-bit
// BMP) and a soft round brush (32-bit Targa). Run once; the results are kept in resources/demo/.
//   km_make_demo_samples OUTPUT_FOLDER
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "image/image_buffer.h"
#include "image/open_file.h"

namespace {

constexpr int kWriteBmp = 0;
constexpr int kWriteTarga = 1;

double clamp01(double v) { return std::clamp(v, 0.0, 1.0); }
double smooth(double edge0, double edge1, double v) {
  const double t = clamp01((v - edge0) / (edge1 - edge0));
  return t * t * (3 - 2 * t);
}

// A deterministic value noise, so that the files come out the same on every run.
double hashNoise(int x, int y) {
  unsigned h = unsigned(x) * 374761393u + unsigned(y) * 668265263u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return double(h & 0xffff) / 65535.0;
}
double valueNoise(double x, double y) {
  const int xi = int(std::floor(x)), yi = int(std::floor(y));
  const double fx = x - xi, fy = y - yi;
  const double a = hashNoise(xi, yi), b = hashNoise(xi + 1, yi), c = hashNoise(xi, yi + 1), d = hashNoise(xi + 1, yi + 1);
  const double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
  return (a + (b - a) * sx) * (1 - sy) + (c + (d - c) * sx) * sy;
}
double fractal(double x, double y) {
  double sum = 0, amplitude = 0.5;
  for (int octave = 0; octave < 4; ++octave, x *= 2, y *= 2, amplitude *= 0.5) sum += amplitude * valueNoise(x, y);
  return sum;
}

// Pixel (x, y) with y counted from the top.
void put(ImageBuffer& image, int x, int y, double r, double g, double b, double a = 1.0) {
  const int bytes = image.bitsPerPixel() / 8;
  uint8_t* p = image.row(image.height() - 1 - y) + bytes * x;
  p[0] = uint8_t(std::lround(clamp01(b) * 255));
  p[1] = uint8_t(std::lround(clamp01(g) * 255));
  p[2] = uint8_t(std::lround(clamp01(r) * 255));
  if (bytes == 4) p[3] = uint8_t(std::lround(clamp01(a) * 255));
}

// A rounded badge with a ring and a stylised wing, transparent around it.
ImageBuffer makeLogo() {
  const int w = 160, h = 80;
  ImageBuffer image(w, h, 32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const double px = x + 0.5, py = y + 0.5;
      // Rounded rectangle: distance to the inner rectangle, radius 24.
      const double dx = std::max(std::abs(px - w / 2.0) - (w / 2.0 - 26), 0.0);
      const double dy = std::max(std::abs(py - h / 2.0) - (h / 2.0 - 26), 0.0);
      const double d = std::hypot(dx, dy) - 24;
      const double inside = smooth(0.8, -0.8, d);
      const double ring = smooth(2.5, 1.0, std::abs(d + 5));
      // The wing: two curved bands rising to the right.
      const double u = px / w, v = py / h;
      const double band1 = smooth(0.06, 0.02, std::abs(v - (0.78 - 0.9 * u * u)));
      const double band2 = smooth(0.05, 0.015, std::abs(v - (0.95 - 1.1 * u * u))) * (u > 0.25 ? 1 : 0);
      const double wing = std::max(band1, band2) * (u > 0.12 && u < 0.88 ? 1 : 0);
      double r = 0.95 - 0.35 * v, g = 0.55 - 0.25 * v, b = 0.15;
      r = r * (1 - wing) + 1.0 * wing;
      g = g * (1 - wing) + 0.97 * wing;
      b = b * (1 - wing) + 0.9 * wing;
      r = r * (1 - ring) + 0.25 * ring;
      g = g * (1 - ring) + 0.12 * ring;
      b = b * (1 - ring) + 0.05 * ring;
      put(image, x, y, r, g, b, inside);
    }
  return image;
}

// Sky, sun, two ranges of hills and a lake, with a little grain.
ImageBuffer makePhoto() {
  const int w = 192, h = 144;
  ImageBuffer image(w, h, 24);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const double u = (x + 0.5) / w, v = (y + 0.5) / h;
      double r = 0.45 + 0.4 * v, g = 0.62 + 0.25 * v, b = 0.92 - 0.1 * v;
      const double sun = smooth(0.09, 0.07, std::hypot(u - 0.72, (v - 0.25) * 0.75));
      r += 0.6 * sun;
      g += 0.5 * sun;
      b += 0.1 * sun;
      const double cloud = smooth(0.55, 0.75, fractal(u * 6, v * 14)) * smooth(0.55, 0.2, v);
      r += (1 - r) * cloud * 0.8;
      g += (1 - g) * cloud * 0.8;
      b += (1 - b) * cloud * 0.8;
      const double far = 0.48 + 0.08 * std::sin(u * 7.0) + 0.1 * fractal(u * 5, 1.7);
      if (v > far) {
        const double shade = 0.8 + 0.2 * fractal(u * 20, v * 20);
        r = 0.35 * shade;
        g = 0.45 * shade;
        b = 0.55 * shade;
      }
      const double near = 0.62 + 0.06 * std::sin(u * 4.0 + 1.0) + 0.12 * fractal(u * 4, 7.3);
      if (v > near) {
        const double shade = 0.6 + 0.5 * fractal(u * 30, v * 30);
        r = 0.22 * shade;
        g = 0.5 * shade;
        b = 0.18 * shade;
      }
      if (v > 0.86) {
        const double ripple = 0.5 + 0.5 * std::sin(v * 220 + 3 * fractal(u * 10, v * 40));
        r = 0.2 + 0.1 * ripple;
        g = 0.35 + 0.1 * ripple;
        b = 0.55 + 0.15 * ripple;
      }
      const double grain = (hashNoise(x * 7 + 3, y * 13 + 5) - 0.5) * 0.04;
      put(image, x, y, r + grain, g + grain, b + grain);
    }
  return image;
}

// White, with alpha falling off smoothly from the centre to the edge.
ImageBuffer makeBrush() {
  const int size = 64;
  ImageBuffer image(size, size, 32);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const double d = std::hypot(x + 0.5 - size / 2.0, y + 0.5 - size / 2.0) / (size / 2.0 - 1);
      put(image, x, y, 1, 1, 1, smooth(1.0, 0.3, d));
    }
  return image;
}

bool save(const ImageBuffer& image, const std::string& path, int format) {
  FileSpec spec;
  spec.setPath(path);
  OpenFile file;
  if (!file.open(spec, "wb") || !image.write(file, format) || !file.close()) {
    std::fprintf(stderr, "km_make_demo_samples: cannot write '%s'\n", path.c_str());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: km_make_demo_samples OUTPUT_FOLDER\n");
    return 2;
  }
  const std::string dir = argv[1];
  const bool ok = save(makeLogo(), dir + "/logo.tga", kWriteTarga) && save(makePhoto(), dir + "/photo.bmp", kWriteBmp) &&
                  save(makeBrush(), dir + "/brush.tga", kWriteTarga);
  return ok ? 0 : 1;
}
