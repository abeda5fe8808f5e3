// Tessaly's help file (tessaly.hlp): a small line-based text format in Windows-1252,
// lines ending in CR LF (LF alone is accepted).
//
//   TESSALY HELP 1                  signature and format version, the first line
//   title: Tessaly v1.1 Help        header lines "key: value" up to the first blank line;
//                                   "title" is required, unknown keys are skipped
//   == drawing: Drawing a tiling    a topic: id (a-z, 0-9, '-') and title
//   Text of a paragraph, which      paragraphs are runs of lines, separated by blank lines
//   may go on over several lines.
//   - an item of a list             a line starting with "- " is an item of its own
//   See {colours: Colours}.         a link to the topic "colours", shown as "Colours"
//
// The first topic is the one shown first. Lines before the first topic other than the
// header are not allowed, nor links to topics the file lacks.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace tessaly {

struct HelpSpan {
    std::string Text;  // UTF-8
    std::string Link;  // topic id, empty for plain text
};

struct HelpBlock {
    bool Item = false;  // an item of a list, else a paragraph
    std::vector<HelpSpan> Spans;
};

struct HelpTopic {
    std::string Id;
    std::string Title;  // UTF-8
    std::vector<HelpBlock> Blocks;
};

struct HelpDocument {
    std::string Title;  // UTF-8
    std::vector<HelpTopic> Topics;
    // The topic with this id, or null.
    const HelpTopic* Find(const std::string& id) const;
};

// Limits that keep a damaged or hostile file from costing much.
constexpr size_t kMaxHelpFileSize = 1 << 20;
constexpr size_t kMaxHelpTopics = 1000;
constexpr size_t kMaxHelpLine = 4000;

// Reads a help file's bytes. On failure returns false with a sentence naming the line
// ("line 12: a link is not closed."); doc is then unspecified.
bool ParseHelp(const std::string& bytes, HelpDocument& doc, std::string& error);

// Reads and parses the file at a host path; a file that is missing, unreadable or larger
// than kMaxHelpFileSize gives false with a reason too.
bool LoadHelpFile(const std::string& hostPath, HelpDocument& doc, std::string& error);

// One topic as an HTML fragment: its title as a heading, paragraphs, lists, and links
// written as <a href="topic:id">. Every character of the file's text is escaped.
std::string TopicHtml(const HelpTopic& topic);

}  // namespace tessaly
