#include "window/elided_combo.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QComboBox>
#include <QProxyStyle>
#include <QStyleOptionComboBox>

namespace dorvex {
namespace {

// The edit field less the pixel the styles keep clear on either side of the text.
int TextWidth(const QStyle& style, const QStyleOptionComboBox& option, const QWidget* widget) {
  const QRect field =
      style.subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, widget);
  const int icon = option.currentIcon.isNull() ? 0 : option.iconSize.width() + 4;
  return field.width() - 2 - icon;
}

// The application's style, with the shown item of a combo box elided to its field.
class ElidingComboStyle : public QProxyStyle {
 public:
  using QProxyStyle::QProxyStyle;

  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget) const override {
    const auto* combo = qstyleoption_cast<const QStyleOptionComboBox*>(option);
    if (element != CE_ComboBoxLabel || combo == nullptr || combo->editable) {
      QProxyStyle::drawControl(element, option, painter, widget);
      return;
    }
    QStyleOptionComboBox elided(*combo);
    elided.currentText = combo->fontMetrics.elidedText(combo->currentText, Qt::ElideRight,
                                                       TextWidth(*this, *combo, widget));
    QProxyStyle::drawControl(element, &elided, painter, widget);
  }
};

bool Fits(const QComboBox& combo, const QString& text) {
  return combo.fontMetrics().horizontalAdvance(text) <= ComboTextWidth(combo);
}

void ShowWholeTextAsTooltip(QComboBox& combo, int first, int last) {
  for (int row = first; row <= last; ++row) {
    const QString text = combo.itemText(row);
    combo.setItemData(row, Fits(combo, text) ? QVariant() : QVariant(text), Qt::ToolTipRole);
  }
}

}  // namespace

int ComboTextWidth(const QComboBox& combo) {
  QStyleOptionComboBox option;
  option.initFrom(&combo);
  option.editable = combo.isEditable();
  option.frame = combo.hasFrame();
  option.subControls = QStyle::SC_All;
  option.currentText = combo.currentText();
  option.currentIcon = combo.itemIcon(combo.currentIndex());
  option.iconSize = combo.iconSize();
  return TextWidth(*combo.style(), option, &combo);
}

void ElideLongItems(QComboBox& combo) {
  auto* style = new ElidingComboStyle(QApplication::style()->name());
  style->setParent(&combo);
  combo.setStyle(style);
  ShowWholeTextAsTooltip(combo, 0, combo.count() - 1);
  QObject::connect(combo.model(), &QAbstractItemModel::rowsInserted, &combo,
                   [&combo](const QModelIndex&, int first, int last) {
                     ShowWholeTextAsTooltip(combo, first, last);
                   });
  QObject::connect(&combo, &QComboBox::currentIndexChanged, &combo, [&combo] {
    const QString text = combo.currentText();
    combo.setToolTip(Fits(combo, text) ? QString() : text);
  });
}

}  // namespace dorvex
