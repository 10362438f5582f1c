#pragma once
// Turning form-text values into Qt values: colours (named, numeric and system colours),
// cursors, fonts, alignments and pictures. Each conversion gives nothing for a value of
// the wrong kind, so the caller can skip that property.
#include <QColor>
#include <QFont>
#include <QImage>
#include <QString>
#include <optional>

#include "imaging/Bitmap32.h"
#include "project/FormText.h"

namespace tp {

// Colours as the form texts store them: 0x00BBGGRR, or a system colour (high byte 0x80 or
// 0xFF, the low byte its index). System colours resolve to one fixed classic palette so
// a window looks the same on every desktop.
std::optional<QColor> FormColor(const FormValue& v);
QColor ResolveColorValue(int64_t value);
QColor SystemColor(int index);
enum SystemColorIndex {
  kClWindow = 5,
  kClWindowText = 8,
  kClHighlight = 13,
  kClHighlightText = 14,
  kClBtnFace = 15,
  kClBtnShadow = 16,
  kClBtnText = 18,
  kClBtnHighlight = 20,
};

std::optional<Qt::CursorShape> FormCursor(const FormValue& v);

std::optional<int64_t> FormInteger(const FormValue& v);
std::optional<bool> FormBool(const FormValue& v);
std::optional<QString> FormString(const FormValue& v);
// An identifier value (enumeration member), or nothing.
std::optional<std::string> FormIdentifier(const FormValue& v);
bool SetHas(const FormValue& v, std::string_view member);  // ASCII case ignored

// Applies the Font.* properties of a component to font; false when none were present.
bool ApplyFontProperties(const FormComponent& c, QFont& font, QColor* fontColor);

// taLeftJustify / taRightJustify / taCenter.
std::optional<Qt::Alignment> FormAlignment(const FormValue& v);

// Decodes picture data (with or without its class name before the bytes) into an image.
// Throws ImageDecodeError when the bytes are no picture we can read.
QImage DecodeFormPicture(const std::string& data);

// Bitmap32 (0xAARRGGBB pixels) to and from a QImage. keepAlpha: ARGB32, else RGB32.
QImage ToQImage(const Bitmap32& bmp, bool keepAlpha);
Bitmap32 FromQImage(const QImage& image);

// The picture with every pixel of the colour of its bottom-left pixel made transparent,
// as transparent bitmaps are drawn; pictures that carry alpha already are kept.
QImage WithTransparentColor(const QImage& image);

}  // namespace tp
