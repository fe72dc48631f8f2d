#include "app/verify.h"

#include <string>
#include <vector>

#include "app/job/read_back.h"
#include "rom/format.h"
#include "tables/torches.h"

namespace {

const char* Plural(int count) { return count == 1 ? "" : "s"; }

std::string FormatDifference(const RoomDifference& difference) {
  return Format("Room 0x%03X (%d): %s: %s%s\n", difference.room, difference.room,
                difference.kind.c_str(), difference.detail.c_str(),
                difference.expected ? " (expected)" : "");
}

std::string FormatSummary(int unexpected, int expected) {
  if (unexpected == 0) {
    const std::string note =
        expected > 0 ? Format(" (%d expected difference%s)", expected, Plural(expected)) : "";
    return Format("%d rooms read back as written%s\n", ROOM_COUNT, note.c_str());
  }
  const std::string note =
      expected > 0 ? Format(" (%d expected difference%s not counted)", expected, Plural(expected))
                   : "";
  return Format("%d difference%s found%s\n", unexpected, Plural(unexpected), note.c_str());
}

}  // namespace

VerifyReport VerifyOutput(TransferResult& result) {
  const RoomSet readBack = ReadBackOutput(result.out);
  const std::vector<RoomDifference> differences = CompareReadBack(
      result.destinationSet, readBack, result.out,
      result.layout.kind == LayoutKind::Editable ? GAME_TORCH_SPACE : TORCH_TABLE_LIMIT);
  VerifyReport report;
  for (const RoomDifference& difference : differences) {
    report.text += FormatDifference(difference);
    if (difference.expected) {
      ++report.expected;
    } else {
      ++report.unexpected;
    }
  }
  report.summary = FormatSummary(report.unexpected, report.expected);
  report.text += report.summary;
  return report;
}
