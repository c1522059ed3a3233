#pragma once
// The report's worked example: the lines the sample reply renders to, in each variant.

#include <QStringList>

namespace dorvex::testing {

// Expand on, Compatible off.
inline QStringList ExampleReportExpanded() {
  return {
      QStringLiteral("【ログイン日時】2007年09月01日 (土) 21:05:09"),
      QStringLiteral("【計測方法】ワールドセレクト表示値 (Dorvex)"),
      QString(),
      QStringLiteral("【verdandi】 1200"),
      QStringLiteral("【　magni .】 800"),
      QStringLiteral("【　surt　..】 (未計測)"),
      QStringLiteral("【..forsety.】 (未計測)"),
      QStringLiteral("【　garm ..】 (未計測)"),
      QStringLiteral("【temp1】 50"),
      QString(),
      QStringLiteral("【　tyr　　.】 (未計測)"),
      QStringLiteral("【　idun　 .】 (未計測)"),
      QStringLiteral("【　eir　　..】 (未計測)"),
      QStringLiteral("【　freya　】 (未計測)"),
      QStringLiteral("【 baldur　】 (未計測)"),
      QStringLiteral("【　chaos..】 2000"),
      QString(),
      QStringLiteral("【　thor　..】 950"),
      QStringLiteral("【　bijou　.】 (未計測)"),
      QStringLiteral("【　ses　　】 (未計測)"),
      QStringLiteral("【　sara　 】 (未計測)"),
      QStringLiteral("【 fenrir　 】 (未計測)"),
      QStringLiteral("【　loki　　.】 (未計測)"),
      QString(),
      QStringLiteral("【　lydia　 】 (未計測)"),
      QStringLiteral("【　tiamet.】 (未計測)"),
      QStringLiteral("【　lisa　　.】 900"),
      QStringLiteral("【　odin　 .】 (未計測)"),
      QStringLiteral("【.heimdal.】 (未計測)"),
      QStringLiteral("【　iris　　 】 (未計測)"),
      QString(),
      QStringLiteral("【　urdr　　 】 300"),
      QString(),
      QStringLiteral("【グループ1合計】2050 (33.06%)"),
      QStringLiteral("【グループ2合計】2000 (32.26%)"),
      QStringLiteral("【グループ3合計】950 (15.32%)"),
      QStringLiteral("【グループ4合計】900 (14.52%)"),
      QStringLiteral("【　 全鯖合計 　.】6200"),
      QString(),
      QStringLiteral("【一期鯖 合計】2000 (32.26%)"),
      QStringLiteral("【二期鯖 合計】0 (0.00%)"),
      QStringLiteral("【三期鯖 合計】950 (15.32%)"),
      QStringLiteral("【四期鯖 合計】900 (14.52%)"),
      QStringLiteral("【五期鯖 合計】800 (12.90%)"),
  };
}

// Expand off, Compatible off: lines 1 to 38, without the percentages.
inline QStringList ExampleReportPlain() {
  QStringList lines = ExampleReportExpanded().mid(0, 38);
  lines[33] = QStringLiteral("【グループ1合計】2050");
  lines[34] = QStringLiteral("【グループ2合計】2000");
  lines[35] = QStringLiteral("【グループ3合計】950");
  lines[36] = QStringLiteral("【グループ4合計】900");
  return lines;
}

// Expand on, Compatible on: no program tag, the PVP line moves among the totals.
inline QStringList ExampleReportCompatible() {
  QStringList lines = ExampleReportExpanded();
  lines[1] = QStringLiteral("【計測方法】ワールドセレクト表示値");
  lines.remove(31, 2);
  lines.insert(35, QStringLiteral("【.　　　urdr　　　.】 300"));
  return lines;
}

}  // namespace dorvex::testing
