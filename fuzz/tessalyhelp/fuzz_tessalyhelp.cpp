// Help file reader: any bytes are read or refused with a reason; what is read turns
// into HTML in which no markup of the file survives.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "product/tessaly/HelpFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    tessaly::HelpDocument doc;
    std::string error;
    if (!tessaly::ParseHelp(bytes, doc, error)) {
        if (error.empty()) std::abort();
        return 0;
    }
    if (doc.Topics.empty() || doc.Title.empty()) std::abort();
    for (const tessaly::HelpTopic& t : doc.Topics) {
        const std::string html = tessaly::TopicHtml(t);
        // The file's text never opens a tag of its own: every '<' comes from the writer.
        for (size_t at = html.find('<'); at != std::string::npos; at = html.find('<', at + 1)) {
            static const char* tags[] = {"<h2>", "</h2>", "<p>", "</p>", "<ul>", "</ul>", "<li>", "</li>", "<a href=\"topic:", "</a>"};
            bool known = false;
            for (const char* tag : tags) known = known || html.compare(at, std::char_traits<char>::length(tag), tag) == 0;
            if (!known) std::abort();
        }
        for (const tessaly::HelpBlock& b : t.Blocks)
            for (const tessaly::HelpSpan& s : b.Spans)
                if (!s.Link.empty() && !doc.Find(s.Link)) std::abort();
    }
    return 0;
}
