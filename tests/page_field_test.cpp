// The page's room field and command line, as the page's worker calls them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "web/page_command.h"
#include "web/page_json.h"
#include "web/room_field.h"

namespace {

struct FieldEdit {
  std::string field;
  int index;  // the pair removed
  std::string expected;
};

TEST(PageField, RemovingAPairKeepsTheRestAsTyped) {
  const FieldEdit edits[] = {
      {"0x60..0x6F:0x100,$12:$40", 5, "0x60..0x64:0x100,0x66..0x6F:0x106,$12:$40"},
      {"0x60..0x6F:0x100,$12:$40", 16, "0x60..0x6F:0x100"},
      {"$0a..$0c:$1f", 0, "$0b..$0c:$20"},
      {"$0a..$0c:$1f", 2, "$0a..$0b:$1f"},
      {"$0a..$0c:$1f", 1, "$0a:$1f,$0c:$21"},
      {"96..98:250", 1, "96:250,98:252"},
      {"9..10:9", 0, "10:10"},
      {"010..012:7", 0, "011..012:8"},
      {"5:6,1:40,2:319", 0, "1:40,2:319"},
      {"10-20-11-21", 0, "11-21"},
      {"10-20-11-21", 1, "10-20"},
      {"-3--8--4-9-", 1, "-3--8-"},
      {"7:8", 0, ""},
      {"7:8", 1, "7:8"},
      {"1-2-3", 0, "1-2-3"},
  };
  for (const FieldEdit& edit : edits) {
    EXPECT_EQ(FieldWithoutPair(edit.field, static_cast<std::size_t>(edit.index)), edit.expected)
        << edit.field << " without pair " << edit.index;
  }
}

TEST(PageField, APickedPairIsAppendedBehindTheListAsTyped) {
  EXPECT_EQ(FieldWithPair("", 1, 40), "1:40");
  EXPECT_EQ(FieldWithPair("0x60..0x61:$100", 1, 40), "0x60..0x61:$100,1:40");
  EXPECT_EQ(FieldWithPair("5-6", 1, 40), "5:6,1:40");
  EXPECT_EQ(FieldWithPair("1-2-3", 1, 40), "1-2-3");
  EXPECT_EQ(FieldWithPair("5:6", 1, 320), "5:6");
}

struct CommandCase {
  PageControls controls;
  std::vector<std::string> arguments;
  std::string command;
};

TEST(PageCommand, TheControlsStandForTheCommandLineAUserTypes) {
  const CommandCase cases[] = {
      {{"a.sfc", "b.sfc", "$12:$40", {"--map"}},
       {"--map", "--rooms=$12:$40", "--", "a.sfc", "b.sfc"},
       "roomxfer --map '--rooms=$12:$40' -- a.sfc b.sfc"},
      {{"a.sfc", "b.sfc", "1-40", {}},
       {"--", "a.sfc", "b.sfc", "1-40"},
       "roomxfer -- a.sfc b.sfc 1-40"},
      {{"--odd name's.sfc", "", "1-40-2-41", {"--verify"}},
       {"--verify", "--rooms=1:40,2:41", "--", "--odd name's.sfc"},
       "roomxfer --verify --rooms=1:40,2:41 -- '--odd name'\\''s.sfc'"},
      {{"a.sfc", "", "", {"--base=0x200000"}},
       {"--base=0x200000", "--", "a.sfc"},
       "roomxfer --base=0x200000 -- a.sfc"},
  };
  for (const CommandCase& c : cases) {
    EXPECT_EQ(RunArguments(c.controls), c.arguments) << c.command;
    EXPECT_EQ(ShellCommand(RunArguments(c.controls)), c.command);
  }
  EXPECT_EQ(ExportArguments({"hack.sfc", "", "1-40", {}}),
            (std::vector<std::string>{"--export=hack.pack", "--", "hack.sfc", "1-40"}));
  EXPECT_EQ(ExportPackName("rooms.pack"), "_rooms.pack");
  EXPECT_EQ(ExportPackName(".hidden"), ".hidden.pack");
}

TEST(PageJson, TextsAreEscapedAndPairsGivenAsNumbers) {
  EXPECT_EQ(JsonString("a\"b\\c\nd\x01\xC3\xA9"), "\"a\\\"b\\\\c\\u000Ad\\u0001\xC3\xA9\"");
  EXPECT_EQ(FieldJson("0x10..0x11:5"),
            "{\"usable\":true,\"form\":\"rooms\",\"pairs\":[[16,5],[17,6]]}");
  EXPECT_EQ(FieldJson("1-2-3"), "{\"usable\":false,\"form\":\"list\",\"pairs\":[]}");
  EXPECT_EQ(FieldJson(""), "{\"usable\":true,\"form\":\"empty\",\"pairs\":[]}");
}

}  // namespace
