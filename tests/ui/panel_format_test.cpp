// The panel's texts, formatted exactly as the window shows them.
#include <gtest/gtest.h>

#include <string>

#include "panel.h"
#include "simulation.h"

namespace {

TEST(PanelFormat, TimeLineShowsFieldsOfTheirWidths)
{
    EXPECT_EQ(format_panel_text(time_line_format, 0.0, chaser_speed(0, 0, 0),
                                panel_distance(0.0, -1.0, 0.0), 100.0),
              "temps =   0.000 vitesse =  0.000 distance =   0.000 reserve  = 100.00");
    EXPECT_EQ(format_panel_text(time_line_format, 123.4567, 0.12, panel_distance(0, -2.5, 0), 0.0),
              "temps = 123.457 vitesse =  0.120 distance =   1.500 reserve  = 0.00");
}

TEST(PanelFormat, PositionAndVelocityLinesKeepTheirTrailingBlank)
{
    EXPECT_EQ(format_panel_text(position_line_format, 1.0, -20.0, 0.0005),
              "x  =   1.000 y  = -20.000 z  =   0.001 ");
    EXPECT_EQ(format_panel_text(velocity_line_format, -0.1, 0.25, 1234.5678),
              "xp=  -0.100 yp=   0.250 zp= 1234.568 ");
}

TEST(PanelFormat, DerivedValuesUseTheirOwnPoints)
{
    EXPECT_DOUBLE_EQ(chaser_speed(3.0, 4.0, 0.0), 5.0);
    EXPECT_DOUBLE_EQ(panel_distance(0.0, -1.0, 0.0), 0.0);
    EXPECT_DOUBLE_EQ(panel_distance(3.0, 3.0, 0.0), 5.0);
}

TEST(PanelFormat, AbsurdNumbersAreCutToTheBuffer)
{
    const std::string text = format_panel_text(position_line_format, 1e300, -1e300, 1e300);
    EXPECT_EQ(text.size(), text_buffer_size - 1);
    EXPECT_EQ(text.substr(0, 6), "x  = 1");
}

TEST(PanelFormat, VerdictMessagesShareOneLength)
{
    EXPECT_STREQ(outcome_messages[0], "");
    EXPECT_STREQ(outcome_messages[3], "Arrimage OK, gagn'e.    Appuyer sur 'k' pour recommencer");
    for (int outcome = 1; outcome <= 4; ++outcome) {
        EXPECT_EQ(std::string(outcome_messages[outcome]).size(), 56u) << outcome;
    }
}

TEST(PanelFormat, FooterEndsWithTheRightClickHint)
{
    const std::string footer = footer_text();
    const std::string tail =
        " *** 10/04 *** Clic droit: modification de la simulation et de la vue ** *";
    ASSERT_GT(footer.size(), tail.size());
    EXPECT_EQ(footer.substr(footer.size() - tail.size()), tail);
    EXPECT_NE(footer.find(" *   "), std::string::npos);
}

}  // namespace
