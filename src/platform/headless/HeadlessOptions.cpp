#include "platform/headless/HeadlessOptions.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "core/TextUtil.h"

namespace tp {
namespace {
std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

std::optional<uint32_t> EnvUnsigned(const char* name) {
  std::string v = Env(name);
  if (v.empty()) return std::nullopt;
  auto n = ParseInt32(Trim(v));
  if (!n || *n < 0) {
    std::fprintf(stderr, "tidepool: ignoring %s=%s (not a number)\n", name, v.c_str());
    return std::nullopt;
  }
  return uint32_t(*n);
}
// "WxH" with both sides from 1 to 16384.
std::optional<std::pair<int, int>> ScreenSize(const std::string& text) {
  const size_t x = text.find_first_of("xX");
  auto w = x == std::string::npos ? std::nullopt : ParseInt32(text.substr(0, x));
  auto h = x == std::string::npos ? std::nullopt : ParseInt32(text.substr(x + 1));
  if (w && h && *w > 0 && *h > 0 && *w <= 16384 && *h <= 16384) return std::make_pair(*w, *h);
  return std::nullopt;
}

constexpr size_t kMaxMoreScreens = 15;

// A decimal rate such as 59.94 (passed on unchecked: the presentation bounds it); 0 when
// unset or not a number.
double EnvRate(const char* name) {
  const std::string v = Env(name);
  if (v.empty()) return 0;
  const std::string t = Trim(v);
  double rate = 0;
  const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), rate);
  if (ec != std::errc() || end != t.data() + t.size() || !(rate >= 0)) {
    std::fprintf(stderr, "tidepool: ignoring %s=%s (not a rate)\n", name, v.c_str());
    return 0;
  }
  return rate;
}
}  // namespace

HeadlessOptions HeadlessOptions::FromEnvironment() {
  HeadlessOptions o;
  std::string screen = Env("TIDEPOOL_SCREEN");
  if (!screen.empty()) {
    if (auto size = ScreenSize(screen)) {
      o.screenWidth = size->first;
      o.screenHeight = size->second;
    } else {
      std::fprintf(stderr, "tidepool: ignoring TIDEPOOL_SCREEN=%s (want WxH)\n", screen.c_str());
    }
  }
  const std::string more = Env("TIDEPOOL_MORE_SCREENS");
  for (size_t at = 0; !more.empty() && at <= more.size() && o.moreScreens.size() < kMaxMoreScreens;) {
    const size_t comma = std::min(more.find(',', at), more.size());
    if (auto size = ScreenSize(more.substr(at, comma - at))) o.moreScreens.push_back(*size);
    else std::fprintf(stderr, "tidepool: ignoring a screen of TIDEPOOL_MORE_SCREENS=%s (want WxH)\n", more.c_str());
    at = comma + 1;
  }
  o.realClock = Env("TIDEPOOL_REAL_CLOCK") == "1";
  o.runMs = EnvUnsigned("TIDEPOOL_RUN_MS");
  if (auto p = EnvUnsigned("TIDEPOOL_PRESENT_MS")) o.presentMs = *p;
  o.refreshHz = EnvRate("TIDEPOOL_REFRESH_HZ");
  o.scriptPath = Env("TIDEPOOL_SCRIPT");
  o.frameLogPath = Env("TIDEPOOL_FRAME_LOG");
  o.framesDir = Env("TIDEPOOL_FRAMES_DIR");
  if (auto k = EnvUnsigned("TIDEPOOL_FRAMES_EVERY"); k && *k > 0) o.framesEvery = *k;
  o.confirmAnswer = !EqualsIgnoreCase(Env("TIDEPOOL_CONFIRM"), "no");
  o.scaledFails = EqualsIgnoreCase(Env("TIDEPOOL_SCALED"), "fail");
  return o;
}

}  // namespace tp
