#pragma once
// Growing a form laid out at fixed pixel positions for one font so that it fits the font in use:
// the form's size and every child's rectangle are multiplied by one factor, the smallest at or
// above 1 at which every text fits its control and the rows of every group box start below its
// title and frame line. The arrangement and proportions stay as designed.

#include <QRect>
#include <QSize>
#include <vector>

class QWidget;

namespace dorvex {

// A span of the form, from `start` to `end` in designed pixels of one axis of a parent, that must
// come to at least `needed` pixels once scaled.
struct SpanNeed {
  int start = 0;
  int end = 0;
  int needed = 0;
  friend bool operator==(const SpanNeed&, const SpanNeed&) = default;
};

// The factors tried, from 1 up in steps of kFormFactorStep; kMaxFormFactor when none fits.
inline constexpr double kFormFactorStep = 0.01;
inline constexpr double kMaxFormFactor = 2.0;

// `rect` with each edge multiplied by `factor` and rounded, so that edges in order stay in order
// and rectangles that did not overlap still do not.
QRect ScaledRect(const QRect& rect, double factor);
QSize ScaledSize(const QSize& size, double factor);

// The length of the span [start, end) once scaled by `factor`.
int ScaledSpan(int start, int end, double factor);

// The smallest factor tried at which every need is met.
double SmallestFittingFactor(const std::vector<SpanNeed>& needs);

// What the children of `form` laid out by hand need at their current fonts: the width of each
// label, button, check box and group box title text with the style's margins, the height of each
// text line in its control, and the distance from each group box's top to its rows. Read from the
// current (designed) geometry.
std::vector<SpanNeed> FormNeeds(const QWidget& form);

// Scales `form`, a window of fixed size, and its children laid out by hand by
// SmallestFittingFactor(FormNeeds(form)). Returns the factor.
double FitFormToFont(QWidget& form);

}  // namespace dorvex
