// dorvex-sample-reply: writes the sample world list reply shipped in samples/.
//   dorvex-sample-reply OUTPUT
// Seven worlds with fixed counts, whose report the tests know line by line; temp1 is a world the
// table lacks.

#include <QFile>
#include <QString>
#include <array>
#include <cstdio>

#include "tally/world_list_payload.h"

int main(int argc, char* argv[]) {
  if (argc != 2) {
    std::fputs("Usage: dorvex-sample-reply OUTPUT\n", stderr);
    return 2;
  }
  const std::array<dorvex::WorldRecord, 7> records{{{"verdandi", 1200},
                                                    {"magni", 800},
                                                    {"chaos", 2000},
                                                    {"thor", 950},
                                                    {"lisa", 900},
                                                    {"urdr", 300},
                                                    {"temp1", 50}}};
  const QByteArray reply = dorvex::MakeWorldListReply(records);

  const QString path = QString::fromLocal8Bit(argv[1]);
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(reply) != reply.size() ||
      !file.flush()) {
    std::fprintf(stderr, "dorvex-sample-reply: %s: cannot write: %s\n", argv[1],
                 qPrintable(file.errorString()));
    return 1;
  }
  return 0;
}
