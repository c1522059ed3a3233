// Start-up and close with a real settings file: what the window reads, what it writes back, the
// placement switch, and a settings file that cannot be written.

#include <QCheckBox>
#include <QDir>
#include <QMessageBox>

#include "window_fixture.h"

namespace dorvex::test {
namespace {

const QStringList kPlacementKeys = {
    "PlaceFlags",           "PlaceShowCmd",         "PlaceMinPos.X",       "PlaceMinPos.Y",
    "PlaceMaxPos.X",        "PlaceMaxPos.Y",        "PlaceNormalPos.Left", "PlaceNormalPos.Top",
    "PlaceNormalPos.Right", "PlaceNormalPos.Bottom"};

TEST_F(WindowTest, FirstRunWithoutAFileWritesTheDefaultsAndThePlacement) {
  Show();
  EXPECT_TRUE(Child<QCheckBox>("chkExpand").isChecked());
  EXPECT_FALSE(Child<QCheckBox>("chkCompatible").isChecked());
  EXPECT_FALSE(MemoLines().isEmpty());  // Expand became true: the report was rendered once
  ASSERT_TRUE(CloseWindow());

  EXPECT_EQ(SettingsValue("Function", "OpenCount"), "2");
  EXPECT_EQ(SettingsValue("Config", "Expand"), "1");
  EXPECT_EQ(SettingsValue("Config", "Compatible"), "0");
  EXPECT_EQ(SettingsValue("Snoop", "AdapterIndex"), "-1");
  EXPECT_EQ(SettingsValue("Function", "SaveFormSize"), "<missing>");
  for (const QString& key : kPlacementKeys) {
    EXPECT_NE(SettingsValue("TfrmDVmain", key), "<missing>") << key.toStdString();
  }
}

struct CheckBoxSettingCase {
  const char* settings;
  bool expand;
  bool compatible;
};

class CheckBoxSettingTest : public WindowTest,
                            public ::testing::WithParamInterface<CheckBoxSettingCase> {};

TEST_P(CheckBoxSettingTest, SetsTheBoxesAndRendersOnlyWhenOneTurnsOn) {
  WriteSettings(GetParam().settings);
  Show();
  EXPECT_EQ(Child<QCheckBox>("chkExpand").isChecked(), GetParam().expand);
  EXPECT_EQ(Child<QCheckBox>("chkCompatible").isChecked(), GetParam().compatible);
  EXPECT_EQ(MemoLines().isEmpty(), !GetParam().expand && !GetParam().compatible);
  ASSERT_TRUE(CloseWindow());
  EXPECT_EQ(SettingsValue("Config", "Expand"), GetParam().expand ? "1" : "0");
  EXPECT_EQ(SettingsValue("Config", "Compatible"), GetParam().compatible ? "1" : "0");
}

INSTANTIATE_TEST_SUITE_P(
    StoredValues, CheckBoxSettingTest,
    ::testing::Values(CheckBoxSettingCase{"[Config]\nExpand=0\nCompatible=0\n", false, false},
                      CheckBoxSettingCase{"[Config]\nExpand=2\nCompatible=0\n", true, false},
                      CheckBoxSettingCase{"[Config]\nExpand=0x10\nCompatible=0\n", true, false},
                      CheckBoxSettingCase{"[Config]\nExpand=yes\nCompatible=yes\n", true, false},
                      CheckBoxSettingCase{"[config]\nexpand=0\ncompatible=1\n", false, true}));

TEST_F(WindowTest, PlacementSwitchOffNeitherRestoresNorStoresThePlacementAndOpenCountCounts) {
  const QByteArray stored =
      "[Function]\nOpenCount=41\nSaveFormSize=0\n"
      "[TfrmDVmain]\nPlaceShowCmd=1\nPlaceNormalPos.Left=7\nPlaceNormalPos.Top=9\n"
      "PlaceNormalPos.Right=600\nPlaceNormalPos.Bottom=500\n";
  WriteSettings(stored);
  Show();
  EXPECT_NE(Window().frameGeometry().topLeft(), QPoint(7, 9));
  ASSERT_TRUE(CloseWindow());
  EXPECT_TRUE(SettingsText().contains(stored.mid(stored.indexOf("[TfrmDVmain]"))));
  EXPECT_EQ(SettingsValue("TfrmDVmain", "PlaceFlags"), "<missing>");
  EXPECT_EQ(SettingsValue("Function", "OpenCount"), "42");
}

TEST_F(WindowTest, PlacementSwitchOnRestoresTheStoredPosition) {
  WriteSettings("[TfrmDVmain]\nPlaceShowCmd=1\nPlaceNormalPos.Left=40\nPlaceNormalPos.Top=30\n");
  Show();
  EXPECT_EQ(Window().frameGeometry().topLeft(), QPoint(40, 30));
  ASSERT_TRUE(CloseWindow());
  EXPECT_EQ(SettingsValue("TfrmDVmain", "PlaceNormalPos.Left"), "40");
  EXPECT_EQ(SettingsValue("TfrmDVmain", "PlaceNormalPos.Top"), "30");
}

TEST_F(WindowTest, UnwritableSettingsAreReportedAndTheWindowStillCloses) {
  // A folder where the file should be: reading gives the defaults, every write is refused.
  ASSERT_TRUE(QDir().mkpath(SettingsPath()));
  Show();
  EXPECT_TRUE(Child<QCheckBox>("chkExpand").isChecked());

  bool closed = false;
  const std::optional<ShownMessage> shown = AnswerMessageBox([&] { closed = CloseWindow(); });
  ASSERT_TRUE(shown.has_value());
  EXPECT_EQ(shown->title, "Dorvex");
  EXPECT_EQ(shown->text, SettingsPath() + QStringLiteral(" に書き込めません."));
  EXPECT_EQ(shown->icon, static_cast<int>(QMessageBox::Critical));
  EXPECT_TRUE(closed);
  EXPECT_FALSE(Window().isVisible());
}

}  // namespace
}  // namespace dorvex::test
