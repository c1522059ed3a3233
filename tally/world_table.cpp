#include "tally/world_table.h"

#include <array>
#include <vector>

namespace dorvex {

namespace {

// Labels hold U+3000 (ideographic space) and U+0020 spaces and full stops exactly as the report
// prints them.
constexpr std::array<World, kWorldTableSize> kWorlds{{
    {"verdandi", "edtVerdandiQty", 1, kNoGeneration, "【verdandi】"},
    {"magni", "edtMagniQty", 1, 5, "【　magni .】"},
    {"surt", "edtSurtQty", 1, 5, "【　surt　..】"},
    {"forsety", "edtForsetyQty", 1, 5, "【..forsety.】"},
    {"garm", "edtGarmQty", 1, 5, "【　garm ..】"},
    {"tyr", "edtTyrQty", 2, 4, "【　tyr　　.】"},
    {"idun", "edtIdunQty", 2, 4, "【　idun　 .】"},
    {"eir", "edtEirQty", 2, 4, "【　eir　　..】"},
    {"freya", "edtFreyaQty", 2, 3, "【　freya　】"},
    {"baldur", "edtBaldurQty", 2, 2, "【 baldur　】"},
    {"chaos", "edtChaosQty", 2, 1, "【　chaos..】"},
    {"thor", "edtThorQty", 3, 3, "【　thor　..】"},
    {"bijou", "edtBijouQty", 3, 3, "【　bijou　.】"},
    {"ses", "edtSesQty", 3, 4, "【　ses　　】"},
    {"sara", "edtSaraQty", 3, 2, "【　sara　 】"},
    {"fenrir", "edtFenrirQty", 3, 1, "【 fenrir　 】"},
    {"loki", "edtLokiQty", 3, 1, "【　loki　　.】"},
    {"lydia", "edtLydiaQty", 4, 2, "【　lydia　 】"},
    {"tiamet", "edtTiametQty", 4, 4, "【　tiamet.】"},
    {"lisa", "edtLisaQty", 4, 4, "【　lisa　　.】"},
    {"odin", "edtOdinQty", 4, 3, "【　odin　 .】"},
    {"heimdal", "edtHeimdalQty", 4, 4, "【.heimdal.】"},
    {"iris", "edtIrisQty", 4, 1, "【　iris　　 】"},
    {"urdr", "edtUrdrQty", kPvpGroup, kNoGeneration, "【　urdr　　 】"},
}};

}  // namespace

std::span<const World, kWorldTableSize> WorldTable() {
  return kWorlds;
}

std::span<const WorldStrings, kWorldTableSize> WorldStringTable() {
  static const std::vector<WorldStrings> strings = [] {
    std::vector<WorldStrings> rows;
    for (const World& world : kWorlds) {
      rows.push_back(
          {ToQString(world.name), ToQString(world.fieldName), ToQString(world.reportLabel)});
    }
    return rows;
  }();
  return std::span<const WorldStrings, kWorldTableSize>(strings.data(), kWorldTableSize);
}

std::size_t PvpWorldIndex() {
  static const std::size_t index = [] {
    std::size_t pvp = kWorlds.size() - 1;
    for (std::size_t i = 0; i < kWorlds.size(); ++i) {
      if (kWorlds[i].group == kPvpGroup) pvp = i;
    }
    return pvp;
  }();
  return index;
}

const QString& TempServerNameFieldString() {
  static const QString name = ToQString(kTempServerNameField);
  return name;
}

const QString& TempServerQtyFieldString() {
  static const QString name = ToQString(kTempServerQtyField);
  return name;
}

}  // namespace dorvex
