#include "effects/EffectCatalogue.h"

#include <algorithm>

#include "effects/BlockEffects.h"
#include "effects/PixelEffects.h"
#include "effects/RegionEffects.h"

namespace tp {
namespace {

using FamilyProc = void (*)(int number, Bitmap32& dst, const Bitmap32& src, int w, int h, int x,
                            int y, int p);

// One catalogue procedure: clips the arguments to the bitmaps, then runs the member's
// family with its number.
template <FamilyProc Family, int Number>
void Member(Bitmap32& dst, const Bitmap32& src, int w, int h, int x, int y, int p) {
  w = std::min({w, dst.width(), src.width()});
  h = std::min({h, dst.height(), src.height()});
  if (w <= 0 || h <= 0) return;
  p = std::clamp(p, 0, 100);
  x = std::clamp(x, 0, w);
  y = std::clamp(y, 0, h);
  Family(Number, dst, src, w, h, x, y, p);
}

#define TP_EFFECT(n, family, name) {n, name, &Member<&family, n>}

constexpr EffectEntry kCatalogue[kEffectCount] = {
    TP_EFFECT(1, FadeFamily, "Fade"),
    TP_EFFECT(2, PixelateFamily, "Pixelate"),
    TP_EFFECT(3, DissolveFamily, "Dissolve"),
    TP_EFFECT(4, BlockCopyFamily, "Expand from right"),
    TP_EFFECT(5, BlockCopyFamily, "Expand from left"),
    TP_EFFECT(6, BlockCopyFamily, "Slide in from right"),
    TP_EFFECT(7, BlockCopyFamily, "Slide in from left"),
    TP_EFFECT(8, BlockCopyFamily, "Reveal from left"),
    TP_EFFECT(9, BlockCopyFamily, "Reveal from right"),
    TP_EFFECT(10, BlockCopyFamily, "Expand in from right"),
    TP_EFFECT(11, BlockCopyFamily, "Expand in from left"),
    TP_EFFECT(12, BlockCopyFamily, "Expand in to middle"),
    TP_EFFECT(13, BlockCopyFamily, "Expand out from middle"),
    TP_EFFECT(14, BlockCopyFamily, "Reveal out from middle"),
    TP_EFFECT(15, BlockCopyFamily, "Reveal in from sides"),
    TP_EFFECT(16, BlockCopyFamily, "Expand in from sides"),
    TP_EFFECT(17, UnrollFamily, "Unroll from left"),
    TP_EFFECT(18, UnrollFamily, "Unroll from right"),
    TP_EFFECT(19, BuildUpFamily, "Build up from right"),
    TP_EFFECT(20, BuildUpFamily, "Build up from left"),
    TP_EFFECT(21, BlockCopyFamily, "Expand from bottom"),
    TP_EFFECT(22, BlockCopyFamily, "Expand from top"),
    TP_EFFECT(23, BlockCopyFamily, "Slide in from bottom"),
    TP_EFFECT(24, BlockCopyFamily, "Slide in from top"),
    TP_EFFECT(25, BlockCopyFamily, "Reveal from top"),
    TP_EFFECT(26, BlockCopyFamily, "Reveal from bottom"),
    TP_EFFECT(27, BlockCopyFamily, "Expand in from bottom"),
    TP_EFFECT(28, BlockCopyFamily, "Expand in from top"),
    TP_EFFECT(29, BlockCopyFamily, "Expand in to middle (horiz)"),
    TP_EFFECT(30, BlockCopyFamily, "Expand out from middle (horiz)"),
    TP_EFFECT(31, BlockCopyFamily, "Reveal from middle (horiz)"),
    TP_EFFECT(32, BlockCopyFamily, "Slide in from top / bottom"),
    TP_EFFECT(33, BlockCopyFamily, "Expand in from top / bottom"),
    TP_EFFECT(34, UnrollFamily, "Unroll from top"),
    TP_EFFECT(35, UnrollFamily, "Unroll from bottom"),
    TP_EFFECT(36, BuildUpFamily, "Expand gradually from bottom"),
    TP_EFFECT(37, BuildUpFamily, "Expand in gradually from top"),
    TP_EFFECT(38, BlockCopyFamily, "Expand from bottom right"),
    TP_EFFECT(39, BlockCopyFamily, "Expand from top right"),
    TP_EFFECT(40, BlockCopyFamily, "Expand from top left"),
    TP_EFFECT(41, BlockCopyFamily, "Expand from bottom left"),
    TP_EFFECT(42, BlockCopyFamily, "Slide in from bottom right"),
    TP_EFFECT(43, BlockCopyFamily, "Slide in from top right"),
    TP_EFFECT(44, BlockCopyFamily, "Slide in from top left"),
    TP_EFFECT(45, BlockCopyFamily, "Slide in from bottom left"),
    TP_EFFECT(46, BlockCopyFamily, "Reveal from top left"),
    TP_EFFECT(47, BlockCopyFamily, "Reveal from bottom left"),
    TP_EFFECT(48, BlockCopyFamily, "Reveal from bottom right"),
    TP_EFFECT(49, BlockCopyFamily, "Reveal from top right"),
    TP_EFFECT(50, BlockCopyFamily, "Appear and Contract to top left"),
    TP_EFFECT(51, BlockCopyFamily, "Appear and Contract to bottom left"),
    TP_EFFECT(52, BlockCopyFamily, "Appear and Contract to bottom right"),
    TP_EFFECT(53, BlockCopyFamily, "Appear and Contract to top right"),
    TP_EFFECT(54, BlockCopyFamily, "Appear and Contract to middle"),
    TP_EFFECT(55, BlockCopyFamily, "Expand out from centre"),
    TP_EFFECT(56, BlockCopyFamily, "Reveal out from centre"),
    TP_EFFECT(57, BlockCopyFamily, "Reveal in to centre"),
    TP_EFFECT(58, BlockCopyFamily, "Quarters Reveal in to middle"),
    TP_EFFECT(59, BlockCopyFamily, "Quarters Expand to middle"),
    TP_EFFECT(60, BlockCopyFamily, "Quarters Slide in to middle"),
    TP_EFFECT(61, CurvedRevealFamily, "Curved Reveal from left"),
    TP_EFFECT(62, CurvedRevealFamily, "Curved Reveal from right"),
    TP_EFFECT(63, BarsFamily, "Bars in from right"),
    TP_EFFECT(64, BarsFamily, "Bars in from left"),
    TP_EFFECT(65, BarsFamily, "Bars left then right"),
    TP_EFFECT(66, BarsFamily, "Bars right then left"),
    TP_EFFECT(67, BarsFamily, "Bars from both sides"),
    TP_EFFECT(68, UnevenShredFamily, "Uneven shred from right"),
    TP_EFFECT(69, UnevenShredFamily, "Uneven shred from left"),
    TP_EFFECT(70, UnevenShredFamily, "Uneven shred out from middle (horiz)"),
    TP_EFFECT(71, UnevenShredFamily, "Uneven shred in to middle (horiz)"),
    TP_EFFECT(72, CurvedRevealFamily, "Curved Reveal from top"),
    TP_EFFECT(73, CurvedRevealFamily, "Curved Reveal from bottom"),
    TP_EFFECT(74, BarsFamily, "Bars from bottom"),
    TP_EFFECT(75, BarsFamily, "Bars from top"),
    TP_EFFECT(76, BarsFamily, "Bars top then bottom"),
    TP_EFFECT(77, BarsFamily, "Bars bottom then top"),
    TP_EFFECT(78, BarsFamily, "Bars from top and bottom"),
    TP_EFFECT(79, UnevenShredFamily, "Uneven shred from bottom"),
    TP_EFFECT(80, UnevenShredFamily, "Uneven shred from top"),
    TP_EFFECT(81, UnevenShredFamily, "Uneven shred from horizon"),
    TP_EFFECT(82, UnevenShredFamily, "Uneven shred in to horizon"),
    TP_EFFECT(83, CurvedRevealFamily, "Curved reveal from top left"),
    TP_EFFECT(84, CurvedRevealFamily, "Curved reveal from top right"),
    TP_EFFECT(85, CurvedRevealFamily, "Curved reveal from bottom left"),
    TP_EFFECT(86, CurvedRevealFamily, "Curved reveal from bottom right"),
    TP_EFFECT(87, CurvedRevealFamily, "Elliptic reveal out from centre"),
    TP_EFFECT(88, CurvedRevealFamily, "Elliptic reveal in to centre"),
    TP_EFFECT(89, BarsFamily, "Criss Cross from bottom right"),
    TP_EFFECT(90, BarsFamily, "Criss Cross from top right"),
    TP_EFFECT(91, BarsFamily, "Criss Cross from bottom left"),
    TP_EFFECT(92, BarsFamily, "Criss Cross from top left"),
    TP_EFFECT(93, BarsFamily, "Criss Cross bounce from top left"),
    TP_EFFECT(94, BarsFamily, "Criss Cross bounce from bottom left"),
    TP_EFFECT(95, BarsFamily, "Criss Cross bounce from top right"),
    TP_EFFECT(96, BarsFamily, "Criss Cross bounce from bottom right"),
    TP_EFFECT(97, BarsFamily, "Criss Cross from right top and bottom"),
    TP_EFFECT(98, BarsFamily, "Criss Cross from left top and bottom"),
    TP_EFFECT(99, BarsFamily, "Criss Cross from left right and bottom"),
    TP_EFFECT(100, BarsFamily, "Criss Cross from left right and top"),
    TP_EFFECT(101, BarsFamily, "Criss Cross from top left and bottom"),
    TP_EFFECT(102, BarsFamily, "Criss Cross from bottom left top right"),
    TP_EFFECT(103, UnevenShredFamily, "Uneven shred from bottom and right"),
    TP_EFFECT(104, UnevenShredFamily, "Uneven shred from top and right"),
    TP_EFFECT(105, UnevenShredFamily, "Uneven shred from bottom and left"),
    TP_EFFECT(106, UnevenShredFamily, "Uneven shred from top and left"),
    TP_EFFECT(107, UnevenShredFamily, "Uneven shred from horiz and right"),
    TP_EFFECT(108, UnevenShredFamily, "Uneven shred from horiz and left"),
    TP_EFFECT(109, UnevenShredFamily, "Uneven shred from bottom and vert middle"),
    TP_EFFECT(110, UnevenShredFamily, "Uneven shred from top and vert middle"),
    TP_EFFECT(111, UnevenShredFamily, "Uneven shred from centre"),
    TP_EFFECT(112, UnevenShredFamily, "Uneven shred to centre"),
    TP_EFFECT(113, PolygonFamily, "Reveal diagonal from top left"),
    TP_EFFECT(114, PolygonFamily, "Reveal diagonal from top right"),
    TP_EFFECT(115, PolygonFamily, "Reveal diagonal from bottom left"),
    TP_EFFECT(116, PolygonFamily, "Reveal diagonal from bottom right"),
    TP_EFFECT(117, PolygonFamily, "Diagonal sweep anticlockwise"),
    TP_EFFECT(118, PolygonFamily, "Diagonal sweep clockwise"),
    TP_EFFECT(119, PolygonFamily, "Starburst clockwise from center"),
    TP_EFFECT(120, ShredGridFamily, "Triangular shred"),
    TP_EFFECT(121, PivotFamily, "Pivot from top left"),
    TP_EFFECT(122, PivotFamily, "Pivot from bottom left"),
    TP_EFFECT(123, PivotFamily, "Pivot from top right"),
    TP_EFFECT(124, PivotFamily, "Pivot from bottom right"),
    TP_EFFECT(125, SpeckleFamily, "Speckle appear from right"),
    TP_EFFECT(126, SpeckleFamily, "Speckle appear from left"),
    TP_EFFECT(127, SpeckleFamily, "Speckle appear from bottom"),
    TP_EFFECT(128, SpeckleFamily, "Speckle appear from top"),
    TP_EFFECT(129, RandomSquaresFamily, "Random squares appear"),
    TP_EFFECT(130, BlockCopyFamily, "Push right"),
    TP_EFFECT(131, BlockCopyFamily, "Push left"),
    TP_EFFECT(132, BlockCopyFamily, "Push and squeeze right"),
    TP_EFFECT(133, BlockCopyFamily, "Push and squeeze left"),
    TP_EFFECT(134, BlockCopyFamily, "Push down"),
    TP_EFFECT(135, BlockCopyFamily, "Push up"),
    TP_EFFECT(136, BlockCopyFamily, "Push and sqeeze down"),
    TP_EFFECT(137, BlockCopyFamily, "Push and sqeeze up"),
    TP_EFFECT(138, BlindFamily, "Blind vertically"),
    TP_EFFECT(139, BlindFamily, "Blind horizontally"),
    TP_EFFECT(140, BlindFamily, "Uneven blind from left"),
    TP_EFFECT(141, BlindFamily, "Uneven blind from right"),
    TP_EFFECT(142, BlindFamily, "Uneven blind from top"),
    TP_EFFECT(143, BlindFamily, "Uneven blind from bottom"),
    TP_EFFECT(144, ShredGridFamily, "Rectangular shred"),
    TP_EFFECT(145, BlindFamily, "Rectangles from left to right"),
    TP_EFFECT(146, BlindFamily, "Rectangles from right to left"),
    TP_EFFECT(147, BlindFamily, "Rectangles from up to bottom"),
    TP_EFFECT(148, BlindFamily, "Rectangles from bottom to up"),
    TP_EFFECT(149, RotatingShapeFamily, "Rotational rectangle in center"),
    TP_EFFECT(150, RotatingShapeFamily, "Rotational star in center"),
    TP_EFFECT(151, RotatingShapeFamily, "Spiral rectangle"),
    TP_EFFECT(152, ShredGridFamily, "Circular shred"),
    TP_EFFECT(153, PolygonFamily, "Reveal V from left"),
    TP_EFFECT(154, PolygonFamily, "Reveal V from right"),
    TP_EFFECT(155, PolygonFamily, "Reveal V from top"),
    TP_EFFECT(156, PolygonFamily, "Reveal V from bottom"),
    TP_EFFECT(157, PolygonFamily, "Bow Tie Horizontal"),
    TP_EFFECT(158, PolygonFamily, "Bow Tie Vertical"),
    TP_EFFECT(159, PolygonFamily, "Diagonal Cross In"),
    TP_EFFECT(160, PolygonFamily, "Diagonal Cross Out"),
    TP_EFFECT(161, PolygonFamily, "Starburst anticlockwise from center"),
    TP_EFFECT(162, ZigzagFamily, "Zigzag Horizontal"),
    TP_EFFECT(163, ZigzagFamily, "Zigzag Vertical"),
    TP_EFFECT(164, ShredGridFamily, "Diamond shred"),
    TP_EFFECT(165, PolygonFamily, "Reveal diamond out from centre"),
    TP_EFFECT(166, PolygonFamily, "Reveal diamond in to centre"),
    TP_EFFECT(167, PolygonFamily, "Diagonal Box Out"),
    TP_EFFECT(168, DissolveFamily, "Random Bars Horizontal"),
    TP_EFFECT(169, DissolveFamily, "Random Bars Vertical"),
};

#undef TP_EFFECT

// The table is in number order with no gaps.
constexpr bool NumbersInOrder() {
  for (int i = 0; i < kEffectCount; ++i) {
    if (kCatalogue[i].number != i + 1) return false;
  }
  return true;
}
static_assert(NumbersInOrder(), "catalogue entries must be numbered 1..169 in order");

}  // namespace

std::span<const EffectEntry> EffectCatalogue() { return kCatalogue; }

const EffectEntry* FindEffect(int number) {
  if (number < 1 || number > kEffectCount) return nullptr;
  return &kCatalogue[number - 1];
}

}  // namespace tp
