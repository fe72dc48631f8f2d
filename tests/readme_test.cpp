// The manual's table of checked opcodes is the one the reader uses.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "rom/format.h"
#include "rom/rom_image.h"
#include "tables/game_code.h"

namespace {

std::vector<std::string> TableRows(const std::string& path) {
  std::ifstream file(path);
  std::vector<std::string> rows;
  for (std::string line; std::getline(file, line);) {
    if (line.rfind("| 0x", 0) == 0) {
      rows.push_back(line + " ");
    }
  }
  return rows;
}

bool RowNames(const std::string& row, const OpcodeCheck& check) {
  const std::string offset = Format("0x%X", check.offset);
  const std::size_t at = row.find(offset);
  const bool wholeOffset = at != std::string::npos && !std::isxdigit(row[at + offset.size()]);
  return wholeOffset && row.find(Format("| %02X |", check.opcode)) != std::string::npos &&
         row.find(check.field) != std::string::npos;
}

TEST(Manual, ListsEveryCheckedOpcodeWithItsField) {
  const std::vector<std::string> rows =
      TableRows(std::string(ROOMXFER_SOURCE_DIR) + "/docs/manual.md");
  ASSERT_FALSE(rows.empty());
  for (const OpcodeCheck& check : GAME_CODE_CHECKS) {
    const bool listed = std::any_of(rows.begin(), rows.end(),
                                    [&](const std::string& row) { return RowNames(row, check); });
    EXPECT_TRUE(listed) << Format("0x%X %02X %s", check.offset, check.opcode, check.field);
  }
}

}  // namespace
