// The pure rules behind a dialog's title and placement.
#include <gtest/gtest.h>

#include "ui/window_title.h"
#include "ui/work_area_placement.h"

namespace orvadw {
namespace {

TEST(WindowTitle, DocumentNamesUpToFortyCharactersAreKeptWhole) {
  const QString forty = QString("abcdefghij").repeated(4);
  ASSERT_EQ(forty.size(), 40);
  EXPECT_EQ(shorten_document_name(forty), forty);
  EXPECT_EQ(shorten_document_name(""), "");
}

TEST(WindowTitle, LongerNamesKeepThreeFirstAndThirtyFourLastCharacters) {
  QString name;
  for (int i = 0; i < 41; ++i) name += QChar('A' + (i % 26));
  const QString shown = shorten_document_name(name);
  EXPECT_EQ(shown.size(), 40);
  EXPECT_EQ(shown, name.left(3) + "..." + name.right(34));
  const QString path = "/home/tech/Data/instruments/site-north/pipe-17/settings.eta";
  EXPECT_EQ(shorten_document_name(path), "/ho..." + path.right(34));
}

TEST(WindowTitle, PiecesAreJoinedWithTheSeparatorOnlyBeforeADocument) {
  EXPECT_EQ(build_window_title("Settings", "", ""), "Settings");
  EXPECT_EQ(build_window_title("Settings", "a.eta", ""), "Settings   -   a.eta");
  EXPECT_EQ(build_window_title("Settings", "a.eta", " (Changed)"),
            "Settings   -   a.eta (Changed)");
  EXPECT_EQ(build_window_title("Settings", "", " (Changed)"), "Settings (Changed)");
  // Without a title text: only the separator and the document, or nothing.
  EXPECT_EQ(build_window_title("", "a.eta", ""), "   -   a.eta");
  EXPECT_EQ(build_window_title("", "", ""), "");
}

constexpr EdgeRect kWork{0, 0, 1280, 1000};

TEST(WorkAreaPlacement, WindowsInsideTheWorkAreaStayWhereTheyAre) {
  EXPECT_EQ(keep_on_work_area({100, 50, 500, 450}, kWork, false), (WindowPosition{100, 50}));
  EXPECT_EQ(keep_on_work_area({0, 0, 1280, 1000}, kWork, false), (WindowPosition{0, 0}));
}

TEST(WorkAreaPlacement, NegativeCoordinatesBecomeZero) {
  EXPECT_EQ(keep_on_work_area({-30, -50, 370, 350}, kWork, false), (WindowPosition{0, 0}));
}

TEST(WorkAreaPlacement, WindowsReachingBelowMoveUpOrToTheTopWhenTooTall) {
  // 100 below the bottom: moved up by 100.
  EXPECT_EQ(keep_on_work_area({10, 700, 410, 1100}, kWork, false), (WindowPosition{10, 600}));
  // Taller than the work area: top 0.
  EXPECT_EQ(keep_on_work_area({10, 200, 410, 1400}, kWork, false), (WindowPosition{10, 0}));
  // Exactly the work area's height, starting low: fits once moved to 0.
  EXPECT_EQ(keep_on_work_area({10, 300, 410, 1300}, kWork, false), (WindowPosition{10, 0}));
}

TEST(WorkAreaPlacement, WindowsBeyondTheRightEdgeMoveLeftOnlyWhenTheyFit) {
  EXPECT_EQ(keep_on_work_area({1000, 10, 1400, 210}, kWork, false), (WindowPosition{880, 10}));
  // Wider than the work area: left as it is (after the negative check).
  EXPECT_EQ(keep_on_work_area({100, 10, 1500, 210}, kWork, false), (WindowPosition{100, 10}));
}

TEST(WorkAreaPlacement, CentringUsesTheWorkAreaSizeWithoutItsOrigin) {
  const EdgeRect offset_work{200, 100, 1480, 1100};  // 1280 x 1000 at (200, 100)
  EXPECT_EQ(keep_on_work_area({0, 0, 400, 300}, offset_work, true), (WindowPosition{440, 350}));
  // Odd differences truncate toward zero.
  EXPECT_EQ(keep_on_work_area({0, 0, 401, 301}, kWork, true), (WindowPosition{439, 349}));
  // Larger than the work area: the centre is negative and becomes 0.
  EXPECT_EQ(keep_on_work_area({0, 0, 1400, 1200}, kWork, true), (WindowPosition{0, 0}));
}

}  // namespace
}  // namespace orvadw
