#include "effects/BlockEffects.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "imaging/Draw.h"

namespace tp {
namespace {

// A coordinate of a block operation: an integer combination of the quantities below,
// evaluated per frame. Index 0 is the constant 1.
enum Quantity { kOne, kW, kH, kX, kY, kW2, kH2, kX2, kY2, kWX2, kHY2, kQuantities };

struct Term {
  std::array<int8_t, kQuantities> c{};
  constexpr Term() = default;
  constexpr Term(int constant) { c[kOne] = int8_t(constant); }  // NOLINT: implicit on purpose
  static constexpr Term Of(Quantity q) {
    Term t;
    t.c[q] = 1;
    return t;
  }
};

constexpr Term operator+(Term a, Term b) {
  for (int i = 0; i < kQuantities; ++i) a.c[i] = int8_t(a.c[i] + b.c[i]);
  return a;
}
constexpr Term operator-(Term a) {
  for (int i = 0; i < kQuantities; ++i) a.c[i] = int8_t(-a.c[i]);
  return a;
}
constexpr Term operator-(Term a, Term b) { return a + (-b); }
constexpr Term operator*(int k, Term a) {
  for (int i = 0; i < kQuantities; ++i) a.c[i] = int8_t(k * a.c[i]);
  return a;
}

// W, H, X, Y; halves (div 2) of W, H, X, Y; (W - X) div 2 and (H - Y) div 2. The "rest"
// halves XR = X - X div 2 and YR = Y - Y div 2 make the right and bottom blocks of the
// two-sided members meet the left and top ones exactly on odd sizes.
constexpr Term W = Term::Of(kW), H = Term::Of(kH), X = Term::Of(kX), Y = Term::Of(kY);
constexpr Term W2 = Term::Of(kW2), H2 = Term::Of(kH2), X2 = Term::Of(kX2), Y2 = Term::Of(kY2);
constexpr Term WX2 = Term::Of(kWX2), HY2 = Term::Of(kHY2);
constexpr Term XR = X - X2, YR = Y - Y2, WR = W - W2, HR = H - H2;

enum class Op : uint8_t { None, Copy, Stretch, SelfCopy, SelfStretch };

// dx, dy, dw, dh <- sx, sy [, sw, sh]. For copies sw and sh are unused.
struct BlockOp {
  Op op = Op::None;
  Term dx, dy, dw, dh, sx, sy, sw, sh;
};

constexpr BlockOp C(Term dx, Term dy, Term w, Term h, Term sx, Term sy) {
  return {Op::Copy, dx, dy, w, h, sx, sy, 0, 0};
}
constexpr BlockOp S(Term dx, Term dy, Term dw, Term dh, Term sx, Term sy, Term sw, Term sh) {
  return {Op::Stretch, dx, dy, dw, dh, sx, sy, sw, sh};
}
constexpr BlockOp SC(Term dx, Term dy, Term w, Term h, Term sx, Term sy) {
  return {Op::SelfCopy, dx, dy, w, h, sx, sy, 0, 0};
}
constexpr BlockOp SS(Term dx, Term dy, Term dw, Term dh, Term sx, Term sy, Term sw, Term sh) {
  return {Op::SelfStretch, dx, dy, dw, dh, sx, sy, sw, sh};
}

struct BlockMember {
  int number;
  std::array<BlockOp, 4> ops;
};

constexpr BlockMember kMembers[] = {
    {4, {S(W - X, 0, X, H, 0, 0, W, H)}},
    {5, {S(0, 0, X, H, 0, 0, W, H)}},
    {6, {C(W - X, 0, W, H, 0, 0)}},
    {7, {C(X - W, 0, W, H, 0, 0)}},
    {8, {C(0, 0, X, H, 0, 0)}},
    {9, {C(W - X, 0, X, H, W - X, 0)}},
    {10, {S(0, 0, 2 * W - X, H, 0, 0, X, H)}},
    {11, {S(X - W, 0, 2 * W - X, H, W - X, 0, X, H)}},
    {12, {S(X - W, 0, 3 * W - 2 * X, H, WX2, 0, X, H)}},
    {13, {S(WX2, 0, X, H, 0, 0, W, H)}},
    {14, {C(WX2, 0, X, H, WX2, 0)}},
    {15, {C(0, 0, X2, H, 0, 0), C(W - XR, 0, XR, H, W - XR, 0)}},
    {16, {S(0, 0, X2, H, 0, 0, W2, H), S(W - XR, 0, XR, H, W2, 0, WR, H)}},
    {21, {S(0, H - Y, W, Y, 0, 0, W, H)}},
    {22, {S(0, 0, W, Y, 0, 0, W, H)}},
    {23, {C(0, H - Y, W, H, 0, 0)}},
    {24, {C(0, Y - H, W, H, 0, 0)}},
    {25, {C(0, 0, W, Y, 0, 0)}},
    {26, {C(0, H - Y, W, Y, 0, H - Y)}},
    {27, {S(0, 0, W, 2 * H - Y, 0, 0, W, Y)}},
    {28, {S(0, Y - H, W, 2 * H - Y, 0, H - Y, W, Y)}},
    {29, {S(0, Y - H, W, 3 * H - 2 * Y, 0, HY2, W, Y)}},
    {30, {S(0, HY2, W, Y, 0, 0, W, H)}},
    {31, {C(0, HY2, W, Y, 0, HY2)}},
    {32, {C(0, 0, W, Y2, 0, 0), C(0, H - YR, W, YR, 0, H - YR)}},
    {33, {S(0, 0, W, Y2, 0, 0, W, H2), S(0, H - YR, W, YR, 0, H2, W, HR)}},
    {38, {S(W - X, H - Y, X, Y, 0, 0, W, H)}},
    {39, {S(W - X, 0, X, Y, 0, 0, W, H)}},
    {40, {S(0, 0, X, Y, 0, 0, W, H)}},
    {41, {S(0, H - Y, X, Y, 0, 0, W, H)}},
    {42, {C(W - X, H - Y, W, H, 0, 0)}},
    {43, {C(W - X, Y - H, W, H, 0, 0)}},
    {44, {C(X - W, Y - H, W, H, 0, 0)}},
    {45, {C(X - W, H - Y, W, H, 0, 0)}},
    {46, {C(0, 0, X, Y, 0, 0)}},
    {47, {C(0, H - Y, X, Y, 0, H - Y)}},
    {48, {C(W - X, H - Y, X, Y, W - X, H - Y)}},
    {49, {C(W - X, 0, X, Y, W - X, 0)}},
    {50, {S(0, 0, 2 * W - X, 2 * H - Y, 0, 0, X, Y)}},
    {51, {S(0, Y - H, 2 * W - X, 2 * H - Y, 0, H - Y, X, Y)}},
    {52, {S(X - W, Y - H, 2 * W - X, 2 * H - Y, W - X, H - Y, X, Y)}},
    {53, {S(X - W, 0, 2 * W - X, 2 * H - Y, W - X, 0, X, Y)}},
    {54, {S(X - W, Y - H, 3 * W - 2 * X, 3 * H - 2 * Y, WX2, HY2, X, Y)}},
    {55, {S(WX2, HY2, X, Y, 0, 0, W, H)}},
    {56, {C(WX2, HY2, X, Y, WX2, HY2)}},
    // 57: the new picture closes in from the four edges (the frame around the shrinking
    // centre rectangle, as four strips).
    {57,
     {C(0, 0, W, Y2, 0, 0), C(0, H - YR, W, YR, 0, H - YR), C(0, Y2, X2, H - YR - Y2, 0, Y2),
      C(W - XR, Y2, XR, H - YR - Y2, W - XR, Y2)}},
    {58,
     {C(0, 0, X2, Y2, 0, 0), C(W - XR, 0, XR, Y2, W - XR, 0), C(0, H - YR, X2, YR, 0, H - YR),
      C(W - XR, H - YR, XR, YR, W - XR, H - YR)}},
    {59,
     {S(0, 0, X2, Y2, 0, 0, W2, H2), S(W - XR, 0, XR, Y2, W2, 0, WR, H2),
      S(0, H - YR, X2, YR, 0, H2, W2, HR), S(W - XR, H - YR, XR, YR, W2, H2, WR, HR)}},
    {60,
     {C(X2 - W2, 0, W2, H2, 0, 0), C(W2, Y2 - H2, WR, H2, W2, 0), C(W - XR, H2, WR, HR, W2, H2),
      C(0, H - YR, W2, HR, 0, H2)}},
    {130, {SC(X, 0, W - X, H, 0, 0), C(0, 0, X, H, W - X, 0)}},
    {131, {SC(0, 0, W - X, H, X, 0), C(W - X, 0, X, H, 0, 0)}},
    {132, {SS(X, 0, W - X, H, 0, 0, W, H), C(0, 0, X, H, W - X, 0)}},
    {133, {SS(0, 0, W - X, H, 0, 0, W, H), C(W - X, 0, X, H, 0, 0)}},
    {134, {SC(0, Y, W, H - Y, 0, 0), C(0, 0, W, Y, 0, H - Y)}},
    {135, {SC(0, 0, W, H - Y, 0, Y), C(0, H - Y, W, Y, 0, 0)}},
    {136, {SS(0, Y, W, H - Y, 0, 0, W, H), C(0, 0, W, Y, 0, H - Y)}},
    {137, {SS(0, 0, W, H - Y, 0, 0, W, H), C(0, H - Y, W, Y, 0, 0)}},
};

int Evaluate(const Term& t, const std::array<int64_t, kQuantities>& v) {
  int64_t sum = 0;
  for (int i = 0; i < kQuantities; ++i) sum += int64_t(t.c[i]) * v[i];
  return int(std::clamp<int64_t>(sum, INT32_MIN / 2, INT32_MAX / 2));
}

}  // namespace

void BlockCopyFamily(int number, Bitmap32& dst, const Bitmap32& src, int w, int h, int x, int y,
                     int) {
  const BlockMember* member = nullptr;
  for (const auto& m : kMembers) {
    if (m.number == number) member = &m;
  }
  if (member == nullptr) return;
  const std::array<int64_t, kQuantities> v = {
      1, w, h, x, y, w / 2, h / 2, x / 2, y / 2, (w - x) / 2, (h - y) / 2};
  for (const BlockOp& op : member->ops) {
    const int dx = Evaluate(op.dx, v), dy = Evaluate(op.dy, v);
    const int dw = Evaluate(op.dw, v), dh = Evaluate(op.dh, v);
    const int sx = Evaluate(op.sx, v), sy = Evaluate(op.sy, v);
    const int sw = Evaluate(op.sw, v), sh = Evaluate(op.sh, v);
    switch (op.op) {
      case Op::None: break;
      case Op::Copy: Copy(dst, dx, dy, dw, dh, src, sx, sy); break;
      case Op::Stretch: Stretch(dst, dx, dy, dw, dh, src, sx, sy, sw, sh); break;
      case Op::SelfCopy: SelfCopy(dst, dx, dy, dw, dh, sx, sy); break;
      case Op::SelfStretch: SelfStretch(dst, dx, dy, dw, dh, sx, sy, sw, sh); break;
    }
  }
}

}  // namespace tp
