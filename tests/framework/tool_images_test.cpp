// The tool-bar images: the one drawn only when first needed looks exactly as one drawn at once.
#include <gtest/gtest.h>

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QPixmap>

#include "tool_images.h"

namespace {

QImage image(const QPixmap& pm) { return pm.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied); }

TEST(ToolImages, DrawnWhenNeededMatchesAnImageDrawnAtOnce) {
  const QVector<QIcon> images = framework::ToolImages();
  ASSERT_EQ(images.size(), 8);
  for (const QIcon& icon : images) EXPECT_FALSE(icon.isNull());
  // Change code (7) is drawn when first asked for; its full-size picture made into an ordinary
  // icon is the reference for every size, mode and state the buttons ask for.
  const QIcon& lazy = images[7];
  EXPECT_EQ(lazy.actualSize(QSize(64, 64)), QSize(32, 32));
  EXPECT_EQ(lazy.availableSizes(), QList<QSize>{QSize(32, 32)});
  const QIcon reference(lazy.pixmap(QSize(32, 32)));
  // The picture holds its drawing: the yellow tag with the text, not a blank image.
  const QImage full = image(lazy.pixmap(QSize(32, 32)));
  EXPECT_EQ(full.pixelColor(4, 16).alpha(), 255);
  EXPECT_EQ(full.pixelColor(0, 0).alpha(), 0);

  struct Case {
    QSize size;
    qreal ratio;
    QIcon::Mode mode;
  };
  const Case cases[] = {{{18, 18}, 1.0, QIcon::Normal},   {{18, 18}, 1.0, QIcon::Disabled}, {{18, 18}, 1.0, QIcon::Active},
                        {{32, 32}, 1.0, QIcon::Normal},   {{16, 16}, 2.0, QIcon::Normal},   {{18, 18}, 2.0, QIcon::Disabled},
                        {{24, 24}, 1.5, QIcon::Selected}};
  for (const Case& c : cases) {
    const QPixmap got = lazy.pixmap(c.size, c.ratio, c.mode);
    const QPixmap want = reference.pixmap(c.size, c.ratio, c.mode);
    EXPECT_EQ(got.size(), want.size()) << c.size.width() << " x" << c.ratio << " mode " << c.mode;
    EXPECT_EQ(got.devicePixelRatio(), want.devicePixelRatio()) << c.size.width() << " x" << c.ratio;
    EXPECT_TRUE(image(got) == image(want)) << c.size.width() << " x" << c.ratio << " mode " << c.mode;
  }
  // Painted through a painter as a button paints it.
  QImage a(20, 20, QImage::Format_ARGB32_Premultiplied), b(20, 20, QImage::Format_ARGB32_Premultiplied);
  a.fill(Qt::white);
  b.fill(Qt::white);
  {
    QPainter pa(&a), pb(&b);
    lazy.paint(&pa, QRect(1, 1, 18, 18), Qt::AlignCenter, QIcon::Disabled);
    reference.paint(&pb, QRect(1, 1, 18, 18), Qt::AlignCenter, QIcon::Disabled);
  }
  EXPECT_TRUE(a == b);
}

}  // namespace
