#include "tidepool-mpp/MppItems.h"

#include <algorithm>

namespace mpp {
namespace {

struct Out {
  std::string b;
  void I32(int32_t v) {
    for (int i = 0; i < 4; ++i) b += char((uint32_t(v) >> (8 * i)) & 0xFF);
  }
  void Byte(uint8_t v) { b += char(v); }
  void Block(const std::string& s) {
    I32(int32_t(s.size()));
    b += s;
  }
  void Wave(const tp::TWaveParam& w) {
    I32(w.Amplitude);
    I32(w.WaveCount);
    I32(w.WaveSpeed);
    I32(w.WaveForward);
    Byte(w.HorizontalWave);
    Byte(w.VerticalWave);
    Byte(w.Perspective);
    Byte(0);
    I32(w.Period);
    I32(w.JitterRange);
    Byte(w.Reserved);
    Byte(w.Reflection);
    b.append(2, '\0');
  }
  void Slot(const tp::TSoundSlot& s) {
    const size_t n = std::min<size_t>(s.FileName.size(), 255);
    Byte(uint8_t(n));
    b.append(s.FileName, 0, n);
    b.append(255 - n, '\0');
    I32(s.PlayMode);
    I32(s.ValueA);
    I32(s.ValueB);
  }
};

}  // namespace

std::string Serialise(const Contents& c, int lastItem) {
  Out o;
  for (int item = 1; item <= std::min(lastItem, kItemCount); ++item) {
    switch (item) {
      case 1: o.b += "Mp060697"; break;
      case 2: o.Block(c.name); break;
      case 3: o.Block(c.description); break;
      case 4: o.Block(c.thumbnailJpeg); break;
      case 5: o.I32(4); break;
      case 6:
        for (int i = 0; i < 4; ++i) o.Wave(c.waves[size_t(i)]);
        break;
      case 7:
        o.I32(int32_t(c.mask.size()));
        for (int32_t v : c.mask) o.I32(v);
        break;
      case 8: o.Block(c.pictureJpeg); break;
      case 9: o.Block(c.singleSound); break;
      case 10: {
        const tp::TWeatherParam& w = c.weather;
        for (int32_t v : {w.WeatherKind, w.ParticleCount, w.SpeedLevel, w.Angle, w.LengthScale, w.WeatherOpacity})
          o.I32(v);
        break;
      }
      case 11:
        for (const tp::TSoundSlot& s : c.slots) o.Slot(s);
        break;
      case 12: o.Block(c.animationText); break;
      case 13: o.Block(c.buildText); break;
      case 14: {
        const int n = std::clamp(c.extraWaves, 0, 4);
        o.I32(n);
        for (int i = 0; i < n; ++i) o.Wave(c.waves[size_t(4 + i)]);
        break;
      }
    }
  }
  return o.b;
}

}  // namespace mpp
