#include "product/tessaly/HelpFile.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <set>

#include "platform/rtl/StrUtils.h"

namespace tessaly {

namespace {

constexpr const char* kSignature = "TESSALY HELP 1";

bool ValidId(const std::string& id)
{
    if (id.empty() || id.size() > 64) return false;
    for (char c : id)
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-')) return false;
    return true;
}

struct Parser {
    HelpDocument& doc;
    std::string& error;
    size_t lineNo = 0;
    std::vector<std::pair<size_t, std::string>> links;  // line, target: checked at the end

    bool Fail(const std::string& why)
    {
        error = "line " + std::to_string(lineNo) + ": " + why;
        return false;
    }

    // Text with {id: shown text} links into spans, converted to UTF-8.
    bool Spans(const std::string& text, std::vector<HelpSpan>& out)
    {
        size_t pos = 0;
        while (pos < text.size()) {
            const size_t open = text.find('{', pos);
            const size_t close = text.find('}', pos);
            if (close != std::string::npos && (open == std::string::npos || close < open))
                return Fail("a '}' without its '{'.");
            if (open == std::string::npos) {
                out.push_back({AnsiToUtf8(text.substr(pos)), {}});
                break;
            }
            if (open > pos) out.push_back({AnsiToUtf8(text.substr(pos, open - pos)), {}});
            const size_t end = text.find('}', open);
            if (end == std::string::npos) return Fail("a link is not closed.");
            const std::string inner = text.substr(open + 1, end - open - 1);
            const size_t colon = inner.find(':');
            if (colon == std::string::npos) return Fail("a link needs \"{topic: text}\".");
            const std::string id = Trim(inner.substr(0, colon));
            const std::string shown = Trim(inner.substr(colon + 1));
            if (!ValidId(id)) return Fail("a link names no valid topic.");
            if (shown.empty() || shown.find('{') != std::string::npos) return Fail("a link has no text.");
            out.push_back({AnsiToUtf8(shown), id});
            links.emplace_back(lineNo, id);
            pos = end + 1;
        }
        return true;
    }

    bool Run(const std::string& bytes)
    {
        if (bytes.size() > kMaxHelpFileSize) return Fail("the file is larger than a help file can be.");
        std::vector<std::string> lines;
        size_t start = 0;
        while (start < bytes.size()) {
            size_t nl = bytes.find('\n', start);
            if (nl == std::string::npos) nl = bytes.size();
            std::string line = bytes.substr(start, nl - start);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            lines.push_back(std::move(line));
            start = nl + 1;
        }
        doc = HelpDocument{};
        enum { Header, Body } state = Header;
        HelpBlock* para = nullptr;  // the paragraph lines are being added to
        std::set<std::string> ids;
        for (const std::string& line : lines) {
            ++lineNo;
            if (line.size() > kMaxHelpLine) return Fail("the line is too long.");
            for (unsigned char c : line)
                if ((c < 32 && c != '\t') || c == 127 || c == '\r') return Fail("the file holds characters that are not text.");
            if (lineNo == 1) {
                if (line.rfind("TESSALY HELP ", 0) == 0 && line != kSignature)
                    return Fail("the file is of a later format than this version of Tessaly reads.");
                if (line != kSignature) return Fail("this is not a Tessaly help file.");
                continue;
            }
            if (line.rfind("==", 0) == 0) {
                if (state == Header && doc.Title.empty()) return Fail("the header has no title.");
                state = Body;
                if (doc.Topics.size() >= kMaxHelpTopics) return Fail("the file has too many topics.");
                const std::string rest = line.substr(2);
                const size_t colon = rest.find(':');
                if (colon == std::string::npos) return Fail("a topic needs \"== id: title\".");
                HelpTopic t;
                t.Id = Trim(rest.substr(0, colon));
                const std::string title = Trim(rest.substr(colon + 1));
                if (!ValidId(t.Id)) return Fail("a topic id may hold only a-z, 0-9 and '-'.");
                if (title.empty()) return Fail("the topic has no title.");
                if (!ids.insert(t.Id).second) return Fail("the topic \"" + t.Id + "\" is there twice.");
                t.Title = AnsiToUtf8(title);
                doc.Topics.push_back(std::move(t));
                para = nullptr;
                continue;
            }
            const std::string text = Trim(line);
            if (state == Header) {
                if (text.empty()) continue;
                const size_t colon = text.find(':');
                if (colon == std::string::npos) return Fail("text before the first topic.");
                const std::string key = LowerCase(Trim(text.substr(0, colon)));
                if (key == "title") doc.Title = AnsiToUtf8(Trim(text.substr(colon + 1)));
                continue;
            }
            HelpTopic& topic = doc.Topics.back();
            if (text.empty()) {
                para = nullptr;
                continue;
            }
            const bool item = text.rfind("- ", 0) == 0;
            if (item || !para) {
                topic.Blocks.push_back({item, {}});
                para = &topic.Blocks.back();
            } else {
                para->Spans.push_back({" ", {}});
            }
            if (!Spans(item ? Trim(text.substr(2)) : text, para->Spans)) return false;
            // An item takes no further lines; the next line starts a new block.
            if (item) para = nullptr;
        }
        if (lineNo == 0) return Fail("the file is empty.");
        if (doc.Title.empty()) return Fail("the header has no title.");
        if (doc.Topics.empty()) return Fail("the file has no topics.");
        for (const auto& [line, id] : links)
            if (!ids.count(id)) {
                lineNo = line;
                return Fail("a link to the topic \"" + id + "\", which the file lacks.");
            }
        return true;
    }
};

std::string Escape(const std::string& s)
{
    std::string r;
    for (char c : s) {
        switch (c) {
        case '<': r += "&lt;"; break;
        case '>': r += "&gt;"; break;
        case '&': r += "&amp;"; break;
        case '"': r += "&quot;"; break;
        default: r += c;
        }
    }
    return r;
}

}  // namespace

const HelpTopic* HelpDocument::Find(const std::string& id) const
{
    for (const HelpTopic& t : Topics)
        if (t.Id == id) return &t;
    return nullptr;
}

bool ParseHelp(const std::string& bytes, HelpDocument& doc, std::string& error)
{
    Parser p{doc, error, 0, {}};
    return p.Run(bytes);
}

bool LoadHelpFile(const std::string& hostPath, HelpDocument& doc, std::string& error)
{
    std::ifstream f(hostPath, std::ios::binary);
    if (!f) {
        error = std::string("the file cannot be opened (") + std::strerror(errno) + ").";
        return false;
    }
    // One byte more than allowed tells an oversized file from a full one.
    std::string bytes(kMaxHelpFileSize + 1, '\0');
    f.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (f.bad()) {
        error = "the file cannot be read.";
        return false;
    }
    bytes.resize(static_cast<size_t>(f.gcount()));
    return ParseHelp(bytes, doc, error);
}

std::string TopicHtml(const HelpTopic& topic)
{
    std::string html = "<h2>" + Escape(topic.Title) + "</h2>\n";
    bool inList = false;
    for (const HelpBlock& b : topic.Blocks) {
        if (b.Item && !inList) html += "<ul>\n";
        if (!b.Item && inList) html += "</ul>\n";
        inList = b.Item;
        html += b.Item ? "<li>" : "<p>";
        for (const HelpSpan& s : b.Spans) {
            if (s.Link.empty())
                html += Escape(s.Text);
            else
                html += "<a href=\"topic:" + Escape(s.Link) + "\">" + Escape(s.Text) + "</a>";
        }
        html += b.Item ? "</li>\n" : "</p>\n";
    }
    if (inList) html += "</ul>\n";
    return html;
}

}  // namespace tessaly
