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
  // A text's extent does not depend on the resolution.
  surface.select_font(sheet_body_font());
  const PrintSize at600 = surface.text_size("Sp. Sound = 1480.3 m/s");
  surface.end();

  QPdfWriter coarse(dir.filePath(QStringLiteral("coarse.pdf")));
  coarse.setResolution(72);
  PainterPrintSurface low(coarse);
  ASSERT_TRUE(low.begin());
  low.select_font(sheet_body_font());
  const PrintSize at72 = low.text_size("Sp. Sound = 1480.3 m/s");
  EXPECT_NEAR(at72.width, at600.width, at600.width * 0.1);
  EXPECT_GT(at600.height, 9);
  EXPECT_LT(at600.height, 16);
  low.end();
}

}  // namespace
}  // namespace orvadw
