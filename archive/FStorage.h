// TFileStorage: carries the whole content of one file inside a form stream.
//
// After the component's properties and children the form stream holds its record:
//   09                      empty: nothing follows
//   08  <integer>  <bytes>  the size (02/03/04, smallest tag) and that many raw bytes
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/classes/Component.h"

class TFileStorage : public TComponent {
public:
    explicit TFileStorage(TComponent* AOwner);
    ~TFileStorage() override;
    std::string ClassName() const override { return "TFileStorage"; }

    // --- published, in streaming order. The setters ignore what they are given, so a
    // form stream's values for them change nothing.
    const std::string& FileName() const { return fileName_; }
    void SetFileName(const std::string&) {}
    int32_t DataSize() const { return dataSize_; }
    void SetDataSize(int32_t) {}

    bool Empty() const { return empty_; }
    // The stored bytes: DataSize() of them, nullptr while empty.
    const uint8_t* Data() const { return empty_ ? nullptr : data_.data(); }

    // Replaces the stored bytes by the whole content of FileName. An unreadable file
    // raises the platform's I/O error; a read failing part-way is shown in a message
    // dialog and leaves the storage empty.
    virtual void LoadFromFile(const std::string& FileName);
    // Writes the stored bytes to FileName, replacing it; false when that fails.
    bool SaveToFile(const std::string& FileName) const;

    // The platform's streaming first, then the storage record.
    void ReadState(TReader& Reader) override;
    void WriteState(TWriter& Writer) override;

private:
    void Release();

    int32_t dataSize_ = 0;
    std::vector<uint8_t> data_;  // exactly dataSize_ bytes while !empty_
    bool empty_ = true;
    std::string fileName_;
};
