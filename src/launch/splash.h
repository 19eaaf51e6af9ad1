// The splash window shown while the program connects: a borderless blue window of 301 x 166 in the
// centre of the desktop with the program's picture stretched over it and a hand cursor.
#pragma once

#include <QImage>
#include <QWidget>

class TFormLogo : public QWidget {
 public:
  explicit TFormLogo(QWidget* parent = nullptr);
  const QImage& Picture() const { return picture_; }

 protected:
  void paintEvent(QPaintEvent* e) override;

 private:
  QImage picture_;
};

namespace launch {
// The JPEG picture stored in the program (resource ":/launch/logo.jpg").
QByteArray LogoJpeg();
}  // namespace launch
