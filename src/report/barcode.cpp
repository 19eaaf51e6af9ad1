#include "report/barcode.h"

#include "report/value.h"

#include <zint.h>

#include <algorithm>
#include <memory>

namespace report {

BarcodeDrawing makeBarcode(BarcodeType type, const QString& data, double widthMm, double heightMm, bool showText) {
  if (data.isEmpty()) throw ExprError(QStringLiteral("The barcode has no data"));
  QByteArray bytes;
  std::unique_ptr<zint_symbol, void (*)(zint_symbol*)> sym(ZBarcode_Create(), ZBarcode_Delete);
  if (!sym) throw ExprError(QStringLiteral("The barcode encoder cannot start"));
  if (type == BarcodeType::Ean13) {
    for (QChar c : data) {
      if (!c.isDigit() || c.unicode() > 127) throw ExprError(QStringLiteral("An EAN-13 barcode takes digits only, not '%1'").arg(data));
    }
    if (data.size() != 12 && data.size() != 13) {
      throw ExprError(QStringLiteral("An EAN-13 barcode takes 12 digits, or 13 with the check digit, not '%1'").arg(data));
    }
    sym->symbology = BARCODE_EANX;
    bytes = data.toLatin1();
  } else {
    sym->symbology = BARCODE_CODE128;
    for (QChar c : data) {
      if (c.unicode() > 255) throw ExprError(QStringLiteral("A Code 128 barcode cannot hold the character '%1' of '%2'").arg(c).arg(data));
    }
    sym->input_mode = UNICODE_MODE;
    bytes = data.toUtf8();
  }
  sym->show_hrt = showText ? 1 : 0;
  sym->output_options |= BARCODE_QUIET_ZONES;
  int rc = ZBarcode_Encode(sym.get(), reinterpret_cast<const unsigned char*>(bytes.constData()), static_cast<int>(bytes.size()));
  if (rc >= ZINT_ERROR) throw ExprError(QStringLiteral("The barcode '%1' cannot be encoded: %2").arg(data, QString::fromUtf8(sym->errtxt)));
  rc = ZBarcode_Buffer_Vector(sym.get(), 0);
  if (rc >= ZINT_ERROR || !sym->vector) throw ExprError(QStringLiteral("The barcode '%1' cannot be drawn: %2").arg(data, QString::fromUtf8(sym->errtxt)));
  const zint_vector* v = sym->vector;
  BarcodeDrawing out;
  if (v->width <= 0 || v->height <= 0) return out;
  const double sx = widthMm / v->width;
  const double sy = heightMm / v->height;
  for (const zint_vector_rect* r = v->rectangles; r; r = r->next) {
    if (r->colour > 0 && r->colour == 8) continue;  // white
    out.bars.push_back(QRectF(r->x * sx, r->y * sy, r->width * sx, r->height * sy));
  }
  for (const zint_vector_string* s = v->strings; s; s = s->next) {
    BarcodeText t;
    t.text = QString::fromUtf8(reinterpret_cast<const char*>(s->text), s->length);
    t.anchor = QPointF(s->x * sx, s->y * sy);
    t.sizeMm = s->fsize * std::min(sx, sy);
    t.halign = s->halign;
    out.texts.push_back(t);
  }
  return out;
}

BarcodeDrawing makeQrCode(const QString& data, double widthMm, double heightMm, QrErrorCorrection level) {
  if (data.isEmpty()) throw ExprError(QStringLiteral("The QR code has no data"));
  std::unique_ptr<zint_symbol, void (*)(zint_symbol*)> sym(ZBarcode_Create(), ZBarcode_Delete);
  if (!sym) throw ExprError(QStringLiteral("The barcode encoder cannot start"));
  sym->symbology = BARCODE_QRCODE;
  sym->option_1 = static_cast<int>(level);
  bool ascii = true;
  for (QChar c : data) ascii = ascii && c.unicode() < 128;
  sym->input_mode = UNICODE_MODE;
  if (!ascii) sym->eci = 26;  // UTF-8, so that a reader shows Thai as Thai
  sym->show_hrt = 0;
  sym->output_options |= BARCODE_QUIET_ZONES;
  const QByteArray bytes = data.toUtf8();
  int rc = ZBarcode_Encode(sym.get(), reinterpret_cast<const unsigned char*>(bytes.constData()), static_cast<int>(bytes.size()));
  if (rc >= ZINT_ERROR) throw ExprError(QStringLiteral("The QR code '%1' cannot be encoded: %2").arg(data, QString::fromUtf8(sym->errtxt)));
  rc = ZBarcode_Buffer_Vector(sym.get(), 0);
  if (rc >= ZINT_ERROR || !sym->vector) throw ExprError(QStringLiteral("The QR code '%1' cannot be drawn: %2").arg(data, QString::fromUtf8(sym->errtxt)));
  const zint_vector* v = sym->vector;
  BarcodeDrawing out;
  if (v->width <= 0 || v->height <= 0) return out;
  const double scale = std::min(widthMm / v->width, heightMm / v->height);
  const double dx = (widthMm - v->width * scale) / 2;
  const double dy = (heightMm - v->height * scale) / 2;
  for (const zint_vector_rect* r = v->rectangles; r; r = r->next) {
    if (r->colour == 8) continue;  // white
    out.bars.push_back(QRectF(dx + r->x * scale, dy + r->y * scale, r->width * scale, r->height * scale));
  }
  return out;
}

}  // namespace report
