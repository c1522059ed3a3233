// The history chart on the offscreen platform: which stretches are gaps and that no line crosses
// one, time labels whole and apart in each installed font, a click picking the nearest reply.

#include "window/history/history_chart.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QImage>
#include <QRegularExpression>
#include <QTest>
#include <cmath>
#include <functional>

#include "window/history/chart_times.h"
#include "window/history/time_ticks.h"

namespace dorvex {
namespace {

constexpr qint64 kMinuteMs = 60'000;
const qint64 kStart = QDateTime(QDate(2024, 3, 4), QTime(0, 0), Qt::UTC).toMSecsSinceEpoch();

double MinuteMs(double minute) {
  return static_cast<double>(kStart) + minute * kMinuteMs;
}

TEST(ChartGapTest, GapsAreLongerThanHalfAnHourAndFourTimesTheMedianSpacing) {
  struct Case {
    const char* what;
    std::vector<qint64> minutes;
    std::vector<std::pair<qint64, qint64>> gaps;
  };
  const Case cases[] = {
      {"a reply a minute: 31 minutes apart", {0, 1, 2, 33, 34}, {{2, 33}}},
      {"a reply a minute: 30 minutes apart", {0, 1, 2, 32, 33}, {}},
      {"every ten minutes: 35 minutes apart", {0, 10, 20, 30, 65, 75, 85}, {}},
      {"every ten minutes: 45 minutes apart", {0, 10, 20, 30, 75, 85, 95}, {{30, 75}}},
      {"hourly: three hours apart", {0, 60, 120, 180, 360, 420, 480}, {}},
      {"hourly: five hours apart", {0, 60, 120, 180, 480, 540, 600}, {{180, 480}}},
  };
  for (const Case& c : cases) {
    std::vector<qint64> times;
    for (const qint64 minute : c.minutes) times.push_back(kStart + minute * kMinuteMs);
    std::vector<std::pair<qint64, qint64>> gaps;
    for (const TimeGap& gap : FindGaps(times, GapThresholdMs(times))) {
      gaps.emplace_back((gap.fromMs - kStart) / kMinuteMs, (gap.toMs - kStart) / kMinuteMs);
    }
    EXPECT_EQ(gaps, c.gaps) << c.what;
  }
}

// Replies a minute apart over [from, to) minutes, rising and falling.
void AddReplies(std::vector<QPointF>& points, int from, int to) {
  for (int minute = from; minute < to; ++minute) {
    points.emplace_back(MinuteMs(minute), 1000 + 500 * std::sin(minute / 90.0));
  }
}

// Pixels of the plot's inner rows in columns [left, right) that `near` accepts.
int CountPixels(const QImage& image, const QRect& plot, int left, int right,
                const std::function<bool(QRgb)>& near) {
  int count = 0;
  for (int x = std::max(left, plot.left() + 2); x < std::min(right, plot.right() - 1); ++x) {
    for (int y = plot.top() + 2; y < plot.bottom() - 1; ++y) count += near(image.pixel(x, y));
  }
  return count;
}

// The grand total's line (0x202020) nowhere over a gap's pixel columns: as a line over hours, as
// daily bands over days.
TEST(HistoryChartTest, NoLineOrBandCrossesAGap) {
  struct Case {
    const char* what;
    int before;  // minutes of replies, then a gap, then as many again
    int gap;
    bool daily;
  };
  const Case cases[] = {
      {"two hours, three without replies", 120, 180, false},
      {"five days, three without replies", 5 * 1440, 3 * 1440, true},
  };
  const auto isLine = [](QRgb pixel) {
    return qRed(pixel) < 0x5c && qGreen(pixel) < 0x5c && qBlue(pixel) < 0x5c;
  };
  // The translucent band over white.
  const auto isBand = [](QRgb pixel) { return std::abs(qGreen(pixel) - 0xca) <= 4; };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<QPointF> points;
    AddReplies(points, 0, c.before);
    AddReplies(points, c.before + c.gap, 2 * c.before + c.gap);
    HistoryChart chart;
    chart.resize(900, 400);
    chart.SetSeries({{QStringLiteral("Total"), points}});
    QImage image(chart.size(), QImage::Format_RGB32);
    chart.render(&image);
    const QRect plot = chart.PlotArea();
    const auto x = [&](double ms) {
      return static_cast<int>(plot.left() + (ms - chart.ViewFromMs()) /
                                                (chart.ViewToMs() - chart.ViewFromMs()) *
                                                plot.width());
    };
    const int gapLeft = x(MinuteMs(c.before - 1));
    const int gapRight = x(MinuteMs(c.before + c.gap));
    ASSERT_GT(gapRight - gapLeft, 20);
    EXPECT_EQ(CountPixels(image, plot, gapLeft + 4, gapRight - 3, isLine), 0);
    EXPECT_GT(CountPixels(image, plot, plot.left(), gapLeft - 3, isLine), 0);
    EXPECT_GT(CountPixels(image, plot, gapRight + 4, plot.right(), isLine), 0);
    EXPECT_EQ(CountPixels(image, plot, plot.left(), gapLeft - 3, isBand) > 10 * plot.width(),
              c.daily);
  }
}

// Over spans from minutes to years, at the chart's narrow and usual widths: at least two ticks,
// each label whole (a date, a clock time, a month or a year, never cut), within the axis and
// the overhang, at least the label gap from the next; the year on the first label where needed.
class TickLabelTest : public ::testing::TestWithParam<const char*> {};

TEST_P(TickLabelTest, LabelsAreWholeAndApart) {
  const QFont font(QString::fromUtf8(GetParam()));
  ASSERT_EQ(QFontInfo(font).family(), QString::fromUtf8(GetParam()));
  const QFontMetrics metrics(font);
  const QRegularExpression whole(
      QStringLiteral(R"(^(\d{4}/)?\d{2}/\d{2}( \d{2}:\d{2})?$|^\d{2}:\d{2}$|^\d{4}(/\d{2})?$)"));
  struct Case {
    qint64 minutes;
    int currentYear;
    bool year;
  };
  const Case cases[] = {{45, 2024, false},           {6 * 60, 2024, false},
                        {2 * 1440, 2024, false},     {2 * 1440, 2026, true},
                        {16 * 1440, 2024, false},    {120 * 1440, 2024, false},
                        {3 * 365 * 1440, 2024, true}};
  constexpr double kOverhang = 30;
  for (const Case& c : cases) {
    for (const int width : {250, 700}) {
      SCOPED_TRACE(testing::Message() << c.minutes << " minutes, " << width << " pixels");
      const std::vector<TimeTick> ticks = TimeTicks(kStart, kStart + c.minutes * kMinuteMs, width,
                                                    kOverhang, metrics, c.currentYear);
      ASSERT_GE(ticks.size(), 2u);
      if (c.year) {
        EXPECT_TRUE(
            QRegularExpression(QStringLiteral(R"(^\d{4})")).match(ticks.front().label).hasMatch())
            << ticks.front().label.toStdString();
      }
      for (std::size_t i = 0; i < ticks.size(); ++i) {
        const TimeTick& tick = ticks[i];
        const double right = tick.labelLeft + metrics.horizontalAdvance(tick.label);
        EXPECT_TRUE(whole.match(tick.label).hasMatch()) << tick.label.toStdString();
        EXPECT_GE(tick.labelLeft, -kOverhang);
        EXPECT_LE(right, width + kOverhang);
        if (i + 1 < ticks.size()) {
          EXPECT_LE(right + TickLabelGap(metrics), ticks[i + 1].labelLeft)
              << tick.label.toStdString() << " | " << ticks[i + 1].label.toStdString();
        }
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(InstalledFonts, TickLabelTest,
                         ::testing::Values("Noto Sans CJK JP", "IPAGothic", "DejaVu Sans",
                                           "Droid Sans Fallback"));

// A click in the plot picks the reply nearest in time to where it falls.
TEST(HistoryChartTest, ClickPicksTheNearestReply) {
  HistoryChart chart;
  chart.resize(600, 300);
  chart.SetSeries(
      {{QStringLiteral("Total"), {{MinuteMs(0), 5}, {MinuteMs(10), 7}, {MinuteMs(60), 6}}}});
  chart.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&chart));
  std::vector<qint64> picked;
  QObject::connect(&chart, &HistoryChart::ReplyPicked,
                   [&](qint64 ms) { picked.push_back((ms - kStart) / kMinuteMs); });
  const QRect plot = chart.PlotArea();
  for (const double minute : {1.0, 9.0, 33.0, 37.0, 59.0}) {
    const int x = static_cast<int>(std::lround(plot.left() + minute / 60 * plot.width()));
    QTest::mouseClick(&chart, Qt::LeftButton, {}, QPoint(x, plot.center().y()));
  }
  EXPECT_EQ(picked, (std::vector<qint64>{0, 10, 10, 60, 60}));
}

}  // namespace
}  // namespace dorvex
