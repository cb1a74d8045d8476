// The layout language as the browser view reads it: blocks, pages, elements and their
// attributes, and what it does with files other programs and people wrote.
#include <gtest/gtest.h>

#include "device/home_view/layout.h"

namespace zelko::testing {
namespace {

using device::home::Align;
using device::home::ElementKind;
using device::home::Layout;
using device::home::parseLayout;
using device::home::TapTarget;

constexpr char kLayout[] = R"(<?xml version="1.0" encoding="utf-8"?>
<Form Width="480" Height="800">
  <TitaniumListView ID="ListView" X="0" Y="20" Width="480" Height="700">
    <Selection Color="#1E90FF" />
  </TitaniumListView>
  <SoftKeys Height="56" />
  <Layer ID="ZelkoTodayExpanded" Height="400" Background="#102030">
    <Text X="16" Y="0" Width="300" Height="40" Bind="Today" Size="17" Color="#D5DEE8" Tap="page" />
    <Image Bind="Bkg" />
    <Page Name="Page1">
      <Image X="16" Y="48" Width="300" Height="112" Bind="BG" />
      <Text X="64" Y="300" Width="400" Height="44" Bind="Rdv" Lines="2" Align="center" VAlign="top"
            Bold="1" Action="%ZELKOTODAY%\ZelkoCalendar.exe;-dateview:1" />
    </Page>
    <Page Name="Page4">
      <Fill X="0" Y="0" Width="10" Height="1" Color="#FFFFFF24" Radius="3" />
      <Text Value="Messages" Page="Page1" Align="right" VAlign="bottom" />
    </Page>
    <Layer ID="ZelkoTodayCondensed" Height="80">
      <Text X="16" Y="4" Width="150" Height="72" Bind="Time" Size="44" />
    </Layer>
  </Layer>
  <Layer ID="ClockExpanded" Height="400">
    <Image Source="\Windows\Clock.png" />
    <Layer ID="ClockCondensed" Height="80">
      <Text Value="Clock" />
    </Layer>
  </Layer>
</Form>)";

TEST(HomeLayout, ReadsTheFormItsBlocksTheirPagesAndElements) {
  auto parsed = parseLayout(kLayout);
  ASSERT_TRUE(parsed.ok()) << parsed.status().message();
  const Layout& layout = *parsed;
  EXPECT_EQ(layout.height, 800);
  EXPECT_EQ(layout.listView.height, 700);
  EXPECT_EQ(layout.selectionColor, "#1E90FF");
  EXPECT_EQ(layout.softKeyHeight, 56);
  ASSERT_EQ(layout.plugins.size(), 2u);

  const auto* today = layout.find("ZelkoToday");
  ASSERT_NE(today, nullptr);
  EXPECT_EQ(today->expanded.background, "#102030");
  ASSERT_EQ(today->expanded.elements.size(), 2u);
  EXPECT_EQ(today->expanded.elements[0].tap, TapTarget::kPage);
  EXPECT_FALSE(today->expanded.elements[1].box.x);  // placed nowhere: fills its layer
  ASSERT_EQ(today->expanded.pages.size(), 2u);
  const auto& rdv = today->expanded.pages[0].elements[1];
  EXPECT_EQ(rdv.bind, "Rdv");
  EXPECT_EQ(rdv.lines, 2);
  EXPECT_EQ(rdv.align, Align::kCenter);
  EXPECT_TRUE(rdv.bold);
  EXPECT_EQ(rdv.action, "%ZELKOTODAY%\\ZelkoCalendar.exe;-dateview:1");
  const auto& page4 = today->expanded.pages[1];
  EXPECT_EQ(page4.elements[0].kind, ElementKind::kFill);
  EXPECT_EQ(page4.elements[1].page, "Page1");
  EXPECT_EQ(today->condensed.elements[0].size, 44);
  // The condensed layer is no element of the expanded one.
  EXPECT_EQ(layout.find("Clock")->expanded.elements.size(), 1u);
  EXPECT_EQ(layout.find("Clock")->condensed.elements[0].literal, "Clock");
  EXPECT_EQ(layout.find("clock"), nullptr);  // names as the order spells them
}

TEST(HomeLayout, StylesThatCouldCarryMarkupOrHugeFiguresAreDropped) {
  auto parsed = parseLayout(R"xml(<Form Width="99999" Height="-5">
    <Layer ID="PExpanded" Height="abc" Background="red;}&lt;/style&gt;">
      <Text X="1e3" Y="20" Width="0x10" Height="10001" Size="9" Color="#12345" Lines="two" />
      <Fill Color="#ABCDEF" /><Fill Color="#abcdef12" /><Fill Color="#abc" /><Fill Color="url(x)" />
    </Layer></Form>)xml");
  ASSERT_TRUE(parsed.ok());
  EXPECT_EQ(parsed->width, 0);
  EXPECT_EQ(parsed->height, 0);
  const auto& layer = parsed->plugins.at(0).expanded;
  EXPECT_EQ(layer.height, 0);
  EXPECT_EQ(layer.background, "");
  const auto& text = layer.elements[0];
  EXPECT_FALSE(text.box.x || text.box.width || text.box.height);
  EXPECT_EQ(text.box.y, 20);
  EXPECT_EQ(text.color, "");
  EXPECT_EQ(text.lines, 0);
  std::string colors;
  for (size_t i = 1; i < layer.elements.size(); ++i) colors += layer.elements[i].color + "|";
  EXPECT_EQ(colors, "#ABCDEF|#abcdef12|#abc||");
}

TEST(HomeLayout, RefusesWhatIsNoLayoutWithTheReason) {
  auto notXml = parseLayout("<Form><Layer ID=\"AExpanded\"></Form>");
  ASSERT_FALSE(notXml.ok());
  EXPECT_NE(notXml.status().message().find("not XML"), std::string::npos) << notXml.status().message();
  EXPECT_NE(notXml.status().message().find("at byte"), std::string::npos);
  EXPECT_FALSE(parseLayout("").ok());
  auto noForm = parseLayout("<plugin><name>x</name></plugin>");
  ASSERT_FALSE(noForm.ok());
  EXPECT_NE(noForm.status().message().find("<Form>"), std::string::npos);
  std::string huge = "<Form>" + std::string(device::home::kMaxLayoutBytes, ' ') + "</Form>";
  auto tooLarge = parseLayout(huge);
  ASSERT_FALSE(tooLarge.ok());
  EXPECT_NE(tooLarge.status().message().find("larger than"), std::string::npos);
  // An entity that would expand a little text into a lot is not XML we read either.
  auto entity = parseLayout("<!DOCTYPE Form [<!ENTITY a \"aaaa\">]><Form Width=\"&a;\"/>");
  ASSERT_TRUE(entity.ok());
  EXPECT_EQ(entity->width, 0);
}

TEST(HomeLayout, KeepsAtMostTheElementLimit) {
  std::string text = "<Form><Layer ID=\"PExpanded\">";
  for (size_t i = 0; i < device::home::kMaxElements + 50; ++i) text += "<Fill/>";
  text += "<Layer ID=\"PCondensed\"><Text Value=\"late\"/></Layer></Layer></Form>";
  auto parsed = parseLayout(text);
  ASSERT_TRUE(parsed.ok());
  EXPECT_EQ(parsed->plugins[0].expanded.elements.size(), device::home::kMaxElements);
  EXPECT_TRUE(parsed->plugins[0].condensed.elements.empty());
}

}  // namespace
}  // namespace zelko::testing
