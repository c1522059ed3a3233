#include "window/form_scaling.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <utility>

namespace dorvex {
namespace {

int ScaledEdge(int edge, double factor) {
  return static_cast<int>(std::lround(edge * factor));
}

// The widgets placed by hand: the form's children and the children of its group boxes.
std::vector<QWidget*> PlacedWidgets(const QWidget& form) {
  std::vector<QWidget*> placed;
  for (QWidget* child : form.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
    if (child->isWindow()) continue;
    placed.push_back(child);
    if (qobject_cast<QGroupBox*>(child) != nullptr) {
      for (QWidget* row : child->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (!row->isWindow()) placed.push_back(row);
      }
    }
  }
  return placed;
}

QStyleOptionButton ButtonOption(const QAbstractButton& button) {
  QStyleOptionButton option;
  option.initFrom(&button);
  option.text = button.text();
  if (const auto* push = qobject_cast<const QPushButton*>(&button)) {
    if (push->isFlat()) option.features |= QStyleOptionButton::Flat;
    if (push->isDefault()) option.features |= QStyleOptionButton::DefaultButton;
    if (push->autoDefault()) option.features |= QStyleOptionButton::AutoDefaultButton;
  }
  return option;
}

// The width `text` takes in `widget`, when its text area is `contents`; with `line`, also the
// height of its line of text. (Labels are laid out one line tall at the form's pixel size and
// keep that height: their text is centred on it.)
void NeedText(std::vector<SpanNeed>& needs, const QWidget& widget, const QString& text,
              const QRect& contents, bool line) {
  if (text.isEmpty()) return;
  const QRect frame = widget.geometry();
  const QFontMetrics metrics = widget.fontMetrics();
  needs.push_back({frame.left(), frame.left() + frame.width(),
                   metrics.horizontalAdvance(text) + frame.width() - contents.width()});
  if (line) {
    needs.push_back({frame.top(), frame.top() + frame.height(),
                     metrics.height() + frame.height() - contents.height()});
  }
}

void NeedGroupBox(std::vector<SpanNeed>& needs, const QGroupBox& box) {
  QStyleOptionGroupBox option;
  option.initFrom(&box);
  option.text = box.title();
  option.textAlignment = box.alignment();
  option.lineWidth = 1;
  option.subControls = QStyle::SC_GroupBoxFrame;
  if (!box.title().isEmpty()) option.subControls |= QStyle::SC_GroupBoxLabel;
  if (box.isCheckable()) option.subControls |= QStyle::SC_GroupBoxCheckBox;
  if (box.isFlat()) option.features |= QStyleOptionFrame::Flat;
  const QStyle* style = box.style();
  const QRect frameLine =
      style->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxFrame, &box);
  int rowsFrom = frameLine.top() + 1;
  if (!box.title().isEmpty()) {
    // Some styles draw the frame line right under the title, others through it: rows start
    // below both.
    const QRect title =
        style->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, &box);
    rowsFrom = std::max(rowsFrom, title.bottom() + 2);
    const QRect frame = box.geometry();
    needs.push_back({frame.left(), frame.left() + frame.width(), title.right() + 1});
  }
  for (const QWidget* row : box.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
    if (!row->isWindow()) needs.push_back({0, row->geometry().top(), rowsFrom});
  }
}

}  // namespace

QRect ScaledRect(const QRect& rect, double factor) {
  const int left = ScaledEdge(rect.left(), factor);
  const int top = ScaledEdge(rect.top(), factor);
  return {left, top, ScaledEdge(rect.left() + rect.width(), factor) - left,
          ScaledEdge(rect.top() + rect.height(), factor) - top};
}

QSize ScaledSize(const QSize& size, double factor) {
  return {ScaledEdge(size.width(), factor), ScaledEdge(size.height(), factor)};
}

int ScaledSpan(int start, int end, double factor) {
  return ScaledEdge(end, factor) - ScaledEdge(start, factor);
}

double SmallestFittingFactor(const std::vector<SpanNeed>& needs) {
  const int steps = static_cast<int>(std::lround((kMaxFormFactor - 1.0) / kFormFactorStep));
  for (int step = 0; step < steps; ++step) {
    const double factor = 1.0 + step * kFormFactorStep;
    if (std::all_of(needs.begin(), needs.end(), [factor](const SpanNeed& need) {
          return ScaledSpan(need.start, need.end, factor) >= need.needed;
        })) {
      return factor;
    }
  }
  return kMaxFormFactor;
}

std::vector<SpanNeed> FormNeeds(const QWidget& form) {
  std::vector<SpanNeed> needs;
  for (const QWidget* widget : PlacedWidgets(form)) {
    const QStyle* style = widget->style();
    if (const auto* label = qobject_cast<const QLabel*>(widget)) {
      if (label->textFormat() != Qt::RichText)
        NeedText(needs, *label, label->text(), label->contentsRect(), false);
    } else if (const auto* push = qobject_cast<const QPushButton*>(widget)) {
      const QStyleOptionButton option = ButtonOption(*push);
      NeedText(needs, *push, push->text(),
               style->subElementRect(QStyle::SE_PushButtonContents, &option, push), true);
    } else if (const auto* check = qobject_cast<const QCheckBox*>(widget)) {
      const QStyleOptionButton option = ButtonOption(*check);
      NeedText(needs, *check, check->text(),
               style->subElementRect(QStyle::SE_CheckBoxContents, &option, check), true);
    } else if (const auto* box = qobject_cast<const QGroupBox*>(widget)) {
      NeedGroupBox(needs, *box);
    } else if (qobject_cast<const QLineEdit*>(widget) != nullptr ||
               qobject_cast<const QComboBox*>(widget) != nullptr) {
      // One line of text inside the style's frame.
      const QRect frame = widget->geometry();
      const int frameWidth = style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, widget);
      needs.push_back({frame.top(), frame.top() + frame.height(),
                       widget->fontMetrics().height() + 2 * frameWidth});
    }
  }
  return needs;
}

double FitFormToFont(QWidget& form) {
  std::vector<std::pair<QWidget*, QRect>> designed;
  for (QWidget* widget : PlacedWidgets(form)) designed.emplace_back(widget, widget->geometry());
  const double factor = SmallestFittingFactor(FormNeeds(form));
  if (factor == 1.0) return factor;
  for (const auto& [widget, rect] : designed) widget->setGeometry(ScaledRect(rect, factor));
  form.setFixedSize(ScaledSize(form.size(), factor));
  return factor;
}

}  // namespace dorvex
