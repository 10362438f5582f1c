#include "animation/AnimObject.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "animation/AnimClock.h"
#include "core/IntMath.h"
#include "core/ProgramRandom.h"

namespace tp {
namespace {

// Stored coordinates are clamped to this range so that the integer arithmetic of the
// movement rectangle cannot overflow.
constexpr int kCoordLimit = 10'000'000;
// Drawn sizes are clamped to 0..100 times the picture size.
constexpr int kSizeLimit = 10'000;

int Random(int n) { return ProgramRandom::Random(n); }
int RandomSign() { return Random(2) == 0 ? -1 : 1; }

int RoundToInt(double v) {
  constexpr double kLimit = double(1 << 30);
  if (!(v > -kLimit)) return -(1 << 30);  // also NaN
  if (v > kLimit) return 1 << 30;
  return int(RoundHalfEven(v));
}

int ClampCoord(int v) { return std::clamp(v, -kCoordLimit, kCoordLimit); }

// A random integer in [a, b), or in [b, a) when b < a.
int RandomBetween(int a, int b) {
  if (b < a) std::swap(a, b);
  int64_t span = int64_t(b) - int64_t(a);
  span = std::min<int64_t>(span, std::numeric_limits<int32_t>::max());
  return int(int64_t(a) + Random(int32_t(span)));
}

}  // namespace

TAnimObject::TAnimObject() : clock_(&DefaultAnimClock()) {
  SeedRandom();
  InternalSpeed = 100;
  WanderRangeX = 500;
  WanderRangeY = 1000;
  Thread = std::make_unique<TObjectThread>([this] { Step(); }, clock_.load());
  Started = false;
}

TAnimObject::~TAnimObject() { EndThread(); }

void TAnimObject::EndThread() {
  if (Thread) Thread->Terminate();
}

void TAnimObject::SeedRandom() { ProgramRandom::SetSeed(clock_.load()->Tick()); }

uint8_t TAnimObject::OpacityAlpha(int opacity) {
  return uint8_t(RoundHalfEven(double(std::clamp(opacity, 0, 10)) * 2550 / 100));
}

int TAnimObject::AnimSpeedPercent(int v) {
  int64_t percent = v <= 10 ? int64_t(v) * 10 : int64_t(v) * 50 - 400;
  return int(std::clamp<int64_t>(percent, 0, 100000));
}

int TAnimObject::PositionValue(int type, int lo, int hi, int fixed) {
  switch (type) {
    case 0: return fixed;
    case 1: return lo;
    case 2: return hi;
    case 3: return Div(hi - lo, 2) + lo;
    case 4: return RandomBetween(lo, hi);
    case 5: {
      int r = RandomBetween(lo, hi);
      int middle = Div(hi - lo, 2) + lo;
      // lo - r, not 2 * lo - r: the object starts outside the area.
      return r < middle ? lo - r : 2 * hi - r;
    }
    default: return fixed;
  }
}

void TAnimObject::Start() {
  auto lk = Lock();
  StartRunState(clock_.load()->Tick());
}

void TAnimObject::StartRunState(uint32_t now) {
  SeedRandom();
  Visible = (DisplaySec == 0);
  StartTick = now;
  StepCount = 0;
  Flipped = false;
  WanderCount = 0;
  WanderLimit = Random(300) + 50;
  WanderRangeX = Random(1000);
  WanderRangeY = Random(1000);

  if (MotionAreaType != 0) {
    // An inverted custom rectangle gives the object no run state: it draws nothing.
    if (MoveAreaRect.right < MoveAreaRect.left || MoveAreaRect.bottom < MoveAreaRect.top) {
      Visible = false;
      hasRunState_ = false;
      return;
    }
    Area = Rect{MoveAreaRect.left, MoveAreaRect.top, MoveAreaRect.right, MoveAreaRect.bottom};
  } else {
    Area = Rect{0, 0, DesignWidth, DesignHeight};
  }
  const int hw = Div(ImageWidth, 2);
  const int hh = Div(ImageHeight, 2);
  const int sw = RoundToInt(double(hw) * WidthSize / 100);
  const int sh = RoundToInt(double(hh) * HeightSize / 100);
  if (RestrictArea) {
    Area = Rect{Area.left + hw, Area.top + hh, Area.right - sw, Area.bottom - sh};
  } else {
    Area = Rect{Area.left - hw, Area.top - hh, Area.right + sw, Area.bottom + sh};
  }

  PosLeft = PositionValue(PosLeftType, Area.left, Area.right, PosLeft);
  PosTop = PositionValue(PosTopType, Area.top, Area.bottom, PosTop);

  DirX = RandomSign();
  DirY = RandomSign();
  RandomSign();  // two further signs are drawn and not used
  RandomSign();
  switch (InitialDir) {
    case 1: DirX = -1; break;
    case 2: DirX = 1; break;
    case 3: DirY = -1; break;
    case 4: DirY = 1; break;
    case 5: DirX = -1; DirY = -1; break;
    case 6: DirX = 1; DirY = -1; break;
    case 7: DirX = -1; DirY = 1; break;
    case 8: DirX = 1; DirY = 1; break;
    default: break;
  }
  WanderDirX = MirrorSignX = DirX;
  WanderDirY = MirrorSignY = DirY;

  ScaleX = DesignWidth > 0 ? double(TargetRect.right) / DesignWidth : 1.0;
  ScaleY = DesignHeight > 0 ? double(TargetRect.bottom) / DesignHeight : 1.0;

  X = BounceX = WanderX = PosLeft;
  Y = BounceY = WanderY = PosTop;
  InternalSpeed = int(std::clamp<int64_t>(int64_t(MotionSpeed) * 10,
                                          std::numeric_limits<int32_t>::min(),
                                          std::numeric_limits<int32_t>::max()));
  hasRunState_ = true;
}

void TAnimObject::Stop() {
  if (Started) {
    Thread->Suspend();
    Started = false;
  }
}

void TAnimObject::Resume() {
  Thread->Resume();
  Started = true;
}

void TAnimObject::Step() { StepAt(clock_.load()->Tick()); }

void TAnimObject::StepAt(uint32_t now) {
  std::unique_lock<std::mutex> lk(lock_);
  if (!hasRunState_) return;
  auto elapsed = [&] { return int64_t(uint32_t(now - uint32_t(StartTick))); };

  if (!Visible && StartTick != -1 && elapsed() >= int64_t(DisplaySec) * 1000) Visible = true;

  if (Visible && DisplayDurationType == 1 && StartTick != -1 &&
      elapsed() >= (int64_t(DisplaySec) + DisplayDurationSec) * 1000) {
    Visible = false;
    if (Redisplay) {
      if (ResetPos) {
        lk.unlock();
        Start();  // the object's own Start: loads its picture again
        lk.lock();
      }
      StartTick = now;
    } else {
      StartTick = -1;
    }
  }
  if (!Visible || !hasRunState_) return;

  Wander();
  const int oldLeft = PixelLeft();
  const int L = Area.left, T = Area.top, R = Area.right, B = Area.bottom;
  switch (Motion) {
    case 1: X = WanderX; Y = WanderY; break;
    case 2: X = BounceX; Y = BounceY; break;
    case 3: X = BounceX; break;
    case 4: Y = BounceY; break;
    case 5: Motion5And6(X, BounceX, MirrorSignX, DirX, L, R); break;
    case 6: Motion5And6(Y, BounceY, MirrorSignY, DirY, T, B); break;
    case 7: {
      const double a = -StepCount * std::numbers::pi / 180 * InternalSpeed / 1000;
      const int cx = Div(R - L, 2) + L;
      const int cy = Div(B - T, 2) + T;
      X = std::sin(a) * (Div(R - L, 2) - Div(ImageWidth, 2)) + cx;
      Y = std::cos(a) * (Div(B - T, 2) - Div(ImageHeight, 2)) + cy;
      break;
    }
    case 9:
      X += double(Random(9) - 4) * InternalSpeed / 1000;
      Y += double(Random(9) - 4) * InternalSpeed / 1000;
      break;
    default: break;  // 0, 8 and unknown kinds stay in place
  }

  const int newLeft = PixelLeft();
  if (ObjFacing == 1) {
    Flipped = DirFlip && (oldLeft > newLeft || (oldLeft == newLeft && Flipped));
  } else if (ObjFacing == 0) {
    Flipped = DirFlip && (oldLeft < newLeft || (oldLeft == newLeft && Flipped));
  }
}

void TAnimObject::Motion5And6(double& pos, double bounce, int mirrorSign, int dir, int lo,
                              int hi) {
  // Keeps moving in the start direction; jumps back to the opposite edge when the
  // bouncing point turns.
  if (mirrorSign < 0) {
    pos = dir > 0 ? (lo + hi - bounce) : bounce;
  } else {
    pos = dir > 0 ? bounce : (lo + hi - bounce);
  }
}

void TAnimObject::Wander() {
  const double s = double(InternalSpeed) / 1000;
  const int L = Area.left, T = Area.top, R = Area.right, B = Area.bottom;
  BounceX += Random(1000) * s * DirX / 100;
  BounceY += Random(1000) * s * DirY / 100;
  // The point may overshoot an edge by one step; it turns on the next.
  if (L >= BounceX) DirX = 1;
  if (T >= BounceY) DirY = 1;
  if (R <= BounceX) DirX = -1;
  if (B <= BounceY) DirY = -1;

  WanderX += Random(WanderRangeX) * s * WanderDirX / 100;
  WanderY += Random(WanderRangeY) * s * WanderDirY / 100;
  ++WanderCount;
  if (L >= WanderX || R <= WanderX || T >= WanderY || B <= WanderY) WanderCount = WanderLimit;
  if (WanderCount >= WanderLimit) {
    if (Random(10) == 0) WanderDirX = RandomSign();
    WanderDirY = Random(3) - 1;
    if (L >= WanderX) WanderDirX = 1;
    if (R <= WanderX) WanderDirX = -1;
    if (T >= WanderY) WanderDirY = 1;
    if (B <= WanderY) WanderDirY = -1;
    WanderLimit = Random(300) + 50;
    WanderRangeX = Random(800) + 200;
    WanderRangeY = Random(1000);
    WanderCount = 0;
  }
  ++StepCount;
}

int TAnimObject::PixelLeft() const {
  if (Scaled) return RoundToInt((X - ImageWidth / 2.0) * ScaleX);
  return RoundToInt(X * ScaleX - ImageWidth / 2.0);
}

int TAnimObject::PixelTop() const {
  if (Scaled) return RoundToInt((Y - ImageHeight / 2.0) * ScaleY);
  return RoundToInt(Y * ScaleY - ImageHeight / 2.0);
}

void TAnimObject::LoadFromText(std::string_view text) {
  Ini = IniFile::Parse(text);
  LoadFromText(Ini);
}

void TAnimObject::LoadDescription(std::string_view text) {
  Ini = IniFile::Parse(text);
  LoadDescription(Ini);
}

void TAnimObject::LoadFromText(const IniFile& ini) {
  const std::string s = Section();
  auto readInt = [&](const char* key, int def) { return ini.ReadInteger(s, key, def); };
  auto readByte = [&](const char* key, int def) { return uint8_t(ini.ReadInteger(s, key, def)); };
  auto readBool = [&](const char* key, bool def) { return ini.ReadBool(s, key, def); };

  Width = readInt("Width", Width);
  Height = readInt("Height", Height);
  Scaled = readBool("Scaled", true);
  Scaled = true;  // every loaded object is drawn scaled
  WidthSize = std::clamp(readInt("WidthSize", 100), -kSizeLimit, kSizeLimit);
  HeightSize = std::clamp(readInt("HeightSize", 100), -kSizeLimit, kSizeLimit);
  MoveAreaRect.left = ClampCoord(readInt("MoveAreaRectleft", MoveAreaRect.left));
  MoveAreaRect.top = ClampCoord(readInt("MoveAreaRecttop", MoveAreaRect.top));
  MoveAreaRect.right = ClampCoord(readInt("MoveAreaRectright", MoveAreaRect.right));
  MoveAreaRect.bottom = ClampCoord(readInt("MoveAreaRectbottom", MoveAreaRect.bottom));
  InternalSpeed = readInt("Speed", 10);
  InitialDir = readByte("InitialDir", InitialDir);
  PosLeftType = readByte("PosLeftType", 0);
  PosTopType = readByte("PosTopType", 0);
  PosLeft = ClampCoord(readInt("PosLeft", 100));
  PosTop = ClampCoord(readInt("PosTop", 100));
  ObjFacing = readByte("ObjFacing", 1);
  Opacity = readInt("Opacity", 10);
  DisplaySec = readInt("DisplaySec", 0);
  DisplayDurationType = readByte("DisplayDurationType", 0);
  DisplayDurationSec = readInt("DisplayDurationSec", 60);
  DisplayDurationCycle = readInt("DIsplayDurationCycle", 10);
  Motion = readByte("Motion", 0);
  MotionSpeed = readInt("MotionSpeed", 10);
  MotionAreaType = readByte("MotionAreaType", 0);
  DirFlip = readBool("DirFlip", false);
  Redisplay = readBool("Redisplay", true);
  ResetPos = readBool("ResetPos", true);
  RestrictArea = readBool("RestrictArea", true);
}

void TAnimObject::SaveCommonKeys() {
  Ini = IniFile();
  const std::string s = Section();
  auto w = [&](const char* key, int v) { Ini.WriteInteger(s, key, v); };
  auto b = [&](const char* key, bool v) { Ini.WriteBool(s, key, v); };
  w("Left", PixelLeft());
  w("Top", PixelTop());
  w("Width", Width);
  w("Height", Height);
  b("Scaled", Scaled);
  w("MoveAreaRectleft", MoveAreaRect.left);
  w("MoveAreaRecttop", MoveAreaRect.top);
  w("MoveAreaRectright", MoveAreaRect.right);
  w("MoveAreaRectbottom", MoveAreaRect.bottom);
  w("WidthSize", WidthSize);
  w("HeightSize", HeightSize);
  w("Speed", InternalSpeed);
  w("InitialPos", InitialPos);
  w("InitialDir", InitialDir);
  w("PosLeftType", PosLeftType);
  w("PosTopType", PosTopType);
  w("PosLeft", PosLeft);
  w("PosTop", PosTop);
  w("ObjFacing", ObjFacing);
  w("Opacity", Opacity);
  w("DisplaySec", DisplaySec);
  w("DisplayDurationType", DisplayDurationType);
  w("DisplayDurationSec", DisplayDurationSec);
  w("DIsplayDurationCycle", DisplayDurationCycle);
  w("Motion", Motion);
  w("MotionSpeed", MotionSpeed);
  w("MotionAreaType", MotionAreaType);
  b("DirFlip", DirFlip);
  b("Redisplay", Redisplay);
  b("ResetPos", ResetPos);
  b("RestrictArea", RestrictArea);
}

std::string TAnimObject::SaveToText() {
  auto lk = Lock();
  SaveCommonKeys();
  return Ini.ToText();
}

}  // namespace tp
