// TComponent: a named persistent object owned by another component. The owner
// destroys what it owns, last created first.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/classes/Persistent.h"

class TReader;
class TWriter;

enum TComponentStateFlag : uint32_t {
    csLoading = 1u << 0,
    csReading = 1u << 1,
    csWriting = 1u << 2,
    csDestroying = 1u << 3,
    csDesigning = 1u << 4,
    csFixups = 1u << 5,
};
using TComponentState = uint32_t;

// "A component named %s already exists" and friends.
class EComponentError : public Exception {
public:
    using Exception::Exception;
};

class TComponent : public TPersistent {
public:
    explicit TComponent(TComponent* AOwner);
    ~TComponent() override;
    std::string ClassName() const override { return "TComponent"; }

    TComponent* Owner() const { return owner_; }
    const std::string& Name() const { return name_; }
    // Names must be identifiers and unique among the owner's components (case-insensitive);
    // raises EComponentError otherwise. An empty name is always allowed.
    virtual void SetName(const std::string& NewName);
    int32_t Tag() const { return tag_; }
    void SetTag(int32_t v) { tag_ = v; }

    int ComponentCount() const { return static_cast<int>(components_.size()); }
    TComponent* Components(int Index) const { return components_.at(static_cast<size_t>(Index)); }
    // Case-insensitive search among the owned components; nullptr when absent.
    TComponent* FindComponent(const std::string& AName) const;
    int ComponentIndex() const;

    TComponentState ComponentState() const { return state_; }
    bool HasState(TComponentStateFlag f) const { return (state_ & f) != 0; }
    void SetDesigning(bool Value);

    // Owner management: Insert takes ownership, Remove gives it up without destroying.
    void InsertComponent(TComponent* AComponent);
    void RemoveComponent(TComponent* AComponent);

    // Called on every component of a stream after the whole stream has been read.
    virtual void Loaded();
    // Streaming of the component's own state (properties and anything after them).
    virtual void ReadState(TReader& Reader);
    virtual void WriteState(TWriter& Writer);
    // Told when a component this one may refer to is being destroyed.
    virtual void Notification(TComponent* AComponent, bool Removing);

    // Streaming hooks that a control layer overrides (defined with the filer).
    // Enumerates the components a stream of Root stores as this one's children; the
    // base gives, for Root itself, every owned component that has no parent.
    virtual void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root);
    // True for components that live inside a parent (controls): streams store them
    // under that parent instead of directly under the root.
    virtual bool HasParent() const { return false; }
    virtual TComponent* GetParentComponent() const { return nullptr; }
    // Told by the reader, before the component's state is read, under which component
    // the stream stores it (the root for top-level components).
    virtual void SetParentComponent(TComponent* Value) { (void)Value; }
    // Design position of a component without a parent: Left in the low 16 bits, Top in
    // the high 16 bits; streamed as "Left" and "Top".
    int32_t DesignInfo() const { return designInfo_; }
    void SetDesignInfo(int32_t Value) { designInfo_ = Value; }

    // Used by the reader while it loads (csLoading/csReading) and by the writer.
    void SetStateFlag(TComponentStateFlag f, bool on);
    // Registers interest in another component's destruction (free notification).
    void FreeNotification(TComponent* AComponent);

protected:
    // Destroys the owned components, last first. Derived destructors that must run
    // before their children go may call it early.
    void DestroyComponents();

private:
    TComponent* owner_ = nullptr;
    std::string name_;
    int32_t tag_ = 0;
    TComponentState state_ = 0;
    int32_t designInfo_ = 0;
    std::vector<TComponent*> components_;
    std::vector<TComponent*> freeNotifies_;
};

bool IsValidIdent(const std::string& s);
