// Component streams into classes with every property kind, children with parents,
// references, events and state after the children.
#include <cstdint>
#include <set>
#include <string>

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Filer.h"
#include "platform/classes/Published.h"

namespace {

enum TKind { kA, kB, kC };
const TIdentTable KindIdents = {{kA, "kA"}, {kB, "kB"}, {kC, "kC"}};

class TSub : public TPersistent {
public:
    std::string ClassName() const override { return "TSub"; }
    int16_t Size() const { return size_; }
    void SetSize(int16_t v) { size_ = v; }
    TKind Kind() const { return kind_; }
    void SetKind(TKind v) { kind_ = v; }

private:
    int16_t size_ = 0;
    TKind kind_ = kA;
};

class TFz : public TComponent {
public:
    using TComponent::TComponent;
    std::string ClassName() const override { return "TFz"; }
    int32_t Left() const { return left_; }
    void SetLeft(int32_t v) { left_ = v; }
    uint8_t Small() const { return small_; }
    void SetSmall(uint8_t v) { small_ = v; }
    int64_t Big() const { return big_; }
    void SetBig(int64_t v) { big_ = v; }
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& v) { caption_ = v; }
    bool Flag() const { return flag_; }
    void SetFlag(bool v) { flag_ = v; }
    double Ratio() const { return ratio_; }
    void SetRatio(double v) { ratio_ = v; }
    uint32_t Color() const { return color_; }
    void SetColor(uint32_t v) { color_ = v; }
    std::set<TKind> Kinds() const { return kinds_; }
    void SetKinds(const std::set<TKind>& v) { kinds_ = v; }
    TSub* Sub() const { return &sub_; }
    TStringList* Lines() const { return &lines_; }
    const std::string& Data() const { return data_; }
    void SetData(const std::string& v) { data_ = v; }
    TFz* Peer() const { return peer_; }
    void SetPeer(TFz* v) { peer_ = v; }
    TNotifyEvent OnEvent;
    bool HasParent() const override { return parent_ != nullptr; }
    void SetParentComponent(TComponent* p) override { parent_ = dynamic_cast<TFz*>(p); }
    void Notification(TComponent* c, bool removing) override
    {
        if (removing && c == peer_) peer_ = nullptr;
    }
    void Handler(TObject*) {}

private:
    int32_t left_ = 0;
    uint8_t small_ = 0;
    int64_t big_ = 0;
    std::string caption_;
    bool flag_ = false;
    double ratio_ = 0;
    uint32_t color_ = 0;
    std::set<TKind> kinds_;
    mutable TSub sub_;
    mutable TStringList lines_;
    std::string data_;
    TFz* peer_ = nullptr;
    TFz* parent_ = nullptr;
};

// State after its children, bounded by the stream.
class TFzStore : public TComponent {
public:
    using TComponent::TComponent;
    std::string ClassName() const override { return "TFzStore"; }
    void ReadState(TReader& Reader) override
    {
        TComponent::ReadState(Reader);
        if (Reader.ReadBoolean()) return;
        int32_t n = Reader.ReadInteger();
        if (n < 0 || n > Reader.Stream().Size() - Reader.Position()) throw EReadError("bad size");
        std::string b(static_cast<size_t>(n), '\0');
        Reader.Read(b.data(), n);
    }
};

PUBLISHED_PROPERTIES(TSub, TPersistent)
{
    PUBLISH_INT(Size, 0);
    PUBLISH_ENUM(Kind, KindIdents, kA);
}

PUBLISHED_PROPERTIES(TFz, TComponent)
{
    PUBLISH_INT(Left);
    PUBLISH_INT(Small, 0);
    PUBLISH_INT(Big, 0);
    PUBLISH_STRING(Caption, "");
    PUBLISH_BOOL(Flag, false);
    PUBLISH_FLOAT(Ratio, 0.0);
    PUBLISH_COLOR(Color, 0);
    PUBLISH_SET(Kinds, KindIdents);
    PUBLISH_OBJECT(Sub);
    PUBLISH_STRINGS(Lines);
    PUBLISH_BINARY(Data);
    PUBLISH_COMPONENT(Peer);
    PUBLISH_EVENT(OnEvent);
}

PUBLISHED_METHODS(TFz, TComponent)
{
    PUBLISH_METHOD(Handler);
}

REGISTER_CLASS(TFz);
REGISTER_CLASS(TFzStore);

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string bytes = "TPF0" + std::string(reinterpret_cast<const char*>(data), size);
    TReadOnlyMemoryStream s(bytes.data(), static_cast<int64_t>(bytes.size()));
    TReader r(s);
    try {
        TComponent* root = r.ReadRootComponent(nullptr);
        // What was read must write again.
        TMemoryStream out;
        TWriter w(out);
        w.WriteRootComponent(root);
        delete root;
    } catch (const Exception&) {
    }
    return 0;
}
