// The tally's view of the window's count fields: found by control name, A-Z case ignored.

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QWidget>

#include "test_names.h"
#include "widget_fields.h"

namespace dorvex {
namespace {

class WidgetFieldSetTest : public ::testing::Test {
 protected:
  WidgetFieldSetTest() {
    for (const char* name : {"edtMagniQty", "edtTempServerName"}) {
      auto* edit = new QLineEdit(&window_);
      edit->setObjectName(QString::fromLatin1(name));
    }
    auto* label = new QLabel(&window_);
    label->setObjectName(QStringLiteral("edtLabelQty"));
    auto* shadowed = new QLineEdit(&window_);
    shadowed->setObjectName(QStringLiteral("EDTLABELQTY"));
  }
  QWidget window_;
};

struct LookupCase {
  const char* name;
  const char* owner;  // objectName of the edit found, nullptr: none
};
void PrintTo(const LookupCase& c, std::ostream* out) {
  *out << test::OneLine(c.name);
}

class WidgetFieldLookupTest : public WidgetFieldSetTest,
                              public ::testing::WithParamInterface<LookupCase> {};

TEST_P(WidgetFieldLookupTest, FindsEditsByNameIgnoringAsciiCase) {
  WidgetFieldSet fields(window_);
  const FieldAccess::Handle field = fields.FindField(QString::fromUtf8(GetParam().name));
  if (GetParam().owner == nullptr) {
    EXPECT_EQ(field, FieldAccess::kNoField);
    return;
  }
  ASSERT_NE(field, FieldAccess::kNoField);
  auto* edit = window_.findChild<QLineEdit*>(QString::fromLatin1(GetParam().owner));
  fields.SetFieldText(field, QStringLiteral("42"));
  EXPECT_EQ(edit->text(), "42");
  edit->setText(QStringLiteral("7"));
  EXPECT_EQ(fields.FieldText(field), "7");
}

INSTANTIATE_TEST_SUITE_P(
    Names, WidgetFieldLookupTest,
    ::testing::Values(LookupCase{"edtMagniQty", "edtMagniQty"},
                      LookupCase{"EDTMAGNIQTY", "edtMagniQty"},
                      LookupCase{"edttempservername", "edtTempServerName"},
                      LookupCase{"edtMagni", nullptr}, LookupCase{"", nullptr},
                      LookupCase{"edtMagniQtyX", nullptr},
                      // Only A-Z fold: a dotless capital I is another letter.
                      LookupCase{"edtMagnİQty", nullptr},
                      // The first component of that name decides, and it is a label.
                      LookupCase{"edtLabelQty", nullptr}));

TEST_F(WidgetFieldSetTest, NoFieldHandleIsHarmless) {
  WidgetFieldSet fields(window_);
  fields.SetFieldText(FieldAccess::kNoField, QStringLiteral("1"));
  fields.SetFieldText(1000, QStringLiteral("1"));
  EXPECT_TRUE(fields.FieldText(FieldAccess::kNoField).isEmpty());
  EXPECT_TRUE(fields.FieldText(1000).isEmpty());
}

}  // namespace
}  // namespace dorvex
