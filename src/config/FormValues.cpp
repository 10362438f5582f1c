#include "config/FormValues.h"

#include <array>
#include <string_view>

#include "core/TextUtil.h"
#include "imaging/import/ImageLoader.h"

namespace tp {
namespace {

struct NamedValue {
  const char* name;
  int64_t value;
};

// Named colours: 0x00BBGGRR values; system colours as 0xFF000000 + index.
constexpr std::array<NamedValue, 52> kColors = {{
    {"clBlack", 0x000000},        {"clMaroon", 0x000080},
    {"clGreen", 0x008000},        {"clOlive", 0x008080},
    {"clNavy", 0x800000},         {"clPurple", 0x800080},
    {"clTeal", 0x808000},         {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0},       {"clRed", 0x0000FF},
    {"clLime", 0x00FF00},         {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},         {"clFuchsia", 0xFF00FF},
    {"clAqua", 0xFFFF00},         {"clWhite", 0xFFFFFF},
    {"clLtGray", 0xC0C0C0},       {"clDkGray", 0x808080},
    {"clMoneyGreen", 0xC0DCC0},   {"clSkyBlue", 0xF0CAA6},
    {"clCream", 0xF0FBFF},        {"clMedGray", 0xA4A0A0},
    {"clNone", 0x1FFFFFFF},       {"clDefault", 0x20000000},
    {"clScrollBar", 0xFF000000},  {"clBackground", 0xFF000001},
    {"clActiveCaption", 0xFF000002}, {"clInactiveCaption", 0xFF000003},
    {"clMenu", 0xFF000004},       {"clWindow", 0xFF000005},
    {"clWindowFrame", 0xFF000006}, {"clMenuText", 0xFF000007},
    {"clWindowText", 0xFF000008}, {"clCaptionText", 0xFF000009},
    {"clActiveBorder", 0xFF00000A}, {"clInactiveBorder", 0xFF00000B},
    {"clAppWorkSpace", 0xFF00000C}, {"clHighlight", 0xFF00000D},
    {"clHighlightText", 0xFF00000E}, {"clBtnFace", 0xFF00000F},
    {"clBtnShadow", 0xFF000010},  {"clGrayText", 0xFF000011},
    {"clBtnText", 0xFF000012},    {"clInactiveCaptionText", 0xFF000013},
    {"clBtnHighlight", 0xFF000014}, {"cl3DDkShadow", 0xFF000015},
    {"cl3DLight", 0xFF000016},    {"clInfoText", 0xFF000017},
    {"clInfoBk", 0xFF000018},     {"clHotLight", 0xFF00001A},
    {"clGradientActiveCaption", 0xFF00001B}, {"clGradientInactiveCaption", 0xFF00001C},
}};

// The classic desktop palette, 0xRRGGBB by system colour index.
constexpr std::array<uint32_t, 31> kSystemPalette = {
    0xD4D0C8, 0x3A6EA5, 0x0A246A, 0x808080, 0xD4D0C8, 0xFFFFFF, 0x000000, 0x000000,
    0x000000, 0xFFFFFF, 0xD4D0C8, 0xD4D0C8, 0x808080, 0x0A246A, 0xFFFFFF, 0xD4D0C8,
    0x808080, 0x808080, 0x000000, 0xD4D0C8, 0xFFFFFF, 0x404040, 0xD4D0C8, 0x000000,
    0xFFFFE1, 0xB5B5B5, 0x0000FF, 0xA6CAF0, 0xC0C0C0, 0x316AC5, 0xECE9D8,
};

constexpr std::array<NamedValue, 22> kCursors = {{
    {"crDefault", 0},     {"crNone", -1},      {"crArrow", -2},     {"crCross", -3},
    {"crIBeam", -4},      {"crSize", -22},     {"crSizeNESW", -6},  {"crSizeNS", -7},
    {"crSizeNWSE", -8},   {"crSizeWE", -9},    {"crUpArrow", -10},  {"crHourGlass", -11},
    {"crDrag", -12},      {"crNoDrop", -13},   {"crHSplit", -14},   {"crVSplit", -15},
    {"crMultiDrag", -16}, {"crSQLWait", -17},  {"crNo", -18},       {"crAppStart", -19},
    {"crHelp", -20},      {"crHandPoint", -21},
}};

std::optional<int64_t> LookUp(const auto& table, std::string_view name) {
  for (const NamedValue& nv : table)
    if (EqualsIgnoreCase(nv.name, name)) return nv.value;
  return std::nullopt;
}

}  // namespace

QColor SystemColor(int index) {
  if (index < 0 || size_t(index) >= kSystemPalette.size()) return QColor(0, 0, 0);
  return QColor::fromRgb(kSystemPalette[size_t(index)]);
}

QColor ResolveColorValue(int64_t value) {
  uint32_t v = uint32_t(value);
  uint32_t high = v >> 24;
  if (high == 0x80 || high == 0xFF) return SystemColor(int(v & 0xFF));
  if (v == 0x1FFFFFFF) return QColor(Qt::transparent);
  if (v == 0x20000000) return SystemColor(kClWindow);
  return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

std::optional<QColor> FormColor(const FormValue& v) {
  if (v.kind == FormValue::Kind::Integer) return ResolveColorValue(v.integer);
  if (v.kind == FormValue::Kind::Identifier) {
    if (auto value = LookUp(kColors, v.text)) return ResolveColorValue(*value);
  }
  return std::nullopt;
}

std::optional<Qt::CursorShape> FormCursor(const FormValue& v) {
  std::optional<int64_t> code;
  if (v.kind == FormValue::Kind::Integer) code = v.integer;
  if (v.kind == FormValue::Kind::Identifier) code = LookUp(kCursors, v.text);
  if (!code) return std::nullopt;
  switch (*code) {
    case 0: case -2: return Qt::ArrowCursor;
    case -1: return Qt::BlankCursor;
    case -3: return Qt::CrossCursor;
    case -4: return Qt::IBeamCursor;
    case -22: return Qt::SizeAllCursor;
    case -6: return Qt::SizeBDiagCursor;
    case -7: case -15: return Qt::SizeVerCursor;
    case -8: return Qt::SizeFDiagCursor;
    case -9: case -14: return Qt::SizeHorCursor;
    case -10: return Qt::UpArrowCursor;
    case -11: case -17: return Qt::WaitCursor;
    case -12: case -16: return Qt::DragMoveCursor;
    case -13: case -18: return Qt::ForbiddenCursor;
    case -19: return Qt::BusyCursor;
    case -20: return Qt::WhatsThisCursor;
    case -21: return Qt::PointingHandCursor;
    default: return std::nullopt;
  }
}

std::optional<int64_t> FormInteger(const FormValue& v) {
  if (v.kind == FormValue::Kind::Integer) return v.integer;
  return std::nullopt;
}

std::optional<bool> FormBool(const FormValue& v) {
  if (v.kind != FormValue::Kind::Identifier) return std::nullopt;
  if (EqualsIgnoreCase(v.text, "True")) return true;
  if (EqualsIgnoreCase(v.text, "False")) return false;
  return std::nullopt;
}

std::optional<QString> FormString(const FormValue& v) {
  if (v.kind == FormValue::Kind::String) return QString::fromUtf8(v.text.data(), qsizetype(v.text.size()));
  return std::nullopt;
}

std::optional<std::string> FormIdentifier(const FormValue& v) {
  if (v.kind == FormValue::Kind::Identifier) return v.text;
  return std::nullopt;
}

bool SetHas(const FormValue& v, std::string_view member) {
  if (v.kind != FormValue::Kind::Set) return false;
  for (const std::string& m : v.set)
    if (EqualsIgnoreCase(m, member)) return true;
  return false;
}

bool ApplyFontProperties(const FormComponent& c, QFont& font, QColor* fontColor) {
  bool any = false;
  if (const FormProperty* p = c.Find("Font.Name")) {
    if (auto s = FormString(p->value)) {
      font.setFamily(*s);
      any = true;
    }
  }
  if (const FormProperty* p = c.Find("Font.Height")) {
    if (auto h = FormInteger(p->value); h && *h != 0 && *h > -1000 && *h < 1000) {
      // Negative heights are the character height in pixels; positive ones the cell height.
      font.setPixelSize(int(*h < 0 ? -*h : *h));
      any = true;
    }
  } else if (const FormProperty* s = c.Find("Font.Size")) {
    if (auto pt = FormInteger(s->value); pt && *pt > 0 && *pt < 1000) {
      font.setPixelSize(int((*pt * 96 + 36) / 72));  // points at 96 pixels per inch
      any = true;
    }
  }
  if (const FormProperty* p = c.Find("Font.Style")) {
    if (p->value.kind == FormValue::Kind::Set) {
      font.setBold(SetHas(p->value, "fsBold"));
      font.setItalic(SetHas(p->value, "fsItalic"));
      font.setUnderline(SetHas(p->value, "fsUnderline"));
      font.setStrikeOut(SetHas(p->value, "fsStrikeOut"));
      any = true;
    }
  }
  if (const FormProperty* p = c.Find("Font.Color")) {
    if (auto col = FormColor(p->value); col && fontColor) {
      *fontColor = *col;
      any = true;
    }
  }
  return any;
}

std::optional<Qt::Alignment> FormAlignment(const FormValue& v) {
  auto id = FormIdentifier(v);
  if (!id) return std::nullopt;
  if (EqualsIgnoreCase(*id, "taLeftJustify")) return Qt::AlignLeft;
  if (EqualsIgnoreCase(*id, "taRightJustify")) return Qt::AlignRight;
  if (EqualsIgnoreCase(*id, "taCenter")) return Qt::AlignHCenter;
  return std::nullopt;
}

QImage ToQImage(const Bitmap32& bmp, bool keepAlpha) {
  if (bmp.empty()) return QImage();
  QImage img(bmp.width(), bmp.height(), keepAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  for (int y = 0; y < bmp.height(); ++y) {
    const Pixel* src = bmp.scanline(y);
    auto* dst = reinterpret_cast<QRgb*>(img.scanLine(y));
    for (int x = 0; x < bmp.width(); ++x) dst[x] = keepAlpha ? src[x] : (src[x] | 0xFF000000u);
  }
  return img;
}

Bitmap32 FromQImage(const QImage& image) {
  Bitmap32 out;
  if (image.isNull()) return out;
  QImage src = image.convertToFormat(QImage::Format_ARGB32);
  out.SetSize(src.width(), src.height());
  for (int y = 0; y < src.height(); ++y) {
    const auto* s = reinterpret_cast<const QRgb*>(src.constScanLine(y));
    Pixel* d = out.scanline(y);
    for (int x = 0; x < src.width(); ++x) d[x] = s[x];
  }
  return out;
}

QImage DecodeFormPicture(const std::string& data) {
  PictureData split = SplitPictureData(data);
  const auto* bytes = reinterpret_cast<const uint8_t*>(split.bytes.data());
  Bitmap32 bmp = DecodeImage(bytes, split.bytes.size());
  bool hasAlpha = SniffImageFormat(bytes, split.bytes.size()) == ImageFormat::Gif;
  return ToQImage(bmp, hasAlpha);
}

QImage WithTransparentColor(const QImage& image) {
  if (image.isNull() || image.hasAlphaChannel()) return image;
  QImage out = image.convertToFormat(QImage::Format_ARGB32);
  QRgb key = out.pixel(0, out.height() - 1) | 0xFF000000u;
  for (int y = 0; y < out.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < out.width(); ++x)
      if ((row[x] | 0xFF000000u) == key) row[x] = 0;
  }
  return out;
}

}  // namespace tp
