// Fuzz target: bytes as a frame (the first byte picks the link type) through the decoder (the
// payload must lie within the frame), the world list reader and the update cycle.

#include <pcap/dlt.h>

#include <QDateTime>
#include <QLocale>
#include <cstdint>
#include <iterator>

#include "capture/frame_decoder.h"
#include "fuzz/fuzz_check.h"
#include "tally/count_store.h"
#include "tally/login_time.h"
#include "tally/memory_fields.h"
#include "tally/update_cycle.h"
#include "tally/world_list_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  constexpr int kLinkTypes[] = {DLT_EN10MB, DLT_LINUX_SLL, DLT_LINUX_SLL2, DLT_NULL,
                                DLT_LOOP,   DLT_RAW,       DLT_IPV4};
  if (size < 1 || size > 0xFFFF) return 0;
  const std::uint8_t* frame = data + 1;
  const auto captured = static_cast<std::uint32_t>(size - 1);
  const auto segment =
      dorvex::DecodeTCPSegment(kLinkTypes[data[0] % std::size(kLinkTypes)], frame, captured);
  if (!segment) return 0;
  FuzzCheck(segment->TCPDataLength >= 1 && segment->TCPData >= frame &&
                segment->TCPData + segment->TCPDataLength <= frame + captured,
            "a payload outside the captured bytes");

  dorvex::CountStore store;
  dorvex::MemoryFieldSet fields;
  dorvex::LoginTime loginTime([] { return QDateTime::fromSecsSinceEpoch(1700000000); });
  dorvex::WorldListReader reader(store, loginTime, [&] {
    dorvex::RunUpdateCycle(store, fields, loginTime.Value(), dorvex::ReportOptions{}, QLocale::c());
  });
  reader.Read(segment->TCPData, segment->TCPDataLength);
  return 0;
}
