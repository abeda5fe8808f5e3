#include "platform/classes/Resources.h"

#include <map>
#include <mutex>
#include <utility>

#include "platform/classes/Component.h"
#include "platform/classes/Filer.h"
#include "platform/rtl/StrUtils.h"

namespace {

struct Store {
    std::mutex lock;
    std::map<std::pair<int, std::string>, TResourceBlock> blocks;  // name in capitals
    std::map<uint32_t, std::string> strings;
};

Store& TheStore()
{
    static Store* s = new Store;  // registrations run during static initialisation
    return *s;
}

}  // namespace

void RegisterResource(int Type, const std::string& Name, const void* Data, size_t Size)
{
    Store& s = TheStore();
    std::lock_guard<std::mutex> g(s.lock);
    s.blocks[{Type, UpperCase(Name)}] = TResourceBlock{static_cast<const uint8_t*>(Data), Size};
}

void RegisterStringTable(const void* Data, size_t Size)
{
    const char* p = static_cast<const char*>(Data);
    const char* end = p + Size;
    Store& s = TheStore();
    std::lock_guard<std::mutex> g(s.lock);
    while (p < end) {
        const char* eol = p;
        while (eol < end && *eol != '\n') ++eol;
        std::string line(p, eol);
        p = eol < end ? eol + 1 : end;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        size_t i = 0;
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        if (i == line.size() || line[i] == '#' || line[i] == ';') continue;
        uint64_t id = 0;
        size_t digits = 0;
        while (i < line.size() && line[i] >= '0' && line[i] <= '9' && id <= 0xFFFFFFFFu) {
            id = id * 10 + static_cast<uint64_t>(line[i++] - '0');
            ++digits;
        }
        // The build checks the table; a line that still does not fit is left out.
        if (!digits || id > 0xFFFFFFFFu || (i < line.size() && line[i] != ' ' && line[i] != '\t')) continue;
        if (i < line.size()) ++i;
        std::string text;
        for (; i < line.size(); ++i) {
            char c = line[i];
            if (c == '\\' && i + 1 < line.size()) {
                char n = line[++i];
                text += n == 'n' ? '\n' : n == 'r' ? '\r' : n == 't' ? '\t' : n;
            } else {
                text += c;
            }
        }
        s.strings[static_cast<uint32_t>(id)] = std::move(text);
    }
}

TResourceBlock FindResource(int Type, const std::string& Name)
{
    Store& s = TheStore();
    std::lock_guard<std::mutex> g(s.lock);
    auto it = s.blocks.find({Type, UpperCase(Name)});
    return it == s.blocks.end() ? TResourceBlock{} : it->second;
}

TResourceBlock FindBitmapResource(const std::string& Name)
{
    return FindResource(RT_BITMAP, Name);
}

bool FindResString(uint32_t Ident, std::string& Value)
{
    Store& s = TheStore();
    std::lock_guard<std::mutex> g(s.lock);
    auto it = s.strings.find(Ident);
    if (it == s.strings.end()) return false;
    Value = it->second;
    return true;
}

std::string LoadResString(uint32_t Ident)
{
    std::string v;
    FindResString(Ident, v);
    return v;
}

TResourceStream::TResourceStream(const std::string& Name, int Type) : TResourceStream(FindResource(Type, Name), Name) {}

TResourceStream::TResourceStream(TResourceBlock Block, const std::string& Name)
    : TReadOnlyMemoryStream(Block.Data, static_cast<int64_t>(Block.Size))
{
    if (!Block) throw EResNotFound("Resource " + Name + " not found");
}

bool ReadComponentResource(TComponent* Instance)
{
    TResourceBlock b = FindResource(RT_RCDATA, Instance->ClassName());
    if (!b) return false;
    TReadOnlyMemoryStream s(b.Data, static_cast<int64_t>(b.Size));
    TReader r(s);
    r.ReadRootComponent(Instance);
    return true;
}
