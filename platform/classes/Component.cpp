#include "platform/classes/Component.h"

#include <algorithm>

#include "platform/rtl/StrUtils.h"

bool IsValidIdent(const std::string& s)
{
    if (s.empty()) return false;
    auto alpha = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
    if (!alpha(s[0])) return false;
    for (char c : s)
        if (!alpha(c) && !(c >= '0' && c <= '9')) return false;
    return true;
}

TComponent::TComponent(TComponent* AOwner)
{
    if (AOwner) AOwner->InsertComponent(this);
}

TComponent::~TComponent()
{
    state_ |= csDestroying;
    // Tell everyone who asked that this component goes away.
    for (TComponent* c : std::vector<TComponent*>(freeNotifies_)) {
        auto& other = c->freeNotifies_;
        other.erase(std::remove(other.begin(), other.end(), this), other.end());
        c->Notification(this, true);
    }
    freeNotifies_.clear();
    DestroyComponents();
    if (owner_) owner_->RemoveComponent(this);
}

void TComponent::DestroyComponents()
{
    // Last created first; each child removes itself from components_.
    while (!components_.empty()) {
        TComponent* c = components_.back();
        c->owner_ = nullptr;
        components_.pop_back();
        delete c;
    }
}

void TComponent::SetName(const std::string& NewName)
{
    if (NewName == name_) return;
    if (!NewName.empty() && !IsValidIdent(NewName))
        throw EComponentError("\"" + NewName + "\" is not a valid component name");
    if (!NewName.empty() && owner_) {
        TComponent* other = owner_->FindComponent(NewName);
        if (other && other != this) throw EComponentError("A component named " + NewName + " already exists");
    }
    name_ = NewName;
}

TComponent* TComponent::FindComponent(const std::string& AName) const
{
    if (AName.empty()) return nullptr;
    for (TComponent* c : components_)
        if (SameText(c->name_, AName)) return c;
    return nullptr;
}

int TComponent::ComponentIndex() const
{
    if (!owner_) return -1;
    auto& v = owner_->components_;
    auto it = std::find(v.begin(), v.end(), this);
    return it == v.end() ? -1 : static_cast<int>(it - v.begin());
}

void TComponent::SetDesigning(bool Value)
{
    SetStateFlag(csDesigning, Value);
    for (TComponent* c : components_) c->SetDesigning(Value);
}

void TComponent::InsertComponent(TComponent* AComponent)
{
    if (!AComponent || AComponent->owner_ == this) return;
    if (!AComponent->name_.empty() && FindComponent(AComponent->name_))
        throw EComponentError("A component named " + AComponent->name_ + " already exists");
    if (AComponent->owner_) AComponent->owner_->RemoveComponent(AComponent);
    components_.push_back(AComponent);
    AComponent->owner_ = this;
}

void TComponent::RemoveComponent(TComponent* AComponent)
{
    auto it = std::find(components_.begin(), components_.end(), AComponent);
    if (it == components_.end()) return;
    components_.erase(it);
    AComponent->owner_ = nullptr;
    // Siblings holding references to it are told, as they would be on destruction.
    for (TComponent* c : components_) c->Notification(AComponent, true);
}

void TComponent::Loaded()
{
    state_ &= ~static_cast<TComponentState>(csLoading);
}

void TComponent::Notification(TComponent*, bool) {}

void TComponent::SetStateFlag(TComponentStateFlag f, bool on)
{
    if (on) state_ |= f;
    else state_ &= ~static_cast<TComponentState>(f);
}

void TComponent::FreeNotification(TComponent* AComponent)
{
    if (!AComponent || AComponent == this) return;
    if (std::find(freeNotifies_.begin(), freeNotifies_.end(), AComponent) == freeNotifies_.end())
        freeNotifies_.push_back(AComponent);
    auto& other = AComponent->freeNotifies_;
    if (std::find(other.begin(), other.end(), this) == other.end()) other.push_back(this);
}
