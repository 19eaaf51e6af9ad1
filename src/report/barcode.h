// Barcodes drawn from libzint's vector output: bars and human-readable texts in millimetres.
#pragma once

#include "report/template.h"

#include <QPointF>
#include <QRectF>
#include <QString>
#include <QVector>

namespace report {

struct BarcodeText {
  QString text;
  QPointF anchor;   // mm; baseline point
  double sizeMm = 0;
  int halign = 0;   // 0 centre, 1 left, 2 right (of the anchor)
};

struct BarcodeDrawing {
  QVector<QRectF> bars;  // mm, from the object's top left corner
  QVector<BarcodeText> texts;
};

// Encodes data and scales the symbol (quiet zones included) to the box. Throws ExprError with
// the encoder's message when the data cannot be encoded (an EAN-13 takes 12 digits, or 13 with a
// correct check digit; Code 128 takes Latin-1 text).
BarcodeDrawing makeBarcode(BarcodeType type, const QString& data, double widthMm, double heightMm, bool showText);

// A QR code of the text: a square as large as the box allows (quiet zone of four modules
// included), centred in the box. ASCII text is encoded as it stands, other text as UTF-8 with its
// ECI marker. Throws ExprError for an empty text or one too long for a QR code of that level.
BarcodeDrawing makeQrCode(const QString& data, double widthMm, double heightMm, QrErrorCorrection level);

}  // namespace report
