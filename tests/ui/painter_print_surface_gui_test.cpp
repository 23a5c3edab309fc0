// The print surface on a paged device: points become device pixels by the
// device's resolution, fonts are sized in points, and a sheet's positions
// land where the layout put them.
#include "ui/painter_print_surface.h"

#include <gtest/gtest.h>

#include <QPdfWriter>
#include <QTemporaryDir>

#include "files/print_sheet.h"

namespace orvadw {
namespace {

TEST(PainterPrintSurface, PointsFollowTheDevicesResolution) {
  QTemporaryDir dir;
  QPdfWriter pdf(dir.filePath(QStringLiteral("sheet.pdf")));
  pdf.setResolution(600);
  pdf.setPageSize(QPageSize(QPageSize::A4));
  PainterPrintSurface surface(pdf);
  ASSERT_TRUE(surface.begin());
  EXPECT_DOUBLE_EQ(surface.vertical_scale(), 600.0 / 72.0);
  // A 15-point title font at 600 dots per inch: 125 pixels (truncated).
  surface.select_font(sheet_title_font());
  EXPECT_EQ(surface.painter().font().pixelSize(), 125);
  EXPECT_TRUE(surface.painter().font().bold());
  EXPECT_TRUE(surface.painter().font().underline());
  surface.set_font_style(0, false);
  EXPECT_FALSE(surface.painter().font().bold());
  EXPECT_EQ(surface.painter().font().pixelSize(), 125);
  // The page in points: A4 less the writer's margins.
  const PrintSize page = surface.page_size();
  EXPECT_NEAR(page.width, pdf.width() * 72.0 / 600.0, 1e-9);
  EXPECT_GT(page.width, 500);
  EXPECT_LT(page.width, 596);
  // A text's extent in points: a 10-point line is 10 to 16 points high.
  surface.select_font(sheet_body_font());
  const PrintSize line = surface.text_size("Sp. Sound = 1480.3 m/s");
  EXPECT_GT(line.height, 9);
  EXPECT_LT(line.height, 16);
  EXPECT_GT(line.width, 60);
  surface.end();
}

}  // namespace
}  // namespace orvadw
