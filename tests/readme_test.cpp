// The documents stay in step with the program: the manual's table of checked
// opcodes is the one the reader uses, the manual page names exactly the
// options that --help names and the room packs' keywords, and every relative
// link names a file that exists.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/options.h"
#include "packs/pack_lines.h"
#include "packs/pack_reader.h"
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

std::string SourceFile(const std::string& path) {
  std::ifstream file(std::string(ROOMXFER_SOURCE_DIR) + "/" + path);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// "--name" for every line of --help that starts an option's entry ("  --map ...").
std::set<std::string> OptionsOfHelp(const std::string& help) {
  std::set<std::string> options;
  std::istringstream lines(help);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("  --", 0) == 0 && line.size() > 4 && std::isalpha(line[4])) {
      options.insert(line.substr(2, line.find(' ', 2) - 2));
    }
  }
  return options;
}

// "--name" for every tagged paragraph of the page's OPTIONS section whose tag
// is an option (".B \-\-map", ".BI \-\-rooms " LIST"").
std::set<std::string> OptionsOfManPage(const std::string& page) {
  std::set<std::string> options;
  std::istringstream lines(page);
  bool inOptions = false;
  bool tag = false;
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind(".SH", 0) == 0) {
      inOptions = line == ".SH OPTIONS";
    } else if (inOptions && tag) {
      const std::size_t name = line.find("\\-\\-");
      if ((line.rfind(".B ", 0) == 0 || line.rfind(".BI ", 0) == 0) && name != std::string::npos) {
        std::string option = line.substr(name, line.find(' ', name) - name);
        for (std::size_t dash; (dash = option.find("\\-")) != std::string::npos;) {
          option.erase(dash, 1);
        }
        options.insert(option);
      }
    }
    tag = line == ".TP";
  }
  return options;
}

TEST(ManPage, NamesTheOptionsOfHelpAndNoOthers) {
  const std::set<std::string> help = OptionsOfHelp(HelpText());
  EXPECT_TRUE(help.count("--help") && help.count("--rooms") && help.count("--base"));
  EXPECT_EQ(OptionsOfManPage(SourceFile("docs/roomxfer.1")), help);
  for (const std::string& option : help) {
    EXPECT_EQ(ParseCommandLine({option}).usageError.rfind("Unknown option", 0), std::string::npos)
        << option;
  }
}

TEST(ManPage, CarriesTheVersion) {
  const std::string page = SourceFile("docs/roomxfer.1");
  const std::string title = page.substr(0, page.find('\n'));
  EXPECT_EQ(title.rfind(".TH ROOMXFER 1 ", 0), 0u) << title;
  EXPECT_NE(title.find(std::string("\"roomxfer ") + ROOMXFER_VERSION + "\""), std::string::npos)
      << title;
}

// The text of the page's section `name`, "\-" read as "-".
std::string ManPageSection(const std::string& page, const std::string& name) {
  const std::size_t start = page.find(".SH " + name + "\n");
  std::string section =
      start == std::string::npos ? "" : page.substr(start, page.find("\n.SH ", start + 1) - start);
  for (std::size_t dash; (dash = section.find("\\-")) != std::string::npos;) {
    section.erase(dash, 1);
  }
  return section;
}

TEST(ManPage, GivesTheRoomPacksFormatLineAndEveryListKeyword) {
  const std::string section = ManPageSection(SourceFile("docs/roomxfer.1"), "ROOM PACKS");
  EXPECT_NE(section.find(Format("\n%s %d\n", PACK_FORMAT_NAME, PACK_FORMAT_VERSION)),
            std::string::npos)
      << section;
  std::set<std::string> words;
  std::string word;
  for (const char c : section + " ") {
    if (std::islower(static_cast<unsigned char>(c)) || c == '-') {
      word += c;
    } else if (!word.empty()) {
      words.insert(word);
      word.clear();
    }
  }
  std::set<std::string_view> keywords = {RAW_KEYWORD, DOOR_LIST_KEYWORD};
  for (const PackList list : {PackList::Layers, PackList::Sprites, PackList::Items,
                              PackList::Chests, PackList::Blocks, PackList::Torches}) {
    keywords.insert(ListKeyword(list));
    for (const LineRule& rule : ListLineRules(list)) {
      keywords.insert(rule.keyword);
    }
  }
  for (const std::string_view keyword : keywords) {
    EXPECT_TRUE(words.count(std::string(keyword))) << keyword;
  }
}

// The targets of the Markdown links "[text](target)" in `text`, without an
// anchor after '#'; links to web addresses and to a place in the same file
// are left out.
std::vector<std::string> RelativeLinks(const std::string& text) {
  std::vector<std::string> links;
  for (std::size_t at = text.find("]("); at != std::string::npos; at = text.find("](", at + 2)) {
    const std::size_t end = text.find(')', at + 2);
    if (end == std::string::npos) {
      break;
    }
    const std::string target = text.substr(at + 2, end - at - 2);
    const std::string path = target.substr(0, target.find('#'));
    if (!path.empty() && path.rfind("http://", 0) != 0 && path.rfind("https://", 0) != 0) {
      links.push_back(path);
    }
  }
  return links;
}

TEST(Documents, FindTheirRelativeLinks) {
  const struct {
    std::string text;
    std::vector<std::string> links;
  } rows[] = {
      {"[a](docs/packs.md) and [b](../README.md#usage)", {"docs/packs.md", "../README.md"}},
      {"[page](https://example.org/x.md), [here](#options), [p](web-page.png)", {"web-page.png"}},
      {"no link (docs/x.md) [text] (y.md)", {}},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(RelativeLinks(row.text), row.links) << row.text;
  }
}

TEST(Documents, LinkOnlyToFilesThatExist) {
  const std::filesystem::path source(ROOMXFER_SOURCE_DIR);
  std::vector<std::filesystem::path> documents = {source / "README.md"};
  for (const auto& entry : std::filesystem::directory_iterator(source / "docs")) {
    if (entry.path().extension() == ".md") {
      documents.push_back(entry.path());
    }
  }
  ASSERT_GT(documents.size(), 4u);
  for (const std::filesystem::path& document : documents) {
    std::ifstream file(document);
    std::ostringstream text;
    text << file.rdbuf();
    const std::vector<std::string> links = RelativeLinks(text.str());
    for (const std::string& link : links) {
      EXPECT_TRUE(std::filesystem::is_regular_file(document.parent_path() / link))
          << document.filename().string() << " links " << link;
    }
  }
}

}  // namespace
