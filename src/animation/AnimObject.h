#pragma once
// An animated object of a packaged picture: its description keys, its motion state and
// its own worker thread that moves it every 5 ms.
//
// Threads: the worker thread (Step) and the drawing thread share the object's fields.
// Every access made while the thread may be running happens under Lock(): Step holds it
// for one step, the engine holds it while it reads the position and draws the picture.
// Start and Stop are called by the engine while the thread is suspended (Stop suspends
// it and returns only after a step in progress has ended); the redisplay path of Step
// calls Start on the worker itself. Never call Stop or destroy an object while holding
// its lock.
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "animation/ObjectThread.h"
#include "core/IniFile.h"
#include "imaging/Rect.h"
#include "platform/Clock.h"

namespace tp {

class TAnimImgObject;

// The four values of a movement rectangle as stored (left, top, right, bottom).
struct TMoveArea {
  int left = 0, top = 0, right = 0, bottom = 0;
};

class TAnimObject {
 public:
  TAnimObject();
  virtual ~TAnimObject();
  TAnimObject(const TAnimObject&) = delete;
  TAnimObject& operator=(const TAnimObject&) = delete;

  // Initialises the run state (start position, direction, scale) at the clock's now.
  virtual void Start();
  // Suspends the worker thread when it was started and clears Started.
  virtual void Stop();
  // The description of this object as INI text (section "Obj" + Index), in key order.
  virtual std::string SaveToText();
  // Reads the common keys of section "Obj" + Index.
  virtual void LoadFromText(const IniFile& ini);
  void LoadFromText(std::string_view text);
  // Reads the keys of the object's type, then the common keys.
  virtual void LoadDescription(const IniFile& ini) { LoadFromText(ini); }
  void LoadDescription(std::string_view text);

  // Resumes the worker thread and marks the object started (the engine's last start step).
  void Resume();

  // One step of the worker thread at the clock's now / at the tick now.
  void Step();
  void StepAt(uint32_t now);
  // Moves the bouncing and wandering points one step (part of Step; caller holds the lock
  // or the thread is suspended).
  void Wander();

  // Top-left corner in target pixels (caller holds the lock while the thread runs).
  int PixelLeft() const;
  int PixelTop() const;

  virtual TAnimImgObject* AsImage() { return nullptr; }

  // The object's lock (see the header comment).
  std::unique_lock<std::mutex> Lock() const { return std::unique_lock<std::mutex>(lock_); }

  // The tick source used by Start and Step; the engine hands over its own.
  void SetClock(Clock* clock) {
    clock_.store(clock);
    Thread->SetClock(clock);
  }
  Clock& clock() const { return *clock_.load(); }

  // True once Start initialised the run state (an object whose picture is missing never is).
  bool HasRunState() const { return hasRunState_; }

  // Master alpha for an opacity on the 0..10 scale: round(opacity * 2550 / 100).
  static uint8_t OpacityAlpha(int opacity);
  // Playback speed in percent for a stored "AnimSpeed".
  static int AnimSpeedPercent(int animSpeed);
  // A start coordinate for a position type over the edges lo and hi (fixed: type 0's value).
  static int PositionValue(int type, int lo, int hi, int fixed);

  // --- run state -------------------------------------------------------------------
  int Index = 0;
  IniFile Ini;
  std::unique_ptr<TObjectThread> Thread;
  bool Started = false;
  bool Visible = false;
  int64_t StartTick = 0;  // tick of the last (re)start; -1: never shown again
  double X = 0, Y = 0;
  double BounceX = 0, BounceY = 0;
  int DirX = 1, DirY = 1;
  int MirrorSignX = 1, MirrorSignY = 1;
  double WanderX = 0, WanderY = 0;
  int WanderDirX = 0, WanderDirY = 0;
  int WanderRangeX = 500, WanderRangeY = 1000;
  int WanderCount = 0, WanderLimit = 0;
  int StepCount = 0;
  int InternalSpeed = 100;
  Rect Area;        // left, top, right, bottom of the movement range
  Rect TargetRect;  // (0, 0, target width, target height), set by the engine
  int DesignWidth = 0, DesignHeight = 0;
  double ScaleX = 1, ScaleY = 1;
  int ImageWidth = 0, ImageHeight = 0;
  bool Flipped = false;

  // --- description keys ------------------------------------------------------------
  int Width = 0, Height = 0;
  bool Scaled = true;
  int WidthSize = 100, HeightSize = 100;
  TMoveArea MoveAreaRect;
  uint8_t InitialPos = 0;
  uint8_t InitialDir = 0;
  uint8_t PosLeftType = 0, PosTopType = 0;
  int PosLeft = 100, PosTop = 100;
  uint8_t ObjFacing = 1;
  int Opacity = 10;
  int DisplaySec = 0;
  uint8_t DisplayDurationType = 0;
  int DisplayDurationSec = 60;
  int DisplayDurationCycle = 10;
  uint8_t Motion = 0;
  int MotionSpeed = 10;
  uint8_t MotionAreaType = 0;
  bool DirFlip = false;
  bool Redisplay = true;
  bool ResetPos = true;
  bool RestrictArea = true;

 protected:
  // The base Start at tick now; the caller holds the lock.
  void StartRunState(uint32_t now);
  // Writes the common keys into Ini (cleared first).
  void SaveCommonKeys();
  std::string Section() const { return "Obj" + std::to_string(Index); }
  // Ends and joins the worker thread; derived destructors call it first, so that no step
  // runs on a half-destroyed object.
  void EndThread();
  void SeedRandom();

  mutable std::mutex lock_;
  std::atomic<Clock*> clock_;
  bool hasRunState_ = false;

 private:
  void Motion5And6(double& pos, double bounce, int mirrorSign, int dir, int lo, int hi);
};

}  // namespace tp
