// TObject and TPersistent, the roots of the class tree.
#pragma once

#include <functional>
#include <string>

#include "platform/rtl/Exception.h"

class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;
    // The class name as the form streams spell it ("TLZHBatch").
    virtual std::string ClassName() const { return "TObject"; }
};

class TPersistent;

// Raised when Assign meets a source it cannot copy: "Cannot assign a %s to a %s".
class EConvertAssign : public EConvertError {
public:
    using EConvertError::EConvertError;
};

class TPersistent : public TObject {
public:
    std::string ClassName() const override { return "TPersistent"; }
    // Copies Source's contents into this object. The base asks Source to AssignTo this,
    // and AssignTo of the base raises EConvertAssign.
    virtual void Assign(const TPersistent* Source);

protected:
    virtual void AssignTo(TPersistent* Dest) const;
};

// The platform's plain event: a closure with the sender.
using TNotifyEvent = std::function<void(TObject* Sender)>;
