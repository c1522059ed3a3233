// The tally's view of the window's count fields. (The name rule they share with the in-memory
// fields is tested with those.)

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QWidget>

#include "widget_fields.h"

namespace dorvex {
namespace {

TEST(WidgetFieldSetTest, ReadsAndWritesTheFirstControlOfTheNameWhenItIsAnEdit) {
  QWidget window;
  auto* magni = new QLineEdit(&window);
  magni->setObjectName(QStringLiteral("edtMagniQty"));
  (new QLabel(&window))->setObjectName(QStringLiteral("edtLabelQty"));
  (new QLineEdit(&window))->setObjectName(QStringLiteral("EDTLABELQTY"));
  WidgetFieldSet fields(window);

  const FieldAccess::Handle field = fields.FindField(u"EDTMAGNIQTY");
  fields.SetFieldText(field, QStringLiteral("42"));
  EXPECT_EQ(magni->text(), "42");
  magni->setText(QStringLiteral("7"));
  EXPECT_EQ(fields.FieldText(field), "7");

  EXPECT_EQ(fields.FindField(u"edtLabelQty"), FieldAccess::kNoField);  // a label comes first
  fields.SetFieldText(FieldAccess::kNoField, QStringLiteral("1"));     // harmless
  EXPECT_TRUE(fields.FieldText(FieldAccess::kNoField).isEmpty());
}

}  // namespace
}  // namespace dorvex
